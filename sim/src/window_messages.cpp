// Message delivery: sending, focus changes and the default processing of the messages sim sends.
// No WM_PAINT is ever due: how windows look is left to Windows itself.
#include "window_internal.h"

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

// No WM_SETFOCUS or WM_KILLFOCUS: neither the program nor sim's controls act on them. A dialog
// given the focus passes it on, as its default processing does, to its first tab stop (Windows
// first tries the control that had it last; nothing the program does tells the two apart).
void SetFocusTo(HWND h) {
    Window* w = Find(h);
    HWND first = w && w->kind == Kind::Dialog ? FirstTabStop(*w) : nullptr;
    S().focus = first ? first : h;
}

void FocusForDialogNavigation(HWND h) {
    SetFocusTo(h);
    if (Window* w = Find(h); w && w->kind == Kind::Edit)
        Send(h, EM_SETSEL, 0, -1);
}

bool IsDescendant(HWND ancestor, HWND h) {
    Window* w = Find(h); // controls sit directly on their dialog
    return w && (w->style & WS_CHILD) && w->parent == ancestor;
}

LRESULT DefaultProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = Find(h);
    if (!w)
        return 0;
    switch (msg) {
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
    default: // WM_SETICON among them: a window's icons are left to Windows, nothing reads them
        return 0;
    }
}

} // namespace sim::win

using namespace sim::win;

extern "C" {

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return FindOrFail(hWnd) ? Send(hWnd, Msg, wParam, lParam) : 0;
}

} // extern "C"
