// sim's controls: push buttons and group boxes, edit boxes, static texts and the up-down control
// (the list view is in window_listview.cpp), each with the documented effect of the messages the
// program sends them and the notifications a user's actions make them send.
#include "window_internal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace sim::win {

namespace {

// ---- up-down ----

bool UdInBounds(const UpDownData& u, int v) {
    return u.upper > u.lower ? (v >= u.lower && v <= u.upper) : (v >= u.upper && v <= u.lower);
}

bool BuddyIsEdit(const UpDownData& u) {
    Window* b = Find(u.buddy);
    return b && b->kind == Kind::Edit;
}

void UdSetBuddyInt(Window& w) {
    UpDownData& u = w.ud;
    if (!(w.style & UDS_SETBUDDYINT) || !Find(u.buddy))
        return;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%d", u.pos);
    if (!(w.style & UDS_NOTHOUSANDS)) {
        std::string digits = buf, out;
        bool neg = !digits.empty() && digits[0] == '-';
        if (neg)
            digits.erase(0, 1);
        for (std::size_t i = 0; i < digits.size(); ++i) {
            if (i && (digits.size() - i) % 3 == 0)
                out += ',';
            out += digits[i];
        }
        std::snprintf(buf, sizeof buf, "%s%s", neg ? "-" : "", out.c_str());
    }
    SetWindowTextA(u.buddy, buf);
}

// Reads the buddy's text into the position; false when it is no number within the range.
bool UdGetBuddyInt(Window& w) {
    UpDownData& u = w.ud;
    Window* b = Find(u.buddy);
    if (!(w.style & UDS_SETBUDDYINT) || !b)
        return true;
    std::string s;
    for (char c : b->text)
        if (c != ',' && c != ' ')
            s += c;
    if (s.empty())
        return false;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (!end || *end != '\0')
        return false;
    if (!UdInBounds(u, static_cast<int>(v)))
        return false;
    u.pos = static_cast<int>(v);
    return true;
}

// The position moved by delta: clamped to the range, or wrapped around with UDS_WRAP.
bool UdOffset(Window& w, int delta) {
    UpDownData& u = w.ud;
    if (!UdInBounds(u, u.pos + delta)) {
        if (w.style & UDS_WRAP) {
            delta += (delta < 0 ? -1 : 1) * (u.upper < u.lower ? -1 : 1) * (u.lower - u.upper) +
                     (delta < 0 ? 1 : -1);
        } else if ((u.upper > u.lower && u.pos + delta > u.upper) ||
                   (u.upper < u.lower && u.pos + delta < u.upper)) {
            delta = u.upper - u.pos;
        } else {
            delta = u.lower - u.pos;
        }
    }
    u.pos += delta;
    return delta != 0;
}

LRESULT UpDownProc(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    UpDownData& u = w.ud;
    switch (msg) {
    case UDM_SETRANGE: {
        u.upper = static_cast<short>(LOWORD(lp));
        u.lower = static_cast<short>(HIWORD(lp));
        // The position is pulled into the new range; the buddy is not written.
        int lo = std::min(u.lower, u.upper), hi = std::max(u.lower, u.upper);
        u.pos = std::clamp(u.pos, lo, hi);
        return 0;
    }
    case UDM_SETPOS: {
        int v = static_cast<short>(LOWORD(lp));
        if (!UdInBounds(u, v)) {
            int lo = std::min(u.lower, u.upper), hi = std::max(u.lower, u.upper);
            v = std::clamp(v, lo, hi);
        }
        int old = u.pos;
        u.pos = v;
        UdSetBuddyInt(w);
        return old;
    }
    case UDM_SETACCEL: {
        const UDACCEL* a = reinterpret_cast<const UDACCEL*>(lp);
        if (!a || wp == 0)
            return FALSE;
        u.accel.assign(a, a + wp);
        return TRUE;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    default:
        return DefaultProc(w.h, msg, wp, lp);
    }
}

// ---- edit ----

void EditNotifyChange(Window& w) {
    Command(w.h, EN_UPDATE);
    Command(w.h, EN_CHANGE);
}

LRESULT EditProc(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    EditData& e = w.edit;
    int len = static_cast<int>(w.text.size());
    switch (msg) {
    case WM_SETTEXT:
        w.text = lp ? reinterpret_cast<const char*>(lp) : "";
        e.selStart = e.selEnd = 0;
        EditNotifyChange(w);
        return TRUE;
    case EM_SETSEL: {
        int s = static_cast<int>(static_cast<INT_PTR>(wp));
        int en = static_cast<int>(lp);
        if (s == -1) { // no selection: the caret stays where the selection ended
            e.selStart = e.selEnd = std::min(e.selEnd, len);
            return 0;
        }
        if (en < 0 || en > len)
            en = len;
        if (s < 0 || s > len)
            s = len;
        e.selStart = std::min(s, en);
        e.selEnd = std::max(s, en);
        return 0;
    }
    case EM_SCROLLCARET: // sim's edit boxes have no scrolled view
        return TRUE;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_SETFOCUS:
        Command(w.h, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        Command(w.h, EN_KILLFOCUS);
        return 0;
    default:
        return DefaultProc(w.h, msg, wp, lp);
    }
}

// ---- buttons and statics ----

LRESULT ButtonProc(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD type = w.style & BS_TYPEMASK;
    switch (msg) {
    case WM_GETDLGCODE:
        if (type == BS_GROUPBOX)
            return DLGC_STATIC;
        if (type == BS_DEFPUSHBUTTON)
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        if (type == BS_PUSHBUTTON)
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        return DLGC_BUTTON;
    default:
        return DefaultProc(w.h, msg, wp, lp);
    }
}

LRESULT StaticProc(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    default:
        return DefaultProc(w.h, msg, wp, lp);
    }
}

} // namespace

LRESULT ControlProc(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SETFONT:
        w.font = reinterpret_cast<HFONT>(wp);
        return 0;
    default:
        break;
    }
    switch (w.kind) {
    case Kind::ListView:
        return ListProc(w, msg, wp, lp);
    case Kind::UpDown:
        return UpDownProc(w, msg, wp, lp);
    case Kind::Edit:
        return EditProc(w, msg, wp, lp);
    case Kind::Button:
        return ButtonProc(w, msg, wp, lp);
    case Kind::Static:
        return StaticProc(w, msg, wp, lp);
    default:
        return DefaultProc(w.h, msg, wp, lp);
    }
}

void InitControl(Window& w) {
    if (w.kind != Kind::UpDown)
        return;
    // An auto-buddy takes the sibling created just before it.
    if (w.style & UDS_AUTOBUDDY) {
        if (Window* parent = Find(w.parent)) {
            auto it = std::find(parent->children.begin(), parent->children.end(), w.h);
            if (it != parent->children.begin() && it != parent->children.end())
                w.ud.buddy = *(it - 1);
        }
    }
    Window* b = Find(w.ud.buddy);
    if (!b || !(w.style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT)))
        return;
    // Aligned: the buddy gives up room for the arrows, which take its height; with a bordered
    // edit box they overlap its border so that the two look like one control.
    constexpr int kWidth = 16, kBuddyBorder = 2;
    RECT br = b->rect;
    int x = 0, width = kWidth;
    if (w.style & UDS_ALIGNLEFT) {
        x = br.left;
        br.left += kWidth;
    } else {
        br.right -= kWidth;
        x = br.right;
    }
    b->rect = br;
    bool border = b->kind == Kind::Edit && (b->style & WS_BORDER) && !(w.style & UDS_HORZ);
    if (border) {
        if (w.style & UDS_ALIGNLEFT)
            width += kBuddyBorder;
        else
            x -= kBuddyBorder;
    }
    w.rect = RECT{x, br.top, x + width, br.bottom};
}

void DestroyControl(Window& w) {
    if (w.kind != Kind::ListView || (w.style & LVS_SHAREIMAGELISTS))
        return;
    // Without LVS_SHAREIMAGELISTS the list owns the image lists it was given.
    for (HIMAGELIST& il : w.list.images) {
        if (il)
            ImageList_Destroy(il);
        il = nullptr;
    }
}

void SpinArrow(Window& w, int delta) {
    HWND h = w.h;
    // Pressing an arrow first takes over what was typed into the buddy, and puts the focus there.
    UdGetBuddyInt(w);
    if (BuddyIsEdit(w.ud))
        SetFocusTo(w.ud.buddy);
    Window* pw = Find(h);
    if (!pw)
        return;
    if (pw->ud.upper < pw->ud.lower)
        delta = -delta; // an inverted range counts down
    NMUPDOWN nm{};
    nm.iPos = pw->ud.pos;
    nm.iDelta = delta;
    // The parent's answer: nonzero forbids the change, zero lets it go ahead with the (possibly
    // changed) iDelta.
    LRESULT answer = Notify(h, UDN_DELTAPOS, &nm.hdr);
    if (!(pw = Find(h)))
        return;
    if (answer == 0 && UdOffset(*pw, nm.iDelta))
        UdSetBuddyInt(*pw);
    if ((pw = Find(h)) && pw->parent) {
        UINT msg = (pw->style & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
        Send(pw->parent, msg, MAKEWPARAM(4 /* SB_THUMBPOSITION */, pw->ud.pos), (LPARAM)h);
    }
}

} // namespace sim::win
