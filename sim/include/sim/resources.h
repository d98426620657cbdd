// The program's resources as sim sees them: parsed from the same src/res/HxSetup.rc that windres
// compiles for the Windows build (path in HX_RC_FILE), so there is one source of templates.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sim::res {

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

// nullptr when the rc file has no such dialog.
const DialogTemplate* FindDialog(int id);
// Absolute path of the file an ICON or BITMAP statement names; "" when there is none.
std::string IconFile(int id);
std::string BitmapFile(int id);

} // namespace sim::res
