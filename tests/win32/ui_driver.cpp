// The user of the window conformance tests on Windows: a queued script runs for each test dialog
// from inside its own modal loop (a message-filter hook sees the loop's first message), and acts
// with the real mouse and keyboard (SendInput), so that the dialog manager and the common
// controls see what a user's hand makes. After each action the messages it caused are pumped
// until the queue stays quiet.
#include "conformance_ui.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <set>

namespace hxt::ui {
namespace {

struct Driver {
    std::map<int, std::deque<Script>> scripts; // by template id
    std::vector<HWND> created;                 // top-level windows, newest last
    std::set<HWND> started;
    HHOOK filter = nullptr;
    HHOOK cbt = nullptr;
};

Driver& D() {
    static Driver d;
    return d;
}

int TemplateOf(HWND h) {
    char caption[64] = {};
    GetWindowTextA(h, caption, sizeof caption);
    return std::strncmp(caption, "Test ", 5) == 0 ? std::atoi(caption + 5) : 0;
}

void RunScript(HWND dlg) {
    D().started.insert(dlg);
    Script script;
    auto it = D().scripts.find(TemplateOf(dlg));
    if (it != D().scripts.end() && !it->second.empty()) {
        script = std::move(it->second.front());
        it->second.pop_front();
    }
    Dialog d(dlg);
    if (script)
        script(d);
    if (d.IsOpen())
        EndDialog(dlg, IDCANCEL);
}

// Called by every dialog's modal loop for each message it takes: the newest dialog that is
// visible and has not had its script yet gets it now.
LRESULT CALLBACK Filter(int code, WPARAM wp, LPARAM lp) {
    if (code == MSGF_DIALOGBOX) {
        for (auto it = D().created.rbegin(); it != D().created.rend(); ++it) {
            HWND h = *it;
            if (D().started.count(h) || !IsWindow(h) || !IsWindowVisible(h))
                continue;
            RunScript(h);
            break;
        }
    }
    return CallNextHookEx(D().filter, code, wp, lp);
}

LRESULT CALLBACK Cbt(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lp)->lpcs;
        if (!(cs->style & WS_CHILD)) {
            HWND h = reinterpret_cast<HWND>(wp);
            D().created.push_back(h);
            // Something for the modal loop to take, so that the filter runs once it does.
            PostMessageA(h, WM_NULL, 0, 0);
        }
    }
    return CallNextHookEx(D().cbt, code, wp, lp);
}

void Install() {
    if (D().filter)
        return;
    // The test templates hold a list view and an up-down control.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    D().filter = SetWindowsHookExA(WH_MSGFILTER, Filter, nullptr, GetCurrentThreadId());
    D().cbt = SetWindowsHookExA(WH_CBT, Cbt, nullptr, GetCurrentThreadId());
}

// Delivers what is queued now, through the dialog manager as a modal loop would.
void DispatchQueued() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        HWND root = m.hwnd ? GetAncestor(m.hwnd, GA_ROOT) : nullptr;
        if (!root || !IsDialogMessageA(root, &m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
}

// Delivers what is queued until nothing more arrives for a while.
void Pump() {
    for (int quiet = 0; quiet < 2;) {
        DispatchQueued();
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT) == WAIT_TIMEOUT)
            ++quiet;
    }
}

void Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

void Tap(WORD vk) {
    Key(vk, false);
    Key(vk, true);
    Pump();
}

void ClickAt(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof in[0]);
    Pump();
}

POINT CentreOf(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

} // namespace

void OnDialog(int templateId, Script script) {
    Install();
    D().scripts[templateId].push_back(std::move(script));
}

void Elapse(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (DWORD gone = 0; gone < milliseconds; gone = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - gone, QS_ALLINPUT);
        DispatchQueued();
    }
}

// Installed before the first dialog, scripted or not.
const bool kInstalled = (Install(), true);

HWND Dialog::Item(int id) const {
    return id ? GetDlgItem(m_hwnd, id) : m_hwnd;
}

bool Dialog::IsOpen() const {
    return IsWindow(m_hwnd) && IsWindowVisible(m_hwnd);
}

void Dialog::Click(int id) {
    RECT r;
    if (GetWindowRect(Item(id), &r))
        ClickAt(CentreOf(r));
}

void Dialog::ClickListRow(int id, int row) {
    HWND list = Item(id);
    RECT r{};
    r.left = LVIR_BOUNDS;
    if (!SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r)))
        return;
    POINT p = CentreOf(r);
    ClientToScreen(list, &p);
    ClickAt(p);
}

void Dialog::ClickListBelowRows(int id) {
    HWND list = Item(id);
    RECT r;
    GetClientRect(list, &r);
    POINT p{r.right / 2, r.bottom - 4};
    ClientToScreen(list, &p);
    ClickAt(p);
}

void Dialog::ListKeyDown(int id, int vk) {
    if (GetFocus() != Item(id))
        SetFocus(Item(id));
    Tap(static_cast<WORD>(vk));
}

void Dialog::SpinArrow(int id, int delta) {
    HWND spin = Item(id);
    // One click moves by the first acceleration step: make it the step asked for.
    UDACCEL saved[8];
    const int n = static_cast<int>(SendMessageA(spin, UDM_GETACCEL, 8, (LPARAM)saved));
    UDACCEL step{0, static_cast<UINT>(std::abs(delta))};
    SendMessageA(spin, UDM_SETACCEL, 1, (LPARAM)&step);
    RECT r;
    GetWindowRect(spin, &r);
    const int h = r.bottom - r.top;
    ClickAt({(r.left + r.right) / 2, delta > 0 ? r.top + h / 4 : r.bottom - 1 - h / 4});
    SendMessageA(spin, UDM_SETACCEL, n, (LPARAM)saved);
}

void Dialog::SetText(int id, const std::string& text) {
    SetWindowTextA(Item(id), text.c_str());
    Pump();
}

void Dialog::Enter() {
    Tap(VK_RETURN);
}

void Dialog::Esc() {
    Tap(VK_ESCAPE);
}

void Dialog::F1(bool shift, bool ctrl, bool alt) {
    const WORD mods[] = {static_cast<WORD>(shift ? VK_SHIFT : 0),
                         static_cast<WORD>(ctrl ? VK_CONTROL : 0),
                         static_cast<WORD>(alt ? VK_MENU : 0)};
    for (WORD m : mods)
        if (m)
            Key(m, false);
    Key(VK_F1, false);
    Key(VK_F1, true);
    for (WORD m : mods)
        if (m)
            Key(m, true);
    Pump();
}

void Dialog::CloseBox() {
    RECT r;
    GetWindowRect(m_hwnd, &r);
    PostMessageA(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(r.right - 10, r.top + 10));
    Pump();
}

std::string Dialog::Text(int id) const {
    char buf[512] = {};
    GetWindowTextA(Item(id), buf, sizeof buf);
    return buf;
}

bool Dialog::Enabled(int id) const {
    return IsWindowEnabled(Item(id)) != FALSE;
}

bool Dialog::Visible(int id) const {
    return IsWindowVisible(Item(id)) != FALSE;
}

int Dialog::FocusId() const {
    HWND f = GetFocus();
    while (f && GetParent(f) && GetParent(f) != m_hwnd)
        f = GetParent(f);
    return f && f != m_hwnd ? GetDlgCtrlID(f) : 0;
}

std::vector<std::string> Dialog::ListRows(int id) const {
    std::vector<std::string> out;
    HWND list = Item(id);
    const int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char buf[256] = {};
        LVITEMA it{};
        it.iSubItem = 0;
        it.pszText = buf;
        it.cchTextMax = sizeof buf;
        SendMessageA(list, LVM_GETITEMTEXTA, i, (LPARAM)&it);
        out.push_back(buf);
    }
    return out;
}

std::vector<int> Dialog::ListImages(int id) const {
    std::vector<int> out;
    HWND list = Item(id);
    const int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        LVITEMA it{};
        it.mask = LVIF_IMAGE;
        it.iItem = i;
        SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)&it);
        out.push_back(it.iImage);
    }
    return out;
}

std::vector<std::string> Dialog::ListColumns(int id) const {
    std::vector<std::string> out;
    for (int c = 0;; ++c) {
        char buf[256] = {};
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT;
        col.pszText = buf;
        col.cchTextMax = sizeof buf;
        if (!SendMessageA(Item(id), LVM_GETCOLUMNA, c, (LPARAM)&col))
            return out;
        out.push_back(buf);
    }
}

int Dialog::ListColumnWidth(int id, int column) const {
    return static_cast<int>(SendMessageA(Item(id), LVM_GETCOLUMNWIDTH, column, 0));
}

int Dialog::SpinPos(int id) const {
    return static_cast<short>(LOWORD(SendMessageA(Item(id), UDM_GETPOS, 0, 0)));
}

int Dialog::SpinLower(int id) const {
    return static_cast<short>(HIWORD(SendMessageA(Item(id), UDM_GETRANGE, 0, 0)));
}

int Dialog::SpinUpper(int id) const {
    return static_cast<short>(LOWORD(SendMessageA(Item(id), UDM_GETRANGE, 0, 0)));
}

bool Dialog::EditAllSelected(int id) const {
    DWORD start = 0, end = 0;
    SendMessageA(Item(id), EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    return start == 0 && end == static_cast<DWORD>(GetWindowTextLengthA(Item(id)));
}

HFONT Dialog::Font(int id) const {
    return reinterpret_cast<HFONT>(SendMessageA(Item(id), WM_GETFONT, 0, 0));
}

RECT Dialog::WindowRect() const {
    RECT r{};
    GetWindowRect(m_hwnd, &r);
    return r;
}

} // namespace hxt::ui
