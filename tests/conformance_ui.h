// The user a window conformance test drives a modal dialog with, on either implementation:
// natively sim's scripted user (sim::ui::Dialog); in the Windows build a driver of the same
// shape that moves the real mouse and keyboard (win32/ui_driver.cpp). OnDialog(id, script)
// queues what the user does with the next dialog of template `id` while its modal loop runs.
#pragma once

#include "conformance.h"

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#if HXT_SIM
#include <sim/ui.h>

namespace hxt::ui {
using Dialog = sim::ui::Dialog;
using Script = sim::ui::Script;
inline void OnDialog(int templateId, Script script) {
    sim::ui::OnDialog(templateId, std::move(script));
}
// Time passes while the dialog's loop runs: sim's clock moves on.
inline void Elapse(DWORD milliseconds) {
    sim::ui::AdvanceClock(milliseconds);
}
} // namespace hxt::ui

#else

namespace hxt::ui {

class Dialog;
using Script = std::function<void(Dialog&)>;
// Dialogs are told apart by their caption, "Test <template id>". A dialog with no script queued,
// or still open when its script returns, is ended with IDCANCEL.
void OnDialog(int templateId, Script script);
// Time passes while the dialog's loop runs: messages are delivered for that long.
void Elapse(DWORD milliseconds);

class Dialog {
public:
    explicit Dialog(HWND hwnd) : m_hwnd(hwnd) {}
    HWND hwnd() const { return m_hwnd; }
    bool IsOpen() const; // EndDialog not called yet (it hides the dialog)

    // ---- the user's actions, with the real mouse and keyboard ----
    void Click(int id);
    void ClickListRow(int id, int row);
    void ClickListBelowRows(int id);
    void ListKeyDown(int id, int vk); // the user tabs to the list first
    void SpinArrow(int id, int delta);
    void SetText(int id, const std::string& text);
    void Enter();
    void Esc();
    void F1(bool shift = false, bool ctrl = false, bool alt = false);
    void CloseBox();

    // ---- what the user sees ----
    std::string Text(int id) const;
    bool Enabled(int id) const;
    bool Visible(int id) const;
    int FocusId() const;
    std::vector<std::string> ListRows(int id) const;
    std::vector<int> ListImages(int id) const;
    std::vector<std::string> ListColumns(int id) const;
    int ListColumnWidth(int id, int column) const;
    int SpinPos(int id) const;
    int SpinLower(int id) const;
    int SpinUpper(int id) const;
    bool EditAllSelected(int id) const;
    HFONT Font(int id) const;
    RECT WindowRect() const;

private:
    HWND Item(int id) const;
    HWND m_hwnd;
};

} // namespace hxt::ui

#endif
