// sim's controls: push buttons, edit boxes and the up-down control (the list view is in
// window_listview.cpp), each with the documented effect of the messages the program sends them
// and the notifications a user's actions make them send. Other controls only hold their text.
#include "window_internal.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace sim::win {

namespace {

// ---- up-down ----

int UdClamp(const UpDownData& u, int v) {
    return std::clamp(v, std::min(u.lower, u.upper), std::max(u.lower, u.upper));
}

// The position written into the buddy. Windows separates thousands there too, which no
// position of the program's reaches.
void UdSetBuddyInt(Window& w) {
    if ((w.style & UDS_SETBUDDYINT) && Find(w.ud.buddy))
        SetWindowTextA(w.ud.buddy, std::to_string(w.ud.pos).c_str());
}

// Takes what was typed into the buddy as the position, unless it is no number in the range.
void UdGetBuddyInt(Window& w) {
    Window* b = Find(w.ud.buddy);
    if (!(w.style & UDS_SETBUDDYINT) || !b)
        return;
    const std::string& s = b->text;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (!s.empty() && *end == '\0' && v == UdClamp(w.ud, static_cast<int>(v)))
        w.ud.pos = static_cast<int>(v);
}

LRESULT UpDownProc(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    UpDownData& u = w.ud;
    switch (msg) {
    case UDM_SETRANGE: // the position is pulled into the range; the buddy is not written
        u.upper = static_cast<short>(LOWORD(lp));
        u.lower = static_cast<short>(HIWORD(lp));
        u.pos = UdClamp(u, u.pos);
        return 0;
    case UDM_SETPOS: {
        int old = u.pos;
        u.pos = UdClamp(u, static_cast<short>(LOWORD(lp)));
        UdSetBuddyInt(w);
        return old;
    }
    case UDM_SETACCEL: // one step a click is all the scripted user makes
        return lp && wp ? TRUE : FALSE;
    default:
        return DefaultProc(w.h, msg, wp, lp);
    }
}

// ---- edit ----

LRESULT EditProc(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    EditData& e = w.edit;
    int len = static_cast<int>(w.text.size());
    switch (msg) {
    case EM_SETSEL: { // a start of -1 leaves no selection, the caret where the selection ended
        int s = static_cast<int>(static_cast<INT_PTR>(wp)), en = static_cast<int>(lp);
        if (s == -1)
            s = en = e.selEnd;
        s = s < 0 || s > len ? len : s; // an end outside the text is the text's end
        en = en < 0 || en > len ? len : en;
        e.selStart = std::min(s, en);
        e.selEnd = std::max(s, en);
        return 0;
    }
    case EM_SCROLLCARET: // sim's edit boxes have no scrolled view
        return TRUE;
    default:
        return DefaultProc(w.h, msg, wp, lp);
    }
}

} // namespace

LRESULT ControlProc(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETFONT) {
        w.font = reinterpret_cast<HFONT>(wp);
        return 0;
    }
    switch (w.kind) {
    case Kind::ListView:
        return ListProc(w, msg, wp, lp);
    case Kind::UpDown:
        return UpDownProc(w, msg, wp, lp);
    case Kind::Edit:
        return EditProc(w, msg, wp, lp);
    default:
        return DefaultProc(w.h, msg, wp, lp);
    }
}

// An auto-buddy takes the sibling created just before it. Where the arrows then sit is left to
// Windows.
void InitControl(Window& w) {
    Window* parent = Find(w.parent);
    if (w.kind != Kind::UpDown || !(w.style & UDS_AUTOBUDDY) || !parent)
        return;
    auto it = std::find(parent->children.begin(), parent->children.end(), w.h);
    if (it != parent->children.begin() && it != parent->children.end())
        w.ud.buddy = *(it - 1);
}

void DestroyControl(Window& w) {
    if (w.kind != Kind::ListView || (w.style & LVS_SHAREIMAGELISTS))
        return;
    // Without LVS_SHAREIMAGELISTS the list owns the image lists it was given.
    if (w.list.smallImages)
        ImageList_Destroy(w.list.smallImages);
    w.list.smallImages = nullptr;
}

void SpinArrow(Window& w, int delta) {
    HWND h = w.h;
    // Pressing an arrow first takes over what was typed into the buddy, and puts the focus there.
    UdGetBuddyInt(w);
    if (Window* b = Find(w.ud.buddy); b && b->kind == Kind::Edit)
        SetFocusTo(b->h);
    NMUPDOWN nm{};
    nm.iPos = w.ud.pos;
    nm.iDelta = delta;
    // The parent's answer: nonzero forbids the change, zero lets it go ahead with the (possibly
    // changed) iDelta, brought back into the range.
    LRESULT answer = Notify(h, UDN_DELTAPOS, &nm.hdr);
    Window* pw = Find(h);
    if (!pw || answer)
        return;
    int pos = UdClamp(pw->ud, pw->ud.pos + nm.iDelta);
    if (pos != pw->ud.pos) {
        pw->ud.pos = pos;
        UdSetBuddyInt(*pw);
    }
}

} // namespace sim::win
