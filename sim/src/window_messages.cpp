// Message delivery: sending, posting, the modal loop's pump, focus changes and the default
// processing of the messages sim sends.
#include "window_internal.h"

#include <algorithm>
#include <cstring>

namespace sim::win {

LRESULT Send(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = Find(h);
    if (!w)
        return 0;
    if (w->kind == Kind::Dialog)
        return DialogDispatch(*w, msg, wp, lp);
    return ControlProc(*w, msg, wp, lp);
}

LRESULT Notify(HWND from, UINT code, NMHDR* hdr) {
    Window* w = Find(from);
    if (!w)
        return 0;
    hdr->hwndFrom = from;
    hdr->idFrom = static_cast<UINT_PTR>(w->id);
    hdr->code = code;
    return w->parent ? Send(w->parent, WM_NOTIFY, static_cast<WPARAM>(w->id), (LPARAM)hdr) : 0;
}

void Command(HWND from, WORD code) {
    Window* w = Find(from);
    if (!w || !w->parent)
        return;
    Send(w->parent, WM_COMMAND, MAKEWPARAM(w->id, code), (LPARAM)from);
}

namespace {

bool InnermostEnded() {
    State& st = S();
    if (st.modal.empty())
        return false;
    Window* w = Find(st.modal.back());
    return !w || w->ended;
}

} // namespace

// No WM_PAINT is ever due: how windows look is left to Windows itself.
void Pump() {
    State& st = S();
    while (!InnermostEnded() && !st.posted.empty()) {
        MSG m = st.posted.front();
        st.posted.pop_front();
        if (m.message == WM_TIMER && m.lParam) {
            reinterpret_cast<TIMERPROC>(m.lParam)(m.hwnd, WM_TIMER, m.wParam,
                                                  static_cast<DWORD>(st.now));
        } else if (Find(m.hwnd)) {
            Send(m.hwnd, m.message, m.wParam, m.lParam);
        }
    }
}

void SetFocusTo(HWND h) {
    State& st = S();
    HWND old = st.focus;
    if (old == h)
        return;
    st.focus = h;
    if (Find(old))
        Send(old, WM_KILLFOCUS, (WPARAM)h, 0);
    if (Window* w = Find(h)) {
        HWND top = TopLevel(h);
        if (Window* t = Find(top); t && t != w)
            t->savedFocus = h;
        Send(h, WM_SETFOCUS, (WPARAM)old, 0);
    }
}

void FocusForDialogNavigation(HWND h) {
    SetFocusTo(h);
    if (Send(h, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        Send(h, EM_SETSEL, 0, -1);
}

void Post(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    S().posted.push_back(MSG{h, msg, wp, lp, static_cast<DWORD>(S().now), {0, 0}});
}

bool IsEnabled(HWND h) {
    Window* w = Find(h);
    return w && !(w->style & WS_DISABLED);
}

bool IsDescendant(HWND ancestor, HWND h) {
    Window* w = Find(h);
    while (w && (w->style & WS_CHILD)) {
        if (w->parent == ancestor)
            return true;
        w = Find(w->parent);
    }
    return false;
}

LRESULT DefaultProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = Find(h);
    if (!w)
        return 0;
    switch (msg) {
    case WM_SETTEXT:
        w->text = lp ? reinterpret_cast<const char*>(lp) : "";
        return TRUE;
    case WM_GETTEXT: {
        char* buf = reinterpret_cast<char*>(lp);
        int max = static_cast<int>(wp);
        if (!buf || max <= 0)
            return 0;
        int n = std::min<int>(static_cast<int>(w->text.size()), max - 1);
        std::memcpy(buf, w->text.data(), n);
        buf[n] = '\0';
        return n;
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->text.size());
    // Of the system menu's commands only Close: minimising, restoring and the window's icons are
    // how it looks, which is Windows' own.
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == SC_CLOSE)
            Send(h, WM_CLOSE, 0, 0);
        return 0;
    case WM_KEYF1: {
        HELPINFO hi{};
        hi.cbSize = sizeof hi;
        hi.iContextType = HELPINFO_WINDOW;
        hi.iCtrlId = (w->style & WS_CHILD) ? w->id : 0;
        hi.hItemHandle = h;
        hi.dwContextId = 0;
        hi.MousePos = POINT{0, 0};
        Send(h, WM_HELP, 0, (LPARAM)&hi);
        return 0;
    }
    case WM_HELP: {
        // Passed up to the parent of a child window, or the owner of a top-level one.
        HWND up = (w->style & WS_CHILD) ? w->parent : w->owner;
        if (Find(up))
            Send(up, WM_HELP, wp, lp);
        return TRUE;
    }
    default:
        return 0;
    }
}

} // namespace sim::win

using namespace sim::win;

extern "C" {

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (!Find(hWnd)) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return Send(hWnd, Msg, wParam, lParam);
}

} // extern "C"
