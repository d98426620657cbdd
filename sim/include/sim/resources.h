// The program's resources as sim sees them: read from the .res file that windres compiles from
// src/res/HxSetup.rc (path in HX_RES_FILE), the very bytes the Windows executable carries.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sim::res {

// Resource types by their numbers in a compiled resource file.
enum Type { kBitmap = 2, kIcon = 3, kDialog = 5, kGroupIcon = 14 };

struct DialogItem {
    int id = -1;
    std::string windowClass; // "Button", "Edit", "Static", "SysListView32", "msctls_updown32"
    std::string text;
    DWORD style = 0; // complete, as the dialog manager creates the control
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0; // dialog units
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    std::string fontFace;
    int pointSize = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0; // dialog units
    std::vector<DialogItem> items;    // template order
};

// Adds the resources of a second compiled file, the tests' own dialogs; once per path, kept
// across sim::Reset(). Aborts when the file cannot be read or reuses a type and id already held.
void LoadTestResources(const std::string& path);
// The number a resource name stands for: MAKEINTRESOURCE(n) or "#n"; -1 for any other name.
int IdOf(LPCSTR name);
// nullptr when the resources hold no such dialog.
const DialogTemplate* FindDialog(int id);
// The bytes of the resource of this type and numeric id; nullptr when there is none.
const std::vector<unsigned char>* FindData(Type type, int id);

} // namespace sim::res
