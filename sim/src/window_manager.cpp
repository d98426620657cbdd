// sim's window manager: the windows and their handles, their data, text, visibility and
// enabled state, focus, relations and geometry. Message delivery is in window_messages.cpp, the
// dialog manager in window_dialog.cpp.
#include "window_internal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sim::win {

namespace {

uintptr_t g_nextHandle = 0x10000;

void ResetWindows() {
    State& st = S();
    st = State{};
}

struct Registrar {
    Registrar() { sim::detail::OnReset(&ResetWindows); }
} g_registrar;

} // namespace

RECT Insets(const Window& w) {
    RECT r{0, 0, 0, 0};
    int frame = 0;
    if (w.style & WS_CHILD) {
        if (w.style & WS_BORDER)
            frame += kBorder;
        if (w.exStyle & WS_EX_CLIENTEDGE)
            frame += kEdge;
        r = RECT{frame, frame, frame, frame};
        return r;
    }
    if (w.style & WS_THICKFRAME)
        frame = kSizeFrame;
    else if ((w.style & WS_DLGFRAME) || (w.exStyle & WS_EX_DLGMODALFRAME))
        frame = kDlgFrame;
    else if (w.style & WS_BORDER)
        frame = kBorder;
    r = RECT{frame, frame, frame, frame};
    if ((w.style & WS_CAPTION) == WS_CAPTION)
        r.top += kCaption;
    return r;
}

State& S() {
    static State state;
    return state;
}

void* NewHandle() {
    g_nextHandle += 4;
    return reinterpret_cast<void*>(g_nextHandle);
}

int MulDivRound(int a, int b, int c) {
    if (c == 0)
        return -1;
    long long n = static_cast<long long>(a) * b;
    long long q = (std::llabs(n) + std::llabs(static_cast<long long>(c)) / 2) / std::llabs(c);
    return static_cast<int>(((n < 0) != (c < 0)) ? -q : q);
}

std::string HandleText(const void* h) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%p", h);
    return buf;
}

Window* Find(HWND h) {
    if (!h)
        return nullptr;
    State& st = S();
    auto it = st.windows.find(h);
    if (it == st.windows.end() || it->second->destroyed)
        return nullptr;
    return it->second.get();
}

HWND TopLevel(HWND h) {
    Window* w = Find(h);
    while (w && (w->style & WS_CHILD) && w->parent) {
        Window* p = Find(w->parent);
        if (!p)
            break;
        w = p;
    }
    return w ? w->h : nullptr;
}

SIZE ClientSize(const Window& w) {
    RECT in = Insets(w);
    LONG cx = (w.rect.right - w.rect.left) - in.left - in.right;
    LONG cy = (w.rect.bottom - w.rect.top) - in.top - in.bottom;
    return SIZE{std::max<LONG>(cx, 0), std::max<LONG>(cy, 0)};
}

POINT ClientOrigin(const Window& w) {
    RECT in = Insets(w);
    POINT p{w.rect.left + in.left, w.rect.top + in.top};
    if ((w.style & WS_CHILD) && w.parent) {
        if (Window* parent = Find(w.parent)) {
            POINT o = ClientOrigin(*parent);
            p.x += o.x;
            p.y += o.y;
        }
    }
    return p;
}

bool ReallyVisible(HWND h) {
    Window* w = Find(h);
    while (w) {
        if (!(w->style & WS_VISIBLE))
            return false;
        if (!(w->style & WS_CHILD))
            return true;
        w = Find(w->parent);
    }
    return false;
}

} // namespace sim::win

using namespace sim::win;

extern "C" {

// ---- window data ----

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
    Window* w = Find(hWnd);
    if (!w) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    bool dlg = w->kind == Kind::Dialog;
    switch (nIndex) {
    case GWL_STYLE:
        return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(static_cast<LONG>(w->exStyle));
    case GWLP_ID:
        return w->id;
    case GWLP_USERDATA:
        return w->userData;
    case GWLP_HWNDPARENT:
        return (LONG_PTR)((w->style & WS_CHILD) ? w->parent : w->owner);
    case GWLP_HINSTANCE:
        return (LONG_PTR)GetModuleHandleA(nullptr);
    default:
        break;
    }
    if (dlg && nIndex == static_cast<int>(DWLP_MSGRESULT))
        return w->msgResult;
    if (dlg && nIndex == static_cast<int>(DWLP_DLGPROC))
        return (LONG_PTR)w->dlgProc;
    if (dlg && nIndex == static_cast<int>(DWLP_USER))
        return w->dlgUser;
    sim::detail::SetError(ERROR_INVALID_INDEX);
    return 0;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    Window* w = Find(hWnd);
    if (!w) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR old = 0;
    bool dlg = w->kind == Kind::Dialog;
    switch (nIndex) {
    case GWL_STYLE:
        old = static_cast<LONG>(w->style);
        w->style = static_cast<DWORD>(dwNewLong);
        return old;
    case GWL_EXSTYLE:
        old = static_cast<LONG>(w->exStyle);
        w->exStyle = static_cast<DWORD>(dwNewLong);
        return old;
    case GWLP_ID:
        old = w->id;
        w->id = static_cast<int>(dwNewLong);
        return old;
    case GWLP_USERDATA:
        old = w->userData;
        w->userData = dwNewLong;
        return old;
    default:
        break;
    }
    if (dlg && nIndex == static_cast<int>(DWLP_MSGRESULT)) {
        old = w->msgResult;
        w->msgResult = dwNewLong;
        return old;
    }
    if (dlg && nIndex == static_cast<int>(DWLP_DLGPROC)) {
        old = (LONG_PTR)w->dlgProc;
        w->dlgProc = reinterpret_cast<DLGPROC>(dwNewLong);
        return old;
    }
    if (dlg && nIndex == static_cast<int>(DWLP_USER)) {
        old = w->dlgUser;
        w->dlgUser = dwNewLong;
        return old;
    }
    sim::detail::SetError(ERROR_INVALID_INDEX);
    return 0;
}

// ---- window state ----

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (!Find(hWnd)) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return Send(hWnd, WM_SETTEXT, 0, (LPARAM)(lpString ? lpString : "")) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (!Find(hWnd)) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        if (lpString && nMaxCount > 0)
            lpString[0] = '\0';
        return 0;
    }
    if (!lpString || nMaxCount <= 0)
        return 0;
    return static_cast<int>(
        Send(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), (LPARAM)lpString));
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
    if (!Find(hWnd)) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(Send(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    Window* w = Find(hWnd);
    if (!w) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if (bEnable && wasDisabled) {
        w->style &= ~WS_DISABLED;
        Send(hWnd, WM_ENABLE, TRUE, 0);
    } else if (!bEnable && !wasDisabled) {
        w->style |= WS_DISABLED;
        // A disabled window cannot keep the keyboard focus.
        if (S().focus == hWnd || IsDescendant(hWnd, S().focus))
            SetFocusTo(nullptr);
        Send(hWnd, WM_ENABLE, FALSE, 0);
    }
    return wasDisabled;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    Window* w = Find(hWnd);
    if (!w) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
    bool top = !(w->style & WS_CHILD);
    switch (nCmdShow) {
    case SW_HIDE:
        if (wasVisible) {
            w->style &= ~WS_VISIBLE;
            HWND f = S().focus;
            if (f == hWnd || IsDescendant(hWnd, f))
                SetFocusTo(top ? nullptr : w->parent);
        }
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        // Only the state is kept: where a minimised window goes and how it looks is Windows'.
        w->style |= top ? WS_VISIBLE | WS_MINIMIZE : WS_VISIBLE;
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
        w->style = (w->style | WS_VISIBLE) & ~WS_MINIMIZE;
        break;
    default: // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE, SW_MAXIMIZE
        w->style |= WS_VISIBLE;
        break;
    }
    return wasVisible;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
    return ReallyVisible(hWnd) ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND hWnd) {
    Window* w = Find(hWnd);
    return w && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}

// ---- focus and relations ----

HWND WINAPI SetFocus(HWND hWnd) {
    HWND old = S().focus;
    if (hWnd) {
        Window* w = Find(hWnd);
        if (!w) {
            sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        // Disabled windows cannot take the focus.
        for (Window* a = w; a; a = (a->style & WS_CHILD) ? Find(a->parent) : nullptr)
            if (a->style & WS_DISABLED)
                return nullptr;
    }
    SetFocusTo(hWnd);
    return Find(old) ? old : nullptr;
}

HWND WINAPI GetFocus(void) {
    return Find(S().focus) ? S().focus : nullptr;
}

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
    sim::detail::LogCall(std::string("FindWindowA ") + (lpClassName ? lpClassName : "NULL") + " " +
                         (lpWindowName ? lpWindowName : "NULL"));
    for (const auto& [h, w] : S().windows) {
        if (w->destroyed || (w->style & WS_CHILD))
            continue;
        if (lpClassName && !sim::detail::EqualNoCase(w->cls, lpClassName))
            continue;
        if (lpWindowName && !sim::detail::EqualNoCase(w->text, lpWindowName))
            continue;
        return h;
    }
    return nullptr;
}

BOOL WINAPI SetForegroundWindow(HWND hWnd) {
    Window* w = Find(hWnd);
    sim::detail::LogCall("SetForegroundWindow " + (w ? w->text : std::string("(no window)")));
    return w ? TRUE : FALSE;
}

HWND WINAPI GetActiveWindow(void) {
    State& st = S();
    for (auto it = st.modal.rbegin(); it != st.modal.rend(); ++it) {
        Window* w = Find(*it);
        if (w && !w->ended)
            return *it;
    }
    return nullptr;
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
    Window* w = Find(hWnd);
    if (!w) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (uCmd == GW_OWNER)
        return (w->style & WS_CHILD) ? nullptr : w->owner;
    if (uCmd == GW_CHILD) {
        for (HWND c : w->children)
            if (Find(c))
                return c;
        return nullptr;
    }
    Window* p = (w->style & WS_CHILD) ? Find(w->parent) : nullptr;
    if (!p)
        return uCmd == GW_HWNDFIRST || uCmd == GW_HWNDLAST ? hWnd : nullptr;
    std::vector<HWND> sib;
    for (HWND c : p->children)
        if (Find(c))
            sib.push_back(c);
    auto it = std::find(sib.begin(), sib.end(), hWnd);
    switch (uCmd) {
    case GW_HWNDFIRST:
        return sib.front();
    case GW_HWNDLAST:
        return sib.back();
    case GW_HWNDNEXT:
        return (it != sib.end() && it + 1 != sib.end()) ? *(it + 1) : nullptr;
    case GW_HWNDPREV:
        return (it != sib.end() && it != sib.begin()) ? *(it - 1) : nullptr;
    default:
        return nullptr;
    }
}

// A child's parent, a pop-up's owner; none for any other window.
HWND WINAPI GetParent(HWND hWnd) {
    Window* w = Find(hWnd);
    if (!w) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (w->style & WS_CHILD)
        return w->parent;
    return (w->style & WS_POPUP) ? w->owner : nullptr;
}

// ---- geometry ----

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    Window* w = Find(hWnd);
    if (!w || !lpRect) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    SIZE s = ClientSize(*w);
    *lpRect = RECT{0, 0, s.cx, s.cy};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    Window* w = Find(hWnd);
    if (!w || !lpRect) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    RECT r = w->rect;
    if ((w->style & WS_CHILD) && w->parent) {
        if (Window* p = Find(w->parent)) {
            POINT o = ClientOrigin(*p);
            r.left += o.x;
            r.right += o.x;
            r.top += o.y;
            r.bottom += o.y;
        }
    }
    *lpRect = r;
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                         UINT uFlags) {
    (void)hWndInsertAfter;
    Window* w = Find(hWnd);
    if (!w) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    RECT& r = w->rect;
    LONG width = r.right - r.left, height = r.bottom - r.top;
    if (!(uFlags & SWP_NOSIZE)) {
        width = std::max(cx, 0);
        height = std::max(cy, 0);
    }
    LONG left = r.left, topY = r.top;
    if (!(uFlags & SWP_NOMOVE)) {
        left = X;
        topY = Y;
    }
    r = RECT{left, topY, left + width, topY + height};
    if (uFlags & SWP_SHOWWINDOW)
        ShowWindow(hWnd, SW_SHOWNA);
    if (uFlags & SWP_HIDEWINDOW)
        ShowWindow(hWnd, SW_HIDE);
    return TRUE;
}

} // extern "C"
