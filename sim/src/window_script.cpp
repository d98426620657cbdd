// The scripted user of sim::ui::Dialog: each action delivers what Windows delivers for it, and
// the modal loop then runs (posted messages, pending paints) before the next action.
#include "window_internal.h"

#include <algorithm>

using namespace sim::win;

namespace sim::ui {

namespace {

Window* Control(HWND dlg, int id) {
    Window* d = Find(dlg);
    if (!d)
        return nullptr;
    for (HWND c : d->children) {
        Window* w = Find(c);
        if (w && w->id == id)
            return w;
    }
    return nullptr;
}

Window* Target(HWND dlg, int id) {
    return id == 0 ? Find(dlg) : Control(dlg, id);
}

// The user can act only on an open dialog that takes input (not one disabled under a nested
// modal dialog).
bool Live(HWND dlg) {
    Window* d = Find(dlg);
    return d && !d->ended && !(d->style & WS_DISABLED);
}

bool Usable(const Window* w) {
    return w && !(w->style & WS_DISABLED) && ReallyVisible(w->h);
}

// The window keyboard input goes to: the focus if it is in this dialog, else the dialog.
HWND KeyTarget(HWND dlg) {
    HWND f = S().focus;
    if (f && (f == dlg || IsDescendant(dlg, f)))
        return f;
    return dlg;
}

// Enter and Esc reach the dialog manager only as keys of the focus window. With the focus nowhere
// they go to the active window as system keys, which a dialog does not act on.
bool KeysReachDialog(HWND dlg) {
    HWND f = S().focus;
    return f && (f == dlg || IsDescendant(dlg, f));
}

} // namespace

bool Dialog::IsOpen() const {
    Window* d = Find(m_hwnd);
    return d && !d->ended;
}

void Dialog::Click(int id) {
    if (!Live(m_hwnd))
        return;
    Window* w = Control(m_hwnd, id);
    if (!Usable(w))
        return;
    DWORD type = w->style & BS_TYPEMASK;
    if (w->kind == Kind::Button && type != BS_GROUPBOX) {
        // A mouse click gives a button the focus before the parent hears of the click.
        SetFocusTo(w->h);
        if (Window* b = Find(w->h))
            Command(b->h, BN_CLICKED);
    } else if (w->kind == Kind::Static && (w->style & SS_NOTIFY)) {
        Command(w->h, 0 /* STN_CLICKED */);
    }
    Pump();
}

void Dialog::ClickListRow(int id, int row) {
    if (!Live(m_hwnd))
        return;
    Window* w = Control(m_hwnd, id);
    if (!Usable(w) || w->kind != Kind::ListView)
        return;
    if (row < 0 || row >= static_cast<int>(w->list.items.size())) {
        ListClickBelowRows(*w);
    } else {
        ListClickRow(*w, row);
    }
    Pump();
}

void Dialog::ClickListBelowRows(int id) {
    if (!Live(m_hwnd))
        return;
    Window* w = Control(m_hwnd, id);
    if (!Usable(w) || w->kind != Kind::ListView)
        return;
    ListClickBelowRows(*w);
    Pump();
}

void Dialog::ListKeyDown(int id, int vk) {
    if (!Live(m_hwnd))
        return;
    Window* w = Control(m_hwnd, id);
    if (!Usable(w) || w->kind != Kind::ListView)
        return;
    // The user tabs to the list first if it does not have the focus; that moves no item.
    if (S().focus != w->h)
        SetFocusTo(w->h);
    if (Find(w->h))
        Send(w->h, WM_KEYDOWN, static_cast<WPARAM>(vk), 1);
    if (Find(w->h))
        Send(w->h, WM_KEYUP, static_cast<WPARAM>(vk), static_cast<LPARAM>(0xC0000001));
    Pump();
}

void Dialog::SpinArrow(int id, int delta) {
    if (!Live(m_hwnd))
        return;
    Window* w = Control(m_hwnd, id);
    if (!Usable(w) || w->kind != Kind::UpDown)
        return;
    sim::win::SpinArrow(*w, delta);
    Pump();
}

void Dialog::SetText(int id, const std::string& text) {
    if (!Live(m_hwnd))
        return;
    Window* w = Control(m_hwnd, id);
    if (!Usable(w))
        return;
    if (w->kind == Kind::Edit && (w->style & ES_READONLY))
        return;
    if (S().focus != w->h)
        FocusForDialogNavigation(w->h);
    if (!(w = Control(m_hwnd, id)))
        return;
    if (w->kind == Kind::Edit) {
        // Typing replaces the text; the caret ends after it.
        w->text = text;
        w->edit.selStart = w->edit.selEnd = static_cast<int>(text.size());
        Command(w->h, EN_UPDATE);
        Command(w->h, EN_CHANGE);
    } else {
        Send(w->h, WM_SETTEXT, 0, (LPARAM)text.c_str());
    }
    Pump();
}

void Dialog::Enter() {
    if (!Live(m_hwnd) || !KeysReachDialog(m_hwnd))
        return;
    HWND dlg = m_hwnd;
    HWND focus = S().focus;
    if (focus && IsDescendant(dlg, focus) &&
        (Send(focus, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) {
        // The focus is on the default push button itself. A push button that merely has the
        // focus (set by the program, or by a click) is not the default.
        Send(dlg, WM_COMMAND, MAKEWPARAM(Find(focus)->id, BN_CLICKED), (LPARAM)focus);
    } else {
        LRESULT def = Send(dlg, DM_GETDEFID, 0, 0);
        if (HIWORD(def) == DC_HASDEFID) {
            int id = LOWORD(def);
            HWND btn = GetDlgItem(dlg, id);
            if (!btn || IsEnabled(btn))
                Send(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)btn);
        } else {
            Send(dlg, WM_COMMAND, IDOK, (LPARAM)GetDlgItem(dlg, IDOK));
        }
    }
    Pump();
}

void Dialog::Esc() {
    if (!Live(m_hwnd) || !KeysReachDialog(m_hwnd))
        return;
    Send(m_hwnd, WM_COMMAND, IDCANCEL, (LPARAM)GetDlgItem(m_hwnd, IDCANCEL));
    Pump();
}

void Dialog::F1(bool shift, bool ctrl, bool alt) {
    if (!Live(m_hwnd))
        return;
    State& st = S();
    st.keyShift = shift;
    st.keyCtrl = ctrl;
    st.keyAlt = alt;
    HWND target = KeyTarget(m_hwnd);
    // The key goes to the focus window; the system adds WM_KEYF1 for it, whose default
    // processing sends WM_HELP, which climbs from a control to its dialog. With Alt held the
    // key is a system key and gives no help.
    const LPARAM down = 0x003B0001, up = static_cast<LPARAM>(0xC03B0001);
    if (alt) {
        Send(target, WM_SYSKEYDOWN, VK_F1, down | 0x20000000);
        Pump();
        if (Find(target))
            Send(target, WM_SYSKEYUP, VK_F1, up | 0x20000000);
    } else {
        Post(target, WM_KEYF1, 0, 0);
        Send(target, WM_KEYDOWN, VK_F1, down);
        Pump();
        if (Find(target))
            Send(target, WM_KEYUP, VK_F1, up);
    }
    st.keyShift = st.keyCtrl = st.keyAlt = false;
    Pump();
}

void Dialog::CloseBox() {
    if (!Live(m_hwnd))
        return;
    RECT r{};
    GetWindowRect(m_hwnd, &r);
    Send(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(r.right - 10, r.top + 10));
    Pump();
}

// ---- what the user sees ----

std::string Dialog::Text(int id) const {
    Window* w = Target(m_hwnd, id);
    return w ? w->text : std::string();
}

bool Dialog::Enabled(int id) const {
    Window* w = Target(m_hwnd, id);
    return w && !(w->style & WS_DISABLED);
}

bool Dialog::Visible(int id) const {
    Window* w = Target(m_hwnd, id);
    return w && ReallyVisible(w->h);
}

int Dialog::FocusId() const {
    HWND f = S().focus;
    Window* w = Find(f);
    if (!w || !IsDescendant(m_hwnd, f))
        return 0;
    return w->id;
}

std::vector<std::string> Dialog::ListRows(int id) const {
    std::vector<std::string> rows;
    if (Window* w = Control(m_hwnd, id))
        for (const ListItem& it : w->list.items)
            rows.push_back(it.text);
    return rows;
}

std::vector<int> Dialog::ListImages(int id) const {
    std::vector<int> images;
    if (Window* w = Control(m_hwnd, id))
        for (const ListItem& it : w->list.items)
            images.push_back(it.image);
    return images;
}

std::vector<std::string> Dialog::ListColumns(int id) const {
    std::vector<std::string> cols;
    if (Window* w = Control(m_hwnd, id))
        for (const ListColumn& c : w->list.columns)
            cols.push_back(c.text);
    return cols;
}

int Dialog::ListColumnWidth(int id, int column) const {
    Window* w = Control(m_hwnd, id);
    if (!w || column < 0 || column >= static_cast<int>(w->list.columns.size()))
        return 0;
    return w->list.columns[static_cast<std::size_t>(column)].width;
}

int Dialog::ListItemCountHint(int id) const {
    Window* w = Control(m_hwnd, id);
    return w ? w->list.countHint : 0;
}

int Dialog::ListFocusedRow(int id) const {
    Window* w = Control(m_hwnd, id);
    return w ? ListFocused(*w) : -1;
}

int Dialog::ListSelectedRow(int id) const {
    Window* w = Control(m_hwnd, id);
    if (!w)
        return -1;
    for (int i = 0; i < static_cast<int>(w->list.items.size()); ++i)
        if (w->list.items[i].state & LVIS_SELECTED)
            return i;
    return -1;
}

int Dialog::SpinPos(int id) const {
    Window* w = Control(m_hwnd, id);
    return w ? w->ud.pos : 0;
}

int Dialog::SpinLower(int id) const {
    Window* w = Control(m_hwnd, id);
    return w ? w->ud.lower : 0;
}

int Dialog::SpinUpper(int id) const {
    Window* w = Control(m_hwnd, id);
    return w ? w->ud.upper : 0;
}

int Dialog::SpinBuddy(int id) const {
    Window* w = Control(m_hwnd, id);
    Window* b = w ? Find(w->ud.buddy) : nullptr;
    return b ? b->id : 0;
}

bool Dialog::EditAllSelected(int id) const {
    Window* w = Control(m_hwnd, id);
    if (!w || w->kind != Kind::Edit)
        return false;
    return w->edit.selStart == 0 && w->edit.selEnd == static_cast<int>(w->text.size());
}

HFONT Dialog::Font(int id) const {
    Window* w = Target(m_hwnd, id);
    return w ? w->font : nullptr;
}

RECT Dialog::WindowRect() const {
    RECT r{0, 0, 0, 0};
    GetWindowRect(m_hwnd, &r);
    return r;
}

RECT Dialog::ClientRect() const {
    RECT r{0, 0, 0, 0};
    GetClientRect(m_hwnd, &r);
    return r;
}

POINT Dialog::ClientOrigin() const {
    Window* d = Find(m_hwnd);
    return d ? sim::win::ClientOrigin(*d) : POINT{0, 0};
}

bool Dialog::Exists() const {
    return Find(m_hwnd) != nullptr;
}

} // namespace sim::ui
