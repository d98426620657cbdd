// Private state of sim's window system: windows, controls, device contexts, GDI objects, timers
// and the scripted user. Shared by window_*.cpp only.
#pragma once

#include "internal.h"

#include <commctrl.h>
#include <sim/resources.h>
#include <sim/ui.h>
#include <windows.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sim::win {

// Classic (non-themed) metrics of a 1024 x 768 screen with the task bar at the bottom.
constexpr RECT kDefaultWorkArea{0, 0, 1024, 738};
constexpr int kCaption = 19, kDlgFrame = 3;
// The dialog font's base units: 8-point "MS Sans Serif" at 96 dpi averages 6 x 13 pixels.
constexpr int kDluBaseX = 6, kDluBaseY = 13;

enum class Kind { Dialog, Button, Edit, ListView, UpDown, Other };

struct ListItem {
    std::string text;
    int image = 0;
    UINT state = 0;
};
struct ListColumn {
    std::string text;
    int width = 0;
};
struct ListData {
    std::vector<ListItem> items;
    std::vector<ListColumn> columns;
    int countHint = 0;
    HIMAGELIST smallImages = nullptr; // the only list the program gives it
};
struct UpDownData {
    int lower = 100; // the control's own default range runs from 100 down to 0
    int upper = 0;
    int pos = 0;
    HWND buddy = nullptr;
};
struct EditData {
    int selStart = 0;
    int selEnd = 0;
};

struct Window {
    HWND h = nullptr;
    Kind kind = Kind::Other; // every top-level window is a dialog, of the class "#32770"
    std::string text;
    DWORD style = 0;
    int id = 0;
    HWND parent = nullptr;      // child windows
    HWND owner = nullptr;       // top-level windows
    RECT rect{};                // window rect: parent-client coordinates for a child, else screen
    std::vector<HWND> children; // creation (= template = z) order
    bool destroyed = false;
    HFONT font = nullptr;

    // dialog
    DLGPROC dlgProc = nullptr;
    LONG_PTR msgResult = 0;
    LONG_PTR dlgUser = 0;
    int templateId = 0;
    bool ended = false;
    INT_PTR result = 0;

    // controls
    ListData list;
    UpDownData ud;
    EditData edit;
};

enum class ObjType { Font, ImageList, Icon };
struct GdiObject {
    ObjType type = ObjType::Font;
    bool stock = false; // stock and shared objects: never counted, never freed
};

struct Dc {
    bool paint = false; // from BeginPaint
    HGDIOBJ font = nullptr;
    COLORREF bk = 0xFFFFFF;
    int bkMode = OPAQUE;
};

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT period = 0;
    uint64_t due = 0;
};

struct State {
    std::map<HWND, std::unique_ptr<Window>> windows;
    HWND focus = nullptr;
    std::vector<HWND> modal; // running modal dialogs, innermost last
    std::vector<Timer> timers;
    uint64_t now = 0;
    std::map<int, std::deque<sim::ui::Script>> scripts;
    std::size_t unscripted = 0;
    std::vector<int> dialogsRun;
    std::map<HGDIOBJ, GdiObject> objects;
    HGDIOBJ systemFont = nullptr;
    std::map<int, HICON> icons;
    std::map<HDC, Dc> dcs;
    std::vector<sim::ui::HelpCall> help;
    bool commonControls = false;
    bool keyShift = false, keyCtrl = false;
    std::deque<sim::ui::BoxAnswer> boxAnswers;
    RECT workArea = kDefaultWorkArea;
};

State& S();
// The frame and caption around a window's client area.
RECT Insets(const Window& w);
// A fresh handle value, never reused (not even across sim::Reset()).
void* NewHandle();

// nullptr when the handle is not a live window; FindOrFail sets ERROR_INVALID_WINDOW_HANDLE then.
Window* Find(HWND h);
Window* FindOrFail(HWND h);
// The window's client area size.
SIZE ClientSize(const Window& w);
bool ReallyVisible(HWND h); // visible along with all its ancestors

// Message delivery: SendMessageA without the handle check.
LRESULT Send(HWND h, UINT msg, WPARAM wp, LPARAM lp);
LRESULT Notify(HWND from, UINT code, NMHDR* hdr); // WM_NOTIFY to the control's parent
void SetFocusTo(HWND h);                          // a dialog passes it on to its first tab stop
void FocusForDialogNavigation(HWND h); // as the dialog manager does: edits get all selected
// The default processing of a window message, for the messages sim sends or delivers.
LRESULT DefaultProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
bool IsDescendant(HWND ancestor, HWND h); // h is one of ancestor's controls

// Dialog manager (window_dialog.cpp): a dialog's messages through its procedure, then the
// dialog defaults; the first control the Tab key would reach; the default push button.
LRESULT DialogDispatch(Window& w, UINT msg, WPARAM wp, LPARAM lp);
HWND FirstTabStop(Window& dlg);
Window* ControlOf(Window& dlg, int id);
HWND DefaultButton(Window& dlg);

// Controls (window_controls.cpp, the list view in window_listview.cpp).
LRESULT ControlProc(Window& w, UINT msg, WPARAM wp, LPARAM lp);
LRESULT ListProc(Window& w, UINT msg, WPARAM wp, LPARAM lp);
void InitControl(Window& w); // after all the dialog's controls exist (the up-down's buddy)
void DestroyControl(Window& w);
void ListClick(Window& w, int row); // a row, or below the rows when out of range
void ListKeyDown(Window& w, int vk);
void SpinArrow(Window& w, int delta);

// GDI (window_gdi.cpp).
HFONT CreateDialogFont(const std::string& face, int pointSize);

// Shared helpers.
int MulDivRound(int a, int b, int c);

} // namespace sim::win
