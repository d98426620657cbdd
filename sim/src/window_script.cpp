// The scripted user of sim::ui::Dialog: each action delivers what Windows delivers for it.
#include "window_internal.h"

using namespace sim::win;

namespace sim::ui {

namespace {

// The control of that id, or the dialog itself for 0.
Window* Target(HWND dlg, int id) {
    Window* d = Find(dlg);
    return d && id ? ControlOf(*d, id) : d;
}

// The user can act only on an open dialog that takes input (not one disabled under a nested
// modal dialog).
bool Live(HWND dlg) {
    Window* d = Find(dlg);
    return d && !d->ended && !(d->style & WS_DISABLED);
}

// Keys go to the focus window if it is in this dialog. With the focus nowhere they go to the
// active window as system keys, which a dialog does not act on.
HWND KeyTarget(HWND dlg) {
    HWND f = S().focus;
    return f && (f == dlg || IsDescendant(dlg, f)) ? f : nullptr;
}

// The control the user can act on, if it is of the kind the action needs.
Window* Usable(HWND dlg, int id, Kind kind) {
    Window* w = Live(dlg) ? Target(dlg, id) : nullptr;
    if (!w || (w->style & WS_DISABLED) || !ReallyVisible(w->h) || w->kind != kind)
        return nullptr;
    return w;
}

} // namespace

bool Dialog::IsOpen() const {
    Window* d = Find(m_hwnd);
    return d && !d->ended;
}

void Dialog::Click(int id) {
    Window* w = Usable(m_hwnd, id, Kind::Button);
    if (!w || (w->style & BS_TYPEMASK) == BS_GROUPBOX)
        return;
    // A mouse click gives a button the focus before the parent hears of the click.
    SetFocusTo(w->h);
    Send(w->parent, WM_COMMAND, MAKEWPARAM(w->id, BN_CLICKED), (LPARAM)w->h);
}

void Dialog::ClickListRow(int id, int row) {
    if (Window* w = Usable(m_hwnd, id, Kind::ListView))
        ListClick(*w, row);
}

void Dialog::ClickListBelowRows(int id) {
    ClickListRow(id, -1);
}

void Dialog::ListKeyDown(int id, int vk) {
    // The user tabs to the list first if it does not have the focus; that moves no row.
    if (Window* w = Usable(m_hwnd, id, Kind::ListView)) {
        SetFocusTo(w->h);
        sim::win::ListKeyDown(*w, vk);
    }
}

void Dialog::SpinArrow(int id, int delta) {
    if (Window* w = Usable(m_hwnd, id, Kind::UpDown))
        sim::win::SpinArrow(*w, delta);
}

// Typing replaces the text; the caret ends after it.
void Dialog::SetText(int id, const std::string& text) {
    if (Window* w = Usable(m_hwnd, id, Kind::Edit)) {
        if (S().focus != w->h)
            FocusForDialogNavigation(w->h);
        w->text = text;
        w->edit.selStart = w->edit.selEnd = static_cast<int>(text.size());
    }
}

// Enter clicks the default push button, if enabled; with the focus on another push button,
// that is not the default (set by the program, or by a click) and Enter still clicks the default.
void Dialog::Enter() {
    Window* d = Find(m_hwnd);
    if (!Live(m_hwnd) || !KeyTarget(m_hwnd))
        return;
    HWND btn = DefaultButton(*d);
    Window* b = Find(btn);
    if (!b || !(b->style & WS_DISABLED))
        Send(m_hwnd, WM_COMMAND, MAKEWPARAM(b ? b->id : IDOK, BN_CLICKED), (LPARAM)btn);
}

// Esc is IDCANCEL, even with the Cancel button disabled.
void Dialog::Esc() {
    if (!Live(m_hwnd) || !KeyTarget(m_hwnd))
        return;
    Send(m_hwnd, WM_COMMAND, IDCANCEL, (LPARAM)GetDlgItem(m_hwnd, IDCANCEL));
}

// The key goes to the focus window (the dialog with the focus nowhere); the system adds WM_KEYF1
// for it, whose default processing sends WM_HELP, which climbs from a control to its dialog.
// With Alt held the key is a system key and gives no help.
void Dialog::F1(bool shift, bool ctrl, bool alt) {
    if (!Live(m_hwnd) || alt)
        return;
    State& st = S();
    st.keyShift = shift;
    st.keyCtrl = ctrl;
    HWND target = KeyTarget(m_hwnd);
    Send(target ? target : m_hwnd, WM_KEYF1, 0, 0);
    st.keyShift = st.keyCtrl = false;
}

void Dialog::CloseBox() {
    if (!Live(m_hwnd))
        return;
    Send(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// ---- what the user sees ----

namespace {

// What `read` makes of the control (the dialog for id 0), or `none` without one.
template <class T, class F> T Read(HWND dlg, int id, T none, F read) {
    Window* w = Target(dlg, id);
    return w ? read(*w) : none;
}

} // namespace

std::string Dialog::Text(int id) const {
    return Read(m_hwnd, id, std::string(), [](Window& w) { return w.text; });
}

bool Dialog::Enabled(int id) const {
    return Read(m_hwnd, id, false, [](Window& w) { return !(w.style & WS_DISABLED); });
}

bool Dialog::Visible(int id) const {
    return Read(m_hwnd, id, false, [](Window& w) { return ReallyVisible(w.h); });
}

int Dialog::FocusId() const {
    Window* w = Find(S().focus);
    return w && IsDescendant(m_hwnd, w->h) ? w->id : 0;
}

std::vector<std::string> Dialog::ListRows(int id) const {
    std::vector<std::string> rows;
    if (Window* w = Target(m_hwnd, id))
        for (const ListItem& it : w->list.items)
            rows.push_back(it.text);
    return rows;
}

std::vector<int> Dialog::ListImages(int id) const {
    std::vector<int> images;
    if (Window* w = Target(m_hwnd, id))
        for (const ListItem& it : w->list.items)
            images.push_back(it.image);
    return images;
}

std::vector<std::string> Dialog::ListColumns(int id) const {
    std::vector<std::string> cols;
    if (Window* w = Target(m_hwnd, id))
        for (const ListColumn& c : w->list.columns)
            cols.push_back(c.text);
    return cols;
}

int Dialog::ListColumnWidth(int id, int column) const {
    return Read(m_hwnd, id, 0, [&](Window& w) {
        auto n = static_cast<int>(w.list.columns.size());
        return column >= 0 && column < n ? w.list.columns[static_cast<std::size_t>(column)].width
                                         : 0;
    });
}

int Dialog::ListItemCountHint(int id) const {
    return Read(m_hwnd, id, 0, [](Window& w) { return w.list.countHint; });
}

int Dialog::SpinPos(int id) const {
    return Read(m_hwnd, id, 0, [](Window& w) { return w.ud.pos; });
}

int Dialog::SpinLower(int id) const {
    return Read(m_hwnd, id, 0, [](Window& w) { return w.ud.lower; });
}

int Dialog::SpinUpper(int id) const {
    return Read(m_hwnd, id, 0, [](Window& w) { return w.ud.upper; });
}

bool Dialog::EditAllSelected(int id) const {
    return Read(m_hwnd, id, false, [](Window& w) {
        return w.kind == Kind::Edit && w.edit.selStart == 0 &&
               w.edit.selEnd == static_cast<int>(w.text.size());
    });
}

HFONT Dialog::Font(int id) const {
    return Read(m_hwnd, id, HFONT(), [](Window& w) { return w.font; });
}

RECT Dialog::WindowRect() const {
    return Read(m_hwnd, 0, RECT{0, 0, 0, 0}, [](Window& w) { return w.rect; });
}

} // namespace sim::ui
