// sim's dialog manager: modal dialogs built from templates, run by the scripted user and torn
// down; the dialog procedure's dispatch and the dialog defaults.
#include "window_internal.h"

#include <algorithm>
#include <utility>

namespace sim::win {

HWND DefaultButton(Window& dlg) {
    for (HWND c : dlg.children) {
        Window* cw = Find(c);
        if (cw && cw->kind == Kind::Button && (cw->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return c;
    }
    return nullptr;
}

Window* ControlOf(Window& dlg, int id) {
    for (HWND c : dlg.children)
        if (Window* cw = Find(c); cw && cw->id == id)
            return cw;
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

// What the dialog manager does with a message the procedure returned FALSE for.
static LRESULT DefDlgDefault(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = w.h;
    switch (msg) {
    case WM_CLOSE: {
        // The close box and Alt+F4 act as the Cancel button, even a disabled one. (Windows posts
        // the command; nothing the program does tells the two apart.)
        Send(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(h, IDCANCEL));
        return 0;
    }
    case WM_NEXTDLGCTL:
        // Only the form that names the control (lParam TRUE): the program never steps through
        // the tab order this way.
        if (LOWORD(lp) && IsDescendant(h, reinterpret_cast<HWND>(wp)))
            FocusForDialogNavigation(reinterpret_cast<HWND>(wp));
        return 0;
    case WM_NCDESTROY:
        if (w.font) { // the one sim made from the template
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
    if (!r && msg != WM_INITDIALOG)
        return DefDlgDefault(*pw, msg, wp, lp);
    // A dialog procedure returns TRUE for "handled"; the real result travels in DWLP_MSGRESULT,
    // except for the few messages whose result is the return value itself.
    if (msg == WM_QUERYDRAGICON || msg == WM_INITDIALOG)
        return r;
    return pw->msgResult;
}

namespace {

Kind KindOfClass(const std::string& cls) {
    const std::pair<const char*, Kind> kinds[] = {{"Button", Kind::Button},
                                                  {"Edit", Kind::Edit},
                                                  {WC_LISTVIEWA, Kind::ListView},
                                                  {UPDOWN_CLASSA, Kind::UpDown}};
    for (const auto& [name, kind] : kinds)
        if (sim::detail::EqualNoCase(cls, name))
            return kind;
    return Kind::Other;
}

// A window of sim's under a fresh handle; the controls' places are in their dialog's client area.
Window& NewWindow(Kind kind, const std::string& text, DWORD style, RECT rect) {
    auto owned = std::make_unique<Window>();
    Window& w = *owned;
    w.h = static_cast<HWND>(NewHandle());
    w.kind = kind;
    w.text = text;
    w.style = style;
    w.rect = rect;
    S().windows[w.h] = std::move(owned);
    return w;
}

// The dialog window and its controls, in template order; hidden until it runs.
HWND CreateDialogWindow(const sim::res::DialogTemplate& tmpl, int tid, HWND owner, DLGPROC proc) {
    // Dialog units to pixels with the template's font, halves rounded away from zero.
    auto DluX = [](int dlu) { return MulDivRound(dlu, kDluBaseX, 4); };
    auto DluY = [](int dlu) { return MulDivRound(dlu, kDluBaseY, 8); };
    // The template's size is the client area's; its position is taken as the screen's (the
    // program centres the dialogs it places, and where the others go is left to Windows).
    int x = DluX(tmpl.x), y = DluY(tmpl.y);
    Window& dlg = NewWindow(Kind::Dialog, tmpl.caption, tmpl.style & ~(WS_CHILD | WS_VISIBLE),
                            RECT{x, y, x + DluX(tmpl.cx), y + DluY(tmpl.cy)});
    RECT in = Insets(dlg);
    dlg.rect.right += in.left + in.right;
    dlg.rect.bottom += in.top + in.bottom;
    dlg.owner = owner;
    dlg.dlgProc = proc;
    dlg.templateId = tid;
    HWND hDlg = dlg.h;
    if ((tmpl.style & DS_SETFONT) || !tmpl.fontFace.empty()) {
        dlg.font = CreateDialogFont(tmpl.fontFace, tmpl.pointSize);
        Send(hDlg, WM_SETFONT, (WPARAM)dlg.font, FALSE);
    }
    for (const sim::res::DialogItem& item : tmpl.items) {
        int cx = DluX(item.x), cy = DluY(item.y);
        Window& c = NewWindow(KindOfClass(item.windowClass), item.text, item.style | WS_CHILD,
                              RECT{cx, cy, cx + DluX(item.cx), cy + DluY(item.cy)});
        c.id = item.id;
        c.parent = hDlg;
        dlg.children.push_back(c.h);
        if (dlg.font)
            Send(c.h, WM_SETFONT, (WPARAM)dlg.font, FALSE);
    }
    for (HWND hc : dlg.children)
        if (Window* c = Find(hc))
            InitControl(*c);
    return hDlg;
}

bool StillOpen(HWND hDlg) {
    return sim::ui::Dialog(hDlg).IsOpen();
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
    if (StillOpen(hDlg))
        Find(hDlg)->style |= WS_VISIBLE;
    if (StillOpen(hDlg) && script) {
        sim::ui::Dialog driver(hDlg);
        script(driver);
    }
    if (StillOpen(hDlg)) { // the user presses Esc, in the dialog
        ++st.unscripted;
        Send(hDlg, WM_COMMAND, IDCANCEL, (LPARAM)GetDlgItem(hDlg, IDCANCEL));
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

// WM_DESTROY and WM_NCDESTROY to the dialog, around its controls' end, then its timers go; the
// focus goes back to where it was before the dialog.
void DestroyDialog(HWND hDlg, HWND owner, HWND prevFocus) {
    State& st = S();
    if (Window* d = Find(hDlg)) {
        d->style &= ~WS_VISIBLE;
        Send(hDlg, WM_DESTROY, 0, 0);
        for (HWND hc : d->children)
            if (Window* c = Find(hc)) {
                DestroyControl(*c);
                c->destroyed = true; // the controls go before the dialog's WM_NCDESTROY
            }
        Send(hDlg, WM_NCDESTROY, 0, 0);
        d->destroyed = true;
    }
    st.timers.erase(std::remove_if(st.timers.begin(), st.timers.end(),
                                   [&](const Timer& tm) { return !Find(tm.hwnd); }),
                    st.timers.end());
    st.modal.erase(std::remove(st.modal.begin(), st.modal.end(), hDlg), st.modal.end());
    SetFocusTo(Find(prevFocus) ? prevFocus : Find(owner) ? owner : nullptr);
}

} // namespace

} // namespace sim::win

using namespace sim::win;

extern "C" {

// ---- dialogs ----

INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    State& st = S();
    const int tid = sim::res::IdOf(lpTemplateName);
    sim::detail::LogCall("DialogBoxParamA " + std::to_string(tid));
    if (sim::detail::FailsWithLastError(sim::Api::DialogBoxParam, std::to_string(tid)))
        return -1;
    const sim::res::DialogTemplate* t = sim::res::FindDialog(tid);
    if (!t) {
        sim::detail::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    if (hWndParent && !FindOrFail(hWndParent))
        return -1;
    const sim::res::DialogTemplate tmpl = *t; // the script may add templates meanwhile
    const HWND owner = hWndParent; // the program passes a dialog or none, never a control
    const HWND prevFocus = st.focus;
    st.dialogsRun.push_back(tid);

    const HWND hDlg = CreateDialogWindow(tmpl, tid, owner, lpDialogFunc);
    Window* o = Find(owner);
    const bool ownerDisabled = o && !(o->style & WS_DISABLED);
    if (ownerDisabled)
        EnableWindow(owner, FALSE);
    st.modal.push_back(hDlg);
    const INT_PTR result = RunDialog(hDlg, tid, dwInitParam);
    if (ownerDisabled && Find(owner))
        EnableWindow(owner, TRUE);
    DestroyDialog(hDlg, owner, prevFocus);
    return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    Window* w = FindOrFail(hDlg);
    if (!w || w->kind != Kind::Dialog)
        return FALSE;
    sim::detail::LogCall("EndDialog " + std::to_string(w->templateId) + " " +
                         std::to_string(static_cast<long long>(nResult)));
    if (!w->ended) {
        w->ended = true;
        w->result = nResult;
    }
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    Window* w = FindOrFail(hDlg);
    Window* c = w ? ControlOf(*w, nIDDlgItem) : nullptr;
    if (w && !c)
        sim::detail::SetError(ERROR_CONTROL_ID_NOT_FOUND);
    return c ? c->h : nullptr;
}

} // extern "C"
