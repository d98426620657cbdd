// sim's window manager: the windows and their handles, their data, text, visibility and
// enabled state, focus, relations and geometry. Message delivery is in window_messages.cpp, the
// dialog manager in window_dialog.cpp.
#include "window_internal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace sim::win {

namespace {

uintptr_t g_nextHandle = 0x10000;

void ResetWindows() {
    S() = State{};
    sim::detail::SetMessageBoxHook(nullptr); // no answers are queued any more
}

struct Registrar {
    Registrar() { sim::detail::OnReset(&ResetWindows); }
} g_registrar;

} // namespace

RECT Insets(const Window& w) {
    // Only dialogs are top-level here, with the modal frame; a control's client area is its
    // window's.
    int frame = (w.style & WS_CHILD) || !(w.style & DS_MODALFRAME) ? 0 : kDlgFrame;
    RECT r{frame, frame, frame, frame};
    if (!(w.style & WS_CHILD) && (w.style & WS_CAPTION) == WS_CAPTION)
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

Window* Find(HWND h) {
    if (!h)
        return nullptr;
    State& st = S();
    auto it = st.windows.find(h);
    if (it == st.windows.end() || it->second->destroyed)
        return nullptr;
    return it->second.get();
}

Window* FindOrFail(HWND h) {
    Window* w = Find(h);
    if (!w)
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

SIZE ClientSize(const Window& w) {
    RECT in = Insets(w);
    LONG cx = (w.rect.right - w.rect.left) - in.left - in.right;
    LONG cy = (w.rect.bottom - w.rect.top) - in.top - in.bottom;
    return SIZE{std::max<LONG>(cx, 0), std::max<LONG>(cy, 0)};
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

// The slots the program reads and writes: the style, and a dialog's result and user data.
static LONG_PTR* Slot(Window& w, int nIndex) {
    if (w.kind != Kind::Dialog)
        return nullptr;
    if (nIndex == static_cast<int>(DWLP_MSGRESULT))
        return &w.msgResult;
    if (nIndex == static_cast<int>(DWLP_USER))
        return &w.dlgUser;
    return nullptr;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
    Window* w = FindOrFail(hWnd);
    if (!w)
        return 0;
    if (nIndex == GWL_STYLE)
        return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    if (LONG_PTR* slot = Slot(*w, nIndex))
        return *slot;
    sim::detail::SetError(ERROR_INVALID_INDEX);
    return 0;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    Window* w = FindOrFail(hWnd);
    if (!w)
        return 0;
    LONG_PTR* slot = Slot(*w, nIndex);
    if (!slot) {
        sim::detail::SetError(ERROR_INVALID_INDEX);
        return 0;
    }
    LONG_PTR old = *slot;
    *slot = dwNewLong;
    return old;
}

// ---- window state ----

// The text is the window's own: no control here reacts to it being set, and an edit box's
// selection goes with its old text.
BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    Window* w = FindOrFail(hWnd);
    if (!w)
        return FALSE;
    w->text = lpString ? lpString : "";
    w->edit = EditData{};
    return TRUE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    Window* w = FindOrFail(hWnd);
    if (!lpString || nMaxCount <= 0)
        return 0;
    int n = w ? std::min<int>(static_cast<int>(w->text.size()), nMaxCount - 1) : 0;
    std::memcpy(lpString, w ? w->text.data() : "", n);
    lpString[n] = '\0';
    return n;
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
    Window* w = FindOrFail(hWnd);
    return w ? static_cast<int>(w->text.size()) : 0;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    Window* w = FindOrFail(hWnd);
    if (!w)
        return FALSE;
    BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if ((bEnable != FALSE) == !wasDisabled)
        return wasDisabled;
    w->style ^= WS_DISABLED;
    // A disabled window cannot keep the keyboard focus.
    if (!bEnable && (S().focus == hWnd || IsDescendant(hWnd, S().focus)))
        SetFocusTo(nullptr);
    return wasDisabled;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    Window* w = FindOrFail(hWnd);
    if (!w)
        return FALSE;
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
    default: // SW_SHOW, SW_RESTORE: nothing here minimises, that is the user's and Windows' own
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
        Window* w = FindOrFail(hWnd);
        if (!w)
            return nullptr;
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
        if (lpClassName && !sim::detail::EqualNoCase("#32770", lpClassName))
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

// Of the relations only the owner: the program centres a dialog on it.
HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
    Window* w = FindOrFail(hWnd);
    if (!w)
        return nullptr;
    return uCmd == GW_OWNER && !(w->style & WS_CHILD) ? w->owner : nullptr;
}

// A child's parent, a pop-up's owner; none for any other window.
HWND WINAPI GetParent(HWND hWnd) {
    Window* w = FindOrFail(hWnd);
    if (!w)
        return nullptr;
    return (w->style & WS_CHILD) ? w->parent : (w->style & WS_POPUP) ? w->owner : nullptr;
}

// ---- geometry ----

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    Window* w = FindOrFail(hWnd);
    if (!w || !lpRect)
        return FALSE;
    SIZE s = ClientSize(*w);
    *lpRect = RECT{0, 0, s.cx, s.cy};
    return TRUE;
}

// A dialog's rectangle. The program asks for no control's: where the controls sit is left to
// Windows, and sim keeps theirs in dialog units turned into pixels of the client area.
BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    Window* w = FindOrFail(hWnd);
    if (!w || !lpRect)
        return FALSE;
    *lpRect = w->rect;
    return TRUE;
}

// Moves or sizes a window; no z-order, activation or redrawing is modelled.
BOOL WINAPI SetWindowPos(HWND hWnd, HWND, int X, int Y, int cx, int cy, UINT uFlags) {
    Window* w = FindOrFail(hWnd);
    if (!w)
        return FALSE;
    RECT& r = w->rect;
    if (uFlags & SWP_NOSIZE) {
        cx = r.right - r.left;
        cy = r.bottom - r.top;
    }
    r = RECT{X, Y, X + std::max(cx, 0), Y + std::max(cy, 0)};
    return TRUE;
}

} // extern "C"
