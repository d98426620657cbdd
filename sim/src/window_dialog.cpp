// sim's dialog manager: modal dialogs built from templates, run by the scripted user and torn
// down; the dialog procedure's dispatch and the dialog defaults.
#include "window_internal.h"

#include <algorithm>
#include <cstdlib>

namespace sim::win {

static HWND FindDefButton(Window& dlg) {
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

static LRESULT DefDlgDefault(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
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
    case WM_NEXTDLGCTL:
        // Only the form that names the control (lParam TRUE): the program never steps through
        // the tab order this way.
        if (LOWORD(lp) && IsDescendant(h, reinterpret_cast<HWND>(wp)))
            FocusForDialogNavigation(reinterpret_cast<HWND>(wp));
        return 0;
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
        case WM_SETFOCUS:
        case DM_GETDEFID:
        case WM_CLOSE:
        case WM_NEXTDLGCTL:
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

namespace {

Kind KindOfClass(const std::string& cls) {
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

// Dialog units to pixels with the template's font.
struct Units {
    int bx, by;
    int X(int dlu) const { return MulDivRound(dlu, bx, 4); }
    int Y(int dlu) const { return MulDivRound(dlu, by, 8); }
};

Units UnitsOf(const sim::res::DialogTemplate& tmpl) {
    bool hasFont = (tmpl.style & DS_SETFONT) || !tmpl.fontFace.empty();
    return hasFont ? Units{kDluBaseX, kDluBaseY} : Units{kSysBaseX, kSysBaseY};
}

// Where the dialog goes: centred, or with its client area at the template's position in its
// owner's client area (the screen's without an owner), and kept on the work area, as the dialog
// manager does.
RECT PlaceDialog(const Window& dlg, const sim::res::DialogTemplate& tmpl, Units u) {
    const RECT& area = S().workArea;
    RECT in = Insets(dlg);
    int ww = u.X(tmpl.cx) + in.left + in.right, wh = u.Y(tmpl.cy) + in.top + in.bottom;
    POINT pos{u.X(tmpl.x) - in.left, u.Y(tmpl.y) - in.top};
    if (tmpl.style & DS_CENTER) {
        pos = POINT{(area.left + area.right - ww) / 2, (area.top + area.bottom - wh) / 2};
    } else if (Window* o = Find(dlg.owner); o && !(tmpl.style & DS_ABSALIGN)) {
        POINT org = ClientOrigin(*o);
        pos.x += org.x;
        pos.y += org.y;
    }
    pos.x = std::max<LONG>(std::min<LONG>(pos.x, area.right - ww), area.left);
    pos.y = std::max<LONG>(std::min<LONG>(pos.y, area.bottom - wh), area.top);
    return RECT{pos.x, pos.y, pos.x + ww, pos.y + wh};
}

// The dialog window and its controls, in template order; hidden until it runs.
HWND CreateDialogWindow(const sim::res::DialogTemplate& tmpl, int tid, HWND owner, DLGPROC proc) {
    State& st = S();
    auto owned = std::make_unique<Window>();
    Window& dlg = *owned;
    dlg.h = static_cast<HWND>(NewHandle());
    dlg.kind = Kind::Dialog;
    dlg.cls = "#32770";
    dlg.text = tmpl.caption;
    dlg.style = tmpl.style & ~(WS_CHILD | WS_VISIBLE);
    dlg.exStyle = tmpl.exStyle;
    if (dlg.style & DS_MODALFRAME)
        dlg.exStyle |= WS_EX_DLGMODALFRAME;
    dlg.owner = owner;
    dlg.dlgProc = proc;
    dlg.templateId = tid;
    const Units u = UnitsOf(tmpl);
    dlg.rect = PlaceDialog(dlg, tmpl, u);
    HWND hDlg = dlg.h;
    st.windows[hDlg] = std::move(owned);
    if ((tmpl.style & DS_SETFONT) || !tmpl.fontFace.empty()) {
        dlg.font = CreateDialogFont(tmpl.fontFace, tmpl.pointSize);
        dlg.ownsFont = true;
        Send(hDlg, WM_SETFONT, (WPARAM)dlg.font, FALSE);
    }
    for (const sim::res::DialogItem& item : tmpl.items) {
        auto c = std::make_unique<Window>();
        c->h = static_cast<HWND>(NewHandle());
        c->cls = item.windowClass;
        c->kind = KindOfClass(item.windowClass);
        c->text = item.text;
        c->style = item.style | WS_CHILD;
        c->exStyle = item.exStyle;
        c->id = item.id;
        c->parent = hDlg;
        int x = u.X(item.x), y = u.Y(item.y);
        c->rect = RECT{x, y, x + u.X(item.cx), y + u.Y(item.cy)};
        HWND hc = c->h;
        dlg.children.push_back(hc);
        st.windows[hc] = std::move(c);
        if (dlg.font)
            Send(hc, WM_SETFONT, (WPARAM)dlg.font, FALSE);
    }
    for (HWND hc : dlg.children)
        if (Window* c = Find(hc))
            InitControl(*c);
    return hDlg;
}

bool StillOpen(HWND hDlg) {
    Window* d = Find(hDlg);
    return d && !d->ended;
}

// The modal run: WM_INITDIALOG, the dialog shown, then the test's script for this template; Esc
// when the script leaves it open. Returns the dialog's result.
INT_PTR RunDialog(HWND hDlg, int tid, LPARAM initParam) {
    State& st = S();
    HWND first = FirstTabStop(*Find(hDlg));
    LRESULT init = Send(hDlg, WM_INITDIALOG, (WPARAM)first, initParam);
    // The first tab stop is looked up again: the initialisation may have hidden or disabled it.
    if (StillOpen(hDlg) && init) {
        if (HWND f = FirstTabStop(*Find(hDlg)))
            FocusForDialogNavigation(f);
    } else if (StillOpen(hDlg) && !IsDescendant(hDlg, st.focus)) {
        // Showing the dialog activates it, and the dialog passes the focus it gets on to the
        // first tab stop: a procedure that returned FALSE without choosing one still gets one.
        SetFocusTo(hDlg);
    }
    sim::ui::Script script;
    if (auto it = st.scripts.find(tid); it != st.scripts.end() && !it->second.empty()) {
        script = std::move(it->second.front());
        it->second.pop_front();
    }
    if (StillOpen(hDlg)) {
        Find(hDlg)->style |= WS_VISIBLE;
        Pump();
    }
    if (StillOpen(hDlg) && script) {
        sim::ui::Dialog driver(hDlg);
        script(driver);
        Pump();
    }
    if (StillOpen(hDlg)) {
        ++st.unscripted;
        // The user clicks into the dialog first, should it have lost the focus.
        if (st.focus != hDlg && !IsDescendant(hDlg, st.focus))
            SetFocusTo(hDlg);
        sim::ui::Dialog(hDlg).Esc();
    }
    Window* d = Find(hDlg);
    if (d && !d->ended) {
        // The procedure ignored Esc too: nobody is left to close it.
        sim::detail::RecordMisuse("dialog " + std::to_string(tid) +
                                  " stayed open after its script and Esc; ended with IDCANCEL");
        d->ended = true;
        d->result = IDCANCEL;
    }
    return d ? d->result : IDCANCEL;
}

// WM_DESTROY to the dialog and then its controls, the controls' own clean-up and WM_NCDESTROY,
// then its timers; the focus goes back to where it was before the dialog.
void DestroyDialog(HWND hDlg, HWND owner, HWND prevFocus) {
    State& st = S();
    if (Window* d = Find(hDlg)) {
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
}

} // namespace

} // namespace sim::win

using namespace sim::win;

extern "C" {

// ---- dialogs ----

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    (void)hInstance;
    State& st = S();
    const int tid = sim::res::IdOf(lpTemplateName);
    sim::detail::LogCall("DialogBoxParamA " + std::to_string(tid));
    DWORD err = 0;
    if (sim::detail::ShouldFail(sim::Api::DialogBoxParam, std::to_string(tid), "", &err)) {
        sim::detail::SetError(err);
        return -1;
    }
    const sim::res::DialogTemplate* t = sim::res::FindDialog(tid);
    if (!t) {
        sim::detail::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    if (hWndParent && !Find(hWndParent)) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    const sim::res::DialogTemplate tmpl = *t; // the script may add templates meanwhile
    const HWND owner = hWndParent ? TopLevel(hWndParent) : nullptr;
    const HWND prevFocus = st.focus;
    st.dialogsRun.push_back(tid);

    const HWND hDlg = CreateDialogWindow(tmpl, tid, owner, lpDialogFunc);
    bool ownerDisabled = false;
    if (Window* o = Find(owner); o && !(o->style & WS_DISABLED)) {
        EnableWindow(owner, FALSE);
        ownerDisabled = true;
    }
    st.modal.push_back(hDlg);
    const INT_PTR result = RunDialog(hDlg, tid, dwInitParam);
    if (ownerDisabled && Find(owner))
        EnableWindow(owner, TRUE);
    DestroyDialog(hDlg, owner, prevFocus);
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

} // extern "C"
