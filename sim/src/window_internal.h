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
constexpr int kScreenW = 1024, kScreenH = 768;
constexpr RECT kDefaultWorkArea{0, 0, 1024, 738};
constexpr int kCaption = 19, kDlgFrame = 3, kSizeFrame = 4, kBorder = 1, kEdge = 2;
// The dialog font's base units: 8-point "MS Sans Serif" at 96 dpi averages 6 x 13 pixels; the
// system font (no font in the template) 8 x 16.
constexpr int kDluBaseX = 6, kDluBaseY = 13, kSysBaseX = 8, kSysBaseY = 16;

enum class Kind { Dialog, Button, Edit, Static, ListView, UpDown, Other };

struct ListItem {
    std::string text;
    int image = 0;
    UINT state = 0;
    LPARAM param = 0;
};
struct ListColumn {
    std::string text;
    int width = 0;
    int fmt = LVCFMT_LEFT;
    int subItem = 0;
};
struct ListData {
    std::vector<ListItem> items;
    std::vector<ListColumn> columns;
    int countHint = 0;
    HIMAGELIST images[3] = {nullptr, nullptr, nullptr};
};
struct UpDownData {
    // The control's own defaults: a range of 100 (lower) to 0 (upper).
    int lower = 100;
    int upper = 0;
    int pos = 0;
    std::vector<UDACCEL> accel{UDACCEL{0, 1}};
    HWND buddy = nullptr;
};
struct EditData {
    int selStart = 0;
    int selEnd = 0;
};

struct Window {
    HWND h = nullptr;
    Kind kind = Kind::Other;
    std::string cls;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    HWND parent = nullptr;      // child windows
    HWND owner = nullptr;       // top-level windows
    RECT rect{};                // window rect: parent-client coordinates for a child, else screen
    std::vector<HWND> children; // creation (= template = z) order
    bool destroyed = false;
    LONG_PTR userData = 0;
    HFONT font = nullptr;

    // dialog
    DLGPROC dlgProc = nullptr;
    LONG_PTR msgResult = 0;
    LONG_PTR dlgUser = 0;
    int templateId = 0;
    bool ended = false;
    INT_PTR result = 0;
    HWND savedFocus = nullptr;
    bool ownsFont = false;

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
    TIMERPROC proc = nullptr;
    uint64_t due = 0;
    uint64_t seq = 0;
};

struct State {
    std::map<HWND, std::unique_ptr<Window>> windows;
    HWND focus = nullptr;
    std::vector<HWND> modal; // running modal dialogs, innermost last
    std::deque<MSG> posted;
    std::vector<Timer> timers;
    uint64_t now = 0;
    uint64_t timerSeq = 0;
    UINT_PTR nextThreadTimer = 0x7FFF;
    std::map<int, std::deque<sim::ui::Script>> scripts;
    std::size_t unscripted = 0;
    std::vector<int> dialogsRun;
    std::map<HGDIOBJ, GdiObject> objects;
    HGDIOBJ systemFont = nullptr;
    std::map<int, HICON> icons;
    std::map<HDC, Dc> dcs;
    std::vector<sim::ui::HelpCall> help;
    bool commonControls = false;
    bool keyShift = false, keyCtrl = false, keyAlt = false;
    std::deque<sim::ui::BoxAnswer> boxAnswers;
    RECT workArea = kDefaultWorkArea;
};

State& S();
// The frame and caption around a window's client area.
RECT Insets(const Window& w);
// A fresh handle value, never reused (not even across sim::Reset()).
void* NewHandle();

// nullptr when the handle is not a live window.
Window* Find(HWND h);
// The top-level window a window belongs to (itself for a top-level one).
HWND TopLevel(HWND h);
// The window's client area size, and its client origin in screen coordinates.
SIZE ClientSize(const Window& w);
POINT ClientOrigin(const Window& w);
bool ReallyVisible(HWND h); // visible along with all its ancestors

// Message delivery: SendMessageA without the handle check, and the modal loop's pump
// (posted messages) which stops early once the innermost modal dialog has ended.
LRESULT Send(HWND h, UINT msg, WPARAM wp, LPARAM lp);
LRESULT Notify(HWND from, UINT code, NMHDR* hdr); // WM_NOTIFY to the control's parent
void Command(HWND from, WORD code);               // WM_COMMAND to the control's parent
void Pump();
void Post(HWND h, UINT msg, WPARAM wp, LPARAM lp); // to the queue Pump() delivers
void SetFocusTo(HWND h);                           // with WM_KILLFOCUS / WM_SETFOCUS
void FocusForDialogNavigation(HWND h); // as the dialog manager does: edits get all selected
// The default processing of a window message, for the messages sim sends or delivers.
LRESULT DefaultProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
bool IsEnabled(HWND h);                   // a live window without WS_DISABLED
bool IsDescendant(HWND ancestor, HWND h); // h is a child, grandchild... of ancestor

// Dialog manager (window_dialog.cpp): a dialog's messages through its procedure, then the
// dialog defaults; the first control the Tab key would reach.
LRESULT DialogDispatch(Window& w, UINT msg, WPARAM wp, LPARAM lp);
HWND FirstTabStop(Window& dlg);

// Controls (window_controls.cpp, the list view in window_listview.cpp).
LRESULT ControlProc(Window& w, UINT msg, WPARAM wp, LPARAM lp);
LRESULT ListProc(Window& w, UINT msg, WPARAM wp, LPARAM lp);
void InitControl(Window& w); // after all the dialog's controls exist (buddies, alignment)
void DestroyControl(Window& w);
void ListClickRow(Window& w, int row);
void ListClickBelowRows(Window& w);
void SpinArrow(Window& w, int delta);
int ListFocused(const Window& w);

// GDI (window_gdi.cpp).
HFONT CreateDialogFont(const std::string& face, int pointSize);

// Shared helpers.
int MulDivRound(int a, int b, int c);
std::string HandleText(const void* h);

} // namespace sim::win
