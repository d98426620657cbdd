// sim's window manager: windows and their data, message delivery, modal dialogs created from
// templates, focus, geometry, system metrics, keyboard state, timers and the help engine.
#include "window_internal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sim::win {

namespace {

// Classic (non-themed) metrics of a 1024 x 768 screen with the task bar at the bottom.
constexpr int kScreenW = 1024, kScreenH = 768;
constexpr RECT kWorkArea{0, 0, 1024, 738};
constexpr int kCaption = 19, kDlgFrame = 3, kSizeFrame = 4, kBorder = 1, kEdge = 2;
constexpr int kMinimisedW = 160, kMinimisedH = 24;
// The dialog font's base units: 8-point "MS Sans Serif" at 96 dpi averages 6 x 13 pixels; the
// system font (no font in the template) 8 x 16.
constexpr int kDluBaseX = 6, kDluBaseY = 13, kSysBaseX = 8, kSysBaseY = 16;

uintptr_t g_nextHandle = 0x10000;

void ResetWindows() {
    State& st = S();
    st = State{};
}

struct Registrar {
    Registrar() { sim::detail::OnReset(&ResetWindows); }
} g_registrar;

int BoxHook(HWND owner, const char* text, const char* caption, UINT type) {
    State& st = S();
    UINT kind = type & MB_TYPEMASK;
    int dflt = kind == MB_ABORTRETRYIGNORE                    ? IDABORT
               : (kind == MB_YESNOCANCEL || kind == MB_YESNO) ? IDYES
               : kind == MB_RETRYCANCEL                       ? IDRETRY
                                                              : IDOK;
    if (st.boxAnswers.empty())
        return dflt;
    sim::ui::BoxAnswer answer = std::move(st.boxAnswers.front());
    st.boxAnswers.pop_front();
    sim::MessageBoxCall call{owner, text ? text : "", caption ? caption : "", type};
    return answer ? answer(call) : dflt;
}

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

HWND ToHwnd(void* p) {
    return static_cast<HWND>(p);
}

} // namespace

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
    if (w.iconic)
        return SIZE{0, 0};
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

void Invalidate(Window& w, const RECT* rect, bool erase) {
    SIZE cs = ClientSize(w);
    RECT r = rect ? *rect : RECT{0, 0, cs.cx, cs.cy};
    if (!rect)
        w.updateWhole = true;
    if (w.updatePending) {
        w.updateRect.left = std::min(w.updateRect.left, r.left);
        w.updateRect.top = std::min(w.updateRect.top, r.top);
        w.updateRect.right = std::max(w.updateRect.right, r.right);
        w.updateRect.bottom = std::max(w.updateRect.bottom, r.bottom);
    } else {
        w.updateRect = r;
    }
    w.updatePending = true;
    w.eraseNeeded = w.eraseNeeded || erase;
}

// ---- message delivery ----

namespace {

HWND FindDefButton(Window& dlg) {
    for (HWND c : dlg.children) {
        Window* cw = Find(c);
        if (cw && cw->kind == Kind::Button && (cw->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return c;
    }
    return nullptr;
}

HWND FirstTabStop(Window& dlg) {
    for (HWND c : dlg.children) {
        Window* cw = Find(c);
        if (cw && (cw->style & WS_TABSTOP) && (cw->style & WS_VISIBLE) &&
            !(cw->style & WS_DISABLED))
            return c;
    }
    return nullptr;
}

LRESULT DefDlgDefault(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = w.h;
    switch (msg) {
    case WM_CLOSE: {
        // The close box and Alt+F4 act as the Cancel button, even a disabled one.
        HWND cancel = GetDlgItem(h, IDCANCEL);
        Post(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)cancel);
        return 0;
    }
    case DM_GETDEFID: {
        if (Window* def = Find(FindDefButton(w)))
            return MAKELONG(def->id, DC_HASDEFID);
        return 0;
    }
    case WM_SETFOCUS: {
        HWND target = Find(w.savedFocus) ? w.savedFocus : FirstTabStop(w);
        if (target)
            SetFocusTo(target);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_NCDESTROY:
        if (w.ownsFont && w.font) {
            DeleteObject(w.font);
            w.font = nullptr;
        }
        return 0;
    default:
        return DefaultProc(h, msg, wp, lp);
    }
}

LRESULT DialogDispatch(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = w.h;
    w.msgResult = 0;
    INT_PTR r = w.dlgProc ? w.dlgProc(h, msg, wp, lp) : 0;
    Window* pw = Find(h);
    if (!pw)
        return r;
    if (!r) {
        switch (msg) {
        case WM_ERASEBKGND:
        case WM_SETFOCUS:
        case DM_GETDEFID:
        case WM_CLOSE:
        case WM_NCDESTROY:
            return DefDlgDefault(*pw, msg, wp, lp);
        case WM_INITDIALOG:
            break;
        default:
            return DefaultProc(h, msg, wp, lp);
        }
    }
    // A dialog procedure returns TRUE for "handled"; the real result travels in DWLP_MSGRESULT,
    // except for the few messages whose result is the return value itself.
    if (msg == WM_QUERYDRAGICON || msg == WM_INITDIALOG)
        return r;
    return pw->msgResult;
}

} // namespace

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

bool PaintOne() {
    State& st = S();
    for (auto& [h, wp] : st.windows) {
        Window& w = *wp;
        if (w.destroyed || !w.updatePending || !ReallyVisible(h))
            continue;
        Send(h, WM_PAINT, 0, 0);
        // A WM_PAINT handler that does not validate (no BeginPaint) would be sent WM_PAINT
        // forever; validate it here instead of looping.
        if (Window* again = Find(h)) {
            again->updatePending = false;
            again->updateWhole = false;
            again->eraseNeeded = false;
        }
        return true;
    }
    return false;
}

} // namespace

void Pump() {
    State& st = S();
    for (;;) {
        if (InnermostEnded())
            return;
        if (!st.posted.empty()) {
            MSG m = st.posted.front();
            st.posted.pop_front();
            if (m.message == WM_TIMER && m.lParam) {
                reinterpret_cast<TIMERPROC>(m.lParam)(m.hwnd, WM_TIMER, m.wParam,
                                                      static_cast<DWORD>(st.now));
            } else if (Find(m.hwnd)) {
                Send(m.hwnd, m.message, m.wParam, m.lParam);
            }
            continue;
        }
        if (PaintOne())
            continue;
        return;
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
    case WM_SETICON: {
        HICON old = wp == ICON_BIG ? w->iconBig : w->iconSmall;
        if (wp == ICON_BIG)
            w->iconBig = reinterpret_cast<HICON>(lp);
        else
            w->iconSmall = reinterpret_cast<HICON>(lp);
        return (LRESULT)old;
    }
    case WM_SYSCOMMAND:
        switch (wp & 0xFFF0) {
        case SC_CLOSE:
            Send(h, WM_CLOSE, 0, 0);
            break;
        case SC_MINIMIZE:
            ShowWindow(h, SW_MINIMIZE);
            break;
        case SC_RESTORE:
            ShowWindow(h, SW_RESTORE);
            break;
        default:
            break;
        }
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
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(h, &ps);
        EndPaint(h, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
    case WM_ICONERASEBKGND:
        return 1;
    default:
        return 0;
    }
}

} // namespace sim::win

using namespace sim::win;

// ======================================================================================
// Win32 API
// ======================================================================================

extern "C" {

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (!Find(hWnd)) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return Send(hWnd, Msg, wParam, lParam);
}

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

// ---- dialogs ----

static Kind KindOfClass(const std::string& cls) {
    auto eq = [&](const char* n) { return sim::detail::EqualNoCase(cls, n); };
    if (eq("Button"))
        return Kind::Button;
    if (eq("Edit"))
        return Kind::Edit;
    if (eq("Static"))
        return Kind::Static;
    if (eq(WC_LISTVIEWA))
        return Kind::ListView;
    if (eq(UPDOWN_CLASSA))
        return Kind::UpDown;
    return Kind::Other;
}

static int TemplateIdOf(LPCSTR name) {
    if (!name)
        return -1;
    if (IS_INTRESOURCE(name))
        return LOWORD(reinterpret_cast<ULONG_PTR>(name));
    if (name[0] == '#')
        return std::atoi(name + 1);
    return -1;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    (void)hInstance;
    State& st = S();
    int tid = TemplateIdOf(lpTemplateName);
    sim::detail::LogCall("DialogBoxParamA " + std::to_string(tid));
    DWORD err = 0;
    if (sim::detail::ShouldFail(sim::Api::DialogBoxParam, "", "", &err)) {
        sim::detail::SetError(err);
        return -1;
    }
    const sim::res::DialogTemplate* t = nullptr;
    if (auto it = st.testTemplates.find(tid); it != st.testTemplates.end())
        t = &it->second;
    else if (tid >= 0)
        t = sim::res::FindDialog(tid);
    if (!t) {
        sim::detail::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    if (hWndParent && !Find(hWndParent)) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    const sim::res::DialogTemplate tmpl = *t; // the script may add templates meanwhile
    HWND owner = hWndParent ? TopLevel(hWndParent) : nullptr;
    st.dialogsRun.push_back(tid);
    HWND prevFocus = st.focus;

    // ---- the dialog window ----
    auto owned = std::make_unique<Window>();
    Window& dlg = *owned;
    dlg.h = ToHwnd(NewHandle());
    dlg.kind = Kind::Dialog;
    dlg.cls = "#32770";
    dlg.text = tmpl.caption;
    dlg.style = tmpl.style & ~(WS_CHILD | WS_VISIBLE);
    dlg.exStyle = tmpl.exStyle;
    if (dlg.style & DS_MODALFRAME)
        dlg.exStyle |= WS_EX_DLGMODALFRAME;
    dlg.owner = owner;
    dlg.dlgProc = lpDialogFunc;
    dlg.templateId = tid;
    bool hasFont = (tmpl.style & DS_SETFONT) || !tmpl.fontFace.empty();
    int bx = hasFont ? kDluBaseX : kSysBaseX, by = hasFont ? kDluBaseY : kSysBaseY;
    RECT in = Insets(dlg);
    int cw = MulDivRound(tmpl.cx, bx, 4), ch = MulDivRound(tmpl.cy, by, 8);
    int ww = cw + in.left + in.right, wh = ch + in.top + in.bottom;
    POINT pos{MulDivRound(tmpl.x, bx, 4), MulDivRound(tmpl.y, by, 8)};
    if (tmpl.style & DS_CENTER) {
        pos = POINT{(kWorkArea.right - ww) / 2, (kWorkArea.bottom - wh) / 2};
    } else if (Window* o = Find(owner); o && !(tmpl.style & DS_ABSALIGN)) {
        POINT org = ClientOrigin(*o);
        pos.x += org.x;
        pos.y += org.y;
    }
    // Kept on the work area, as the dialog manager does.
    if (pos.x + ww > kWorkArea.right)
        pos.x = kWorkArea.right - ww;
    if (pos.x < kWorkArea.left)
        pos.x = kWorkArea.left;
    if (pos.y + wh > kWorkArea.bottom)
        pos.y = kWorkArea.bottom - wh;
    if (pos.y < kWorkArea.top)
        pos.y = kWorkArea.top;
    dlg.rect = RECT{pos.x, pos.y, pos.x + ww, pos.y + wh};
    HWND hDlg = dlg.h;
    st.windows[hDlg] = std::move(owned);
    if (hasFont) {
        dlg.font = CreateDialogFont(tmpl.fontFace, tmpl.pointSize);
        dlg.ownsFont = true;
        Send(hDlg, WM_SETFONT, (WPARAM)dlg.font, FALSE);
    }

    // ---- its controls, in template order ----
    for (const sim::res::DialogItem& item : tmpl.items) {
        auto c = std::make_unique<Window>();
        c->h = ToHwnd(NewHandle());
        c->cls = item.windowClass;
        c->kind = KindOfClass(item.windowClass);
        c->text = item.text;
        c->style = item.style | WS_CHILD;
        c->exStyle = item.exStyle;
        c->id = item.id;
        c->parent = hDlg;
        int x = MulDivRound(item.x, bx, 4), y = MulDivRound(item.y, by, 8);
        c->rect = RECT{x, y, x + MulDivRound(item.cx, bx, 4), y + MulDivRound(item.cy, by, 8)};
        if (c->kind == Kind::Edit)
            c->edit.selStart = c->edit.selEnd = 0;
        HWND hc = c->h;
        dlg.children.push_back(hc);
        st.windows[hc] = std::move(c);
        if (dlg.font)
            Send(hc, WM_SETFONT, (WPARAM)dlg.font, FALSE);
    }
    for (HWND hc : dlg.children)
        if (Window* c = Find(hc))
            InitControl(*c);

    // ---- run it ----
    bool ownerDisabled = false;
    if (Window* o = Find(owner); o && !(o->style & WS_DISABLED)) {
        EnableWindow(owner, FALSE);
        ownerDisabled = true;
    }
    st.modal.push_back(hDlg);
    HWND first = FirstTabStop(dlg);
    LRESULT init = Send(hDlg, WM_INITDIALOG, (WPARAM)first, dwInitParam);
    Window* d = Find(hDlg);
    // The first tab stop is looked up again: the initialisation may have hidden or disabled it.
    if (d && !d->ended && init) {
        if (HWND f = FirstTabStop(*d))
            FocusForDialogNavigation(f);
    } else if (d && !d->ended && !IsDescendant(hDlg, st.focus)) {
        // Showing the dialog activates it, and the dialog passes the focus it gets on to the
        // first tab stop: a procedure that returned FALSE without choosing one still gets one.
        SetFocusTo(hDlg);
    }
    sim::ui::Script script;
    bool haveScript = false;
    if (auto it = st.scripts.find(tid); it != st.scripts.end() && !it->second.empty()) {
        script = std::move(it->second.front());
        it->second.pop_front();
        haveScript = true;
    }
    if ((d = Find(hDlg)) && !d->ended) {
        d->style |= WS_VISIBLE;
        Invalidate(*d, nullptr, true);
        for (HWND hc : d->children)
            if (Window* c = Find(hc))
                Invalidate(*c, nullptr, true);
        Pump();
    }
    if ((d = Find(hDlg)) && !d->ended && haveScript && script) {
        sim::ui::Dialog driver(hDlg);
        script(driver);
        Pump();
    }
    if ((d = Find(hDlg)) && !d->ended) {
        ++st.unscripted;
        sim::ui::Dialog(hDlg).Esc();
    }
    d = Find(hDlg);
    if (d && !d->ended) {
        // The procedure ignored Esc too: nobody is left to close it.
        sim::detail::RecordMisuse("dialog " + std::to_string(tid) +
                                  " stayed open after its script and Esc; ended with IDCANCEL");
        d->ended = true;
        d->result = IDCANCEL;
    }
    INT_PTR result = d ? d->result : IDCANCEL;

    // ---- tear down ----
    if (ownerDisabled && Find(owner))
        EnableWindow(owner, TRUE);
    if (d) {
        d->style &= ~WS_VISIBLE;
        Send(hDlg, WM_DESTROY, 0, 0);
        for (HWND hc : d->children)
            if (Find(hc))
                Send(hc, WM_DESTROY, 0, 0);
        for (HWND hc : d->children)
            if (Window* c = Find(hc)) {
                DestroyControl(*c);
                Send(hc, WM_NCDESTROY, 0, 0);
            }
        Send(hDlg, WM_NCDESTROY, 0, 0);
        for (HWND hc : d->children)
            if (Window* c = Find(hc))
                c->destroyed = true;
        d->destroyed = true;
    }
    st.timers.erase(std::remove_if(st.timers.begin(), st.timers.end(),
                                   [&](const Timer& tm) { return tm.hwnd && !Find(tm.hwnd); }),
                    st.timers.end());
    st.modal.erase(std::remove(st.modal.begin(), st.modal.end(), hDlg), st.modal.end());
    if (!Find(st.focus))
        st.focus = nullptr;
    if (Find(prevFocus))
        SetFocusTo(prevFocus);
    else if (Window* o = Find(owner))
        SetFocusTo(Find(o->savedFocus) ? o->savedFocus : owner);
    return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    Window* w = Find(hDlg);
    if (!w || w->kind != Kind::Dialog) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    sim::detail::LogCall("EndDialog " + std::to_string(w->templateId) + " " +
                         std::to_string(static_cast<long long>(nResult)));
    if (!w->ended) {
        w->ended = true;
        w->result = nResult;
    }
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    Window* w = Find(hDlg);
    if (!w) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (HWND c : w->children) {
        Window* cw = Find(c);
        if (cw && cw->id == nIDDlgItem)
            return c;
    }
    sim::detail::SetError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
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
        // A control redraws itself greyed or not; a dialog's client area is left as it is (what
        // the program drew there survives a nested modal dialog).
        if (Window* again = Find(hWnd); again && (again->style & WS_CHILD))
            Invalidate(*again, nullptr, true);
    } else if (!bEnable && !wasDisabled) {
        w->style |= WS_DISABLED;
        // A disabled window cannot keep the keyboard focus.
        if (S().focus == hWnd || IsDescendant(hWnd, S().focus))
            SetFocusTo(nullptr);
        Send(hWnd, WM_ENABLE, FALSE, 0);
        if (Window* again = Find(hWnd); again && (again->style & WS_CHILD))
            Invalidate(*again, nullptr, true);
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
            // What was under a hidden child is uncovered: the parent repaints that part.
            if (!top) {
                if (Window* p = Find(w->parent))
                    Invalidate(*p, &w->rect, true);
            }
            HWND f = S().focus;
            if (f == hWnd || IsDescendant(hWnd, f))
                SetFocusTo(top ? nullptr : w->parent);
        }
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        w->style |= WS_VISIBLE;
        if (top && !w->iconic) {
            w->restoreRect = w->rect;
            w->iconic = true;
            w->style |= WS_MINIMIZE;
            w->rect = RECT{-32000, -32000, -32000 + kMinimisedW, -32000 + kMinimisedH};
            Invalidate(*w, nullptr, true);
        }
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
        w->style |= WS_VISIBLE;
        if (w->iconic) {
            w->iconic = false;
            w->style &= ~WS_MINIMIZE;
            w->rect = w->restoreRect;
        }
        if (!wasVisible || nCmdShow == SW_RESTORE) {
            Invalidate(*w, nullptr, true);
            for (HWND c : w->children)
                if (Window* cw = Find(c))
                    Invalidate(*cw, nullptr, true);
        }
        break;
    default: // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE, SW_MAXIMIZE
        if (!wasVisible) {
            w->style |= WS_VISIBLE;
            Invalidate(*w, nullptr, true);
        }
        break;
    }
    return wasVisible;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
    return ReallyVisible(hWnd) ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND hWnd) {
    Window* w = Find(hWnd);
    return w && w->iconic ? TRUE : FALSE;
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
    RECT& r = w->iconic ? w->restoreRect : w->rect;
    LONG width = r.right - r.left, height = r.bottom - r.top;
    bool resized = false;
    if (!(uFlags & SWP_NOSIZE)) {
        resized = cx != width || cy != height;
        width = std::max(cx, 0);
        height = std::max(cy, 0);
    }
    LONG left = r.left, topY = r.top;
    if (!(uFlags & SWP_NOMOVE)) {
        left = X;
        topY = Y;
    }
    r = RECT{left, topY, left + width, topY + height};
    if (resized && !(uFlags & SWP_NOREDRAW) && !w->iconic)
        Invalidate(*w, nullptr, true);
    if (uFlags & SWP_SHOWWINDOW)
        ShowWindow(hWnd, SW_SHOWNA);
    if (uFlags & SWP_HIDEWINDOW)
        ShowWindow(hWnd, SW_HIDE);
    return TRUE;
}

// ---- metrics ----

int WINAPI GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
        return kScreenW;
    case SM_CYSCREEN:
        return kScreenH;
    case SM_CYFULLSCREEN:
        return kWorkArea.bottom - kCaption;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return 16;
    case SM_CYCAPTION:
        return kCaption;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return kBorder;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return kDlgFrame;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return kSizeFrame;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return kEdge;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYMENU:
        return 19;
    case SM_CXSIZE:
    case SM_CYSIZE:
        return 18;
    case SM_CYSMCAPTION:
        return 15;
    case SM_CXMIN:
        return 112;
    case SM_CYMIN:
        return 27;
    case SM_CXICONSPACING:
    case SM_CYICONSPACING:
        return 75;
    case SM_CXMINIMIZED:
        return kMinimisedW;
    case SM_CYMINIMIZED:
        return kMinimisedH;
    case SM_CXMAXIMIZED:
        return kWorkArea.right + 2 * kSizeFrame;
    case SM_CYMAXIMIZED:
        return kWorkArea.bottom + 2 * kSizeFrame;
    case SM_CMONITORS:
        return 1;
    default:
        return 0;
    }
}

BOOL WINAPI SystemParametersInfoA(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni) {
    (void)uiParam;
    (void)fWinIni;
    if (uiAction == SPI_GETWORKAREA && pvParam) {
        *static_cast<RECT*>(pvParam) = kWorkArea;
        return TRUE;
    }
    sim::detail::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

// ---- keyboard ----

SHORT WINAPI GetKeyState(int nVirtKey) {
    State& st = S();
    bool down = false;
    switch (nVirtKey) {
    case VK_SHIFT:
    case VK_LSHIFT:
        down = st.keyShift;
        break;
    case VK_CONTROL:
    case VK_LCONTROL:
        down = st.keyCtrl;
        break;
    case VK_MENU:
    case VK_LMENU:
        down = st.keyAlt;
        break;
    default:
        break;
    }
    return down ? static_cast<SHORT>(0x8000) : 0;
}

// ---- timers ----

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    State& st = S();
    sim::detail::LogCall("SetTimer " + std::to_string(nIDEvent) + " " + std::to_string(uElapse));
    DWORD err = 0;
    if (sim::detail::ShouldFail(sim::Api::SetTimer, "", "", &err)) {
        sim::detail::SetError(err);
        return 0;
    }
    if (hWnd && !Find(hWnd)) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    UINT period = std::max<UINT>(uElapse, USER_TIMER_MINIMUM);
    if (period > USER_TIMER_MAXIMUM)
        period = USER_TIMER_MAXIMUM;
    UINT_PTR id = nIDEvent;
    if (!hWnd) {
        // A thread timer: an existing one is replaced only when its id is passed back.
        auto it = std::find_if(st.timers.begin(), st.timers.end(), [&](const Timer& t) {
            return !t.hwnd && t.id == nIDEvent && nIDEvent != 0;
        });
        if (it == st.timers.end())
            id = ++st.nextThreadTimer;
    }
    auto it = std::find_if(st.timers.begin(), st.timers.end(),
                           [&](const Timer& t) { return t.hwnd == hWnd && t.id == id; });
    Timer t{hWnd, id, period, lpTimerFunc, st.now + period, ++st.timerSeq};
    if (it != st.timers.end())
        *it = t;
    else
        st.timers.push_back(t);
    return hWnd ? (id ? id : 1) : id;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    State& st = S();
    sim::detail::LogCall("KillTimer " + std::to_string(uIDEvent));
    auto it = std::find_if(st.timers.begin(), st.timers.end(),
                           [&](const Timer& t) { return t.hwnd == hWnd && t.id == uIDEvent; });
    if (it == st.timers.end()) {
        sim::detail::SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    st.timers.erase(it);
    // A WM_TIMER already queued for it is dropped too.
    st.posted.erase(std::remove_if(st.posted.begin(), st.posted.end(),
                                   [&](const MSG& m) {
                                       return m.message == WM_TIMER && m.hwnd == hWnd &&
                                              m.wParam == uIDEvent;
                                   }),
                    st.posted.end());
    return TRUE;
}

// ---- help ----

BOOL WINAPI WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData) {
    (void)hWndMain;
    State& st = S();
    std::string file = lpszHelp ? lpszHelp : "";
    char data[32];
    std::snprintf(data, sizeof data, "0x%llX", static_cast<unsigned long long>(dwData));
    sim::detail::LogCall("WinHelpA " + file + " " + std::to_string(uCommand) + " " + data);
    st.help.push_back(sim::ui::HelpCall{file, uCommand, dwData});
    DWORD err = 0;
    if (sim::detail::ShouldFail(sim::Api::WinHelp, "", "", &err)) {
        sim::detail::SetError(err);
        return FALSE;
    }
    return TRUE;
}

} // extern "C"

// ======================================================================================
// Test API: clock, scripts, observations
// ======================================================================================

namespace sim::ui {

void OnDialog(int templateId, Script script) {
    S().scripts[templateId].push_back(std::move(script));
}

std::size_t UnscriptedDialogs() {
    return S().unscripted;
}

void AdvanceClock(DWORD milliseconds) {
    State& st = S();
    uint64_t target = st.now + milliseconds;
    for (;;) {
        Pump();
        auto next = st.timers.end();
        for (auto it = st.timers.begin(); it != st.timers.end(); ++it) {
            if (it->due > target)
                continue;
            if (next == st.timers.end() || it->due < next->due ||
                (it->due == next->due && it->seq < next->seq))
                next = it;
        }
        if (next == st.timers.end())
            break;
        Timer fired = *next;
        st.now = fired.due;
        next->due += fired.period;
        if (fired.hwnd && !Find(fired.hwnd)) {
            st.timers.erase(next);
            continue;
        }
        if (fired.proc)
            fired.proc(fired.hwnd, WM_TIMER, fired.id, static_cast<DWORD>(st.now));
        else if (fired.hwnd)
            Send(fired.hwnd, WM_TIMER, fired.id, 0);
    }
    st.now = target;
    Pump();
}

DWORD ClockNow() {
    return static_cast<DWORD>(S().now);
}

std::size_t LiveTimerCount() {
    std::size_t n = 0;
    for (const Timer& t : S().timers)
        if (!t.hwnd || Find(t.hwnd))
            ++n;
    return n;
}

void OnMessageBox(BoxAnswer answer) {
    sim::detail::SetMessageBoxHook(&BoxHook);
    S().boxAnswers.push_back(std::move(answer));
}

void AddTestTemplate(const sim::res::DialogTemplate& tmpl) {
    S().testTemplates[tmpl.id] = tmpl;
}

const std::vector<HelpCall>& HelpCalls() {
    return S().help;
}
const std::vector<int>& DialogsRun() {
    return S().dialogsRun;
}
DWORD CommonControlsInitialised() {
    return S().icc;
}

} // namespace sim::ui
