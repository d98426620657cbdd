// Test-facing API of sim's window system: a scripted user for each dialog template, a simulated
// clock for window timers, and the accounting of device contexts and GDI objects.
#pragma once

#include <sim/machine.h>
#include <sim/resources.h>
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace sim::ui {

class Dialog;

// What the user does with a modal dialog of the given template while it runs. Each
// DialogBoxParamA of that template takes the next queued script; a dialog that runs with no
// script queued, or whose script returns while it is still open, is cancelled as if the user
// pressed Esc, and that is counted in UnscriptedDialogs().
using Script = std::function<void(Dialog&)>;
void OnDialog(int templateId, Script script);
std::size_t UnscriptedDialogs();

// The dialog a script drives. Control ids are those of the template.
class Dialog {
public:
    explicit Dialog(HWND hwnd) : m_hwnd(hwnd) {}
    HWND hwnd() const { return m_hwnd; }
    bool IsOpen() const; // EndDialog not called yet

    // ---- the user's actions (each delivers the messages Windows would) ----
    void Click(int id);                 // a button: BN_CLICKED, if enabled and visible
    void ClickListRow(int id, int row); // a list-view row: focus + selection move, then NM_CLICK
    void ClickListBelowRows(int id);    // empty area of a list view: NM_CLICK, focus unchanged
    void ListKeyDown(int id, int vk);   // VK_UP, VK_DOWN, VK_HOME, VK_END: focus moves, no NM_CLICK
    void SpinArrow(int id, int delta);  // an up-down arrow: UDN_DELTAPOS with iPos and iDelta,
                                        // then, unless the handler returned nonzero, the new
                                        // position (clamped to the range) set into the buddy
    void SetText(int id, const std::string& text); // the user replaces a box's text
    void Enter(); // default push button (IDOK); nothing while no window has the focus
    void Esc();   // IDCANCEL; nothing while no window has the focus
    void F1(bool shift = false, bool ctrl = false, bool alt = false);
    void CloseBox(); // the caption's close box (WM_SYSCOMMAND SC_CLOSE)

    // ---- what the user sees ----
    std::string Text(int id) const; // window text (0 = the dialog's caption)
    bool Enabled(int id) const;
    bool Visible(int id) const;
    int FocusId() const; // control id with the keyboard focus, 0 if none
    std::vector<std::string> ListRows(int id) const; // row texts, in order
    std::vector<int> ListImages(int id) const;       // image index of each row
    std::vector<std::string> ListColumns(int id) const;
    int ListColumnWidth(int id, int column) const;
    int ListItemCountHint(int id) const; // last LVM_SETITEMCOUNT
    int SpinPos(int id) const;
    int SpinLower(int id) const;
    int SpinUpper(int id) const;
    bool EditAllSelected(int id) const; // EM_SETSEL 0,-1 in effect
    HFONT Font(int id) const;           // last WM_SETFONT
    RECT WindowRect() const;            // screen pixels

private:
    HWND m_hwnd;
};

// ---- the clock: window timers fire (WM_TIMER) as time advances ----
// Time moves forward in one go, but every timer fires once for each whole period that elapses
// (a 200 ms timer fires 5 times in AdvanceClock(1000)), in due order.
void AdvanceClock(DWORD milliseconds);
std::size_t LiveTimerCount();

// ---- message boxes ----
// The answer the user gives the next message box (MessageBoxA records every box itself, see
// sim::MessageBoxes()); boxes with no answer queued get the default answer (the first button).
using BoxAnswer = std::function<int(const sim::MessageBoxCall& box)>;
void OnMessageBox(BoxAnswer answer);

// ---- device contexts and GDI objects ----
// Nothing drawn is kept: device contexts obtained and not released, and GDI objects (fonts,
// image lists) created and not deleted, are what the tests check.
std::size_t OutstandingDCs();
std::size_t OutstandingGdiObjects();

// Help engine calls: WinHelpA's arguments, in order. A failing engine is set with
// sim::InjectFault({sim::Api::WinHelp}).
struct HelpCall {
    std::string file;
    UINT command;
    ULONG_PTR data;
};
const std::vector<HelpCall>& HelpCalls();

// Every dialog created, in order (template id), and the one currently active.
const std::vector<int>& DialogsRun();

// The work area that SystemParametersInfoA(SPI_GETWORKAREA) answers and dialogs are kept on,
// until sim::Reset(); by default the 1024 x 768 screen less a task bar of 30 pixels at the bottom.
void SetWorkArea(const RECT& area);

} // namespace sim::ui
