// sim's controls: push buttons and group boxes, edit boxes, static texts, the list view and the
// up-down control, each with the documented effect of the messages the program sends them and
// the notifications a user's actions make them send.
#include "window_internal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace sim::win {

namespace {

// Report-view geometry used for mouse positions: header and row heights in pixels.
constexpr int kHeaderH = 17, kRowH = 17;

// ---- list view ----

void ListStateChanged(Window& w, int item, UINT oldState, UINT newState) {
    if (oldState == newState)
        return;
    NMLISTVIEW nm{};
    nm.iItem = item;
    nm.uOldState = oldState;
    nm.uNewState = newState;
    nm.uChanged = LVIF_STATE;
    nm.lParam = w.list.items[static_cast<std::size_t>(item)].param;
    Notify(w.h, LVN_ITEMCHANGED, &nm.hdr);
}

// Sets the state bits of `mask` of one item to `state`, keeping the control's invariants: one
// focused item at most, and one selected item at most in a single-selection list.
void SetItemState(Window& w, int item, UINT state, UINT mask) {
    auto& items = w.list.items;
    if (item < 0 || item >= static_cast<int>(items.size()))
        return;
    if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED)) {
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            if (i == item || !(items[i].state & LVIS_FOCUSED))
                continue;
            UINT old = items[i].state;
            items[i].state &= ~LVIS_FOCUSED;
            ListStateChanged(w, i, old, items[i].state);
        }
    }
    if ((mask & LVIS_SELECTED) && (state & LVIS_SELECTED) && (w.style & LVS_SINGLESEL)) {
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            if (i == item || !(items[i].state & LVIS_SELECTED))
                continue;
            UINT old = items[i].state;
            items[i].state &= ~LVIS_SELECTED;
            ListStateChanged(w, i, old, items[i].state);
        }
    }
    if (item >= static_cast<int>(items.size()))
        return;
    UINT old = items[item].state;
    items[item].state = (old & ~mask) | (state & mask);
    ListStateChanged(w, item, old, items[item].state);
}

void ListFocusAndSelect(Window& w, int item) {
    SetItemState(w, item, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
}

void ListDeselectAll(Window& w) {
    for (int i = 0; i < static_cast<int>(w.list.items.size()); ++i)
        if (w.list.items[i].state & LVIS_SELECTED)
            SetItemState(w, i, 0, LVIS_SELECTED);
}

int VisibleRows(const Window& w) {
    SIZE cs = ClientSize(w);
    int header = (w.style & LVS_NOCOLUMNHEADER) ? 0 : kHeaderH;
    return std::max(1, static_cast<int>((cs.cy - header) / kRowH));
}

void ListKeyDown(Window& w, int vk) {
    NMLVKEYDOWN kd{};
    kd.wVKey = static_cast<WORD>(vk);
    Notify(w.h, LVN_KEYDOWN, &kd.hdr);
    Window* pw = Find(w.h);
    if (!pw)
        return;
    int count = static_cast<int>(pw->list.items.size());
    if (count == 0)
        return;
    int focus = ListFocused(*pw);
    int target = -1;
    switch (vk) {
    case VK_UP:
        target = focus > 0 ? focus - 1 : -1;
        break;
    case VK_DOWN:
        target = focus + 1 < count ? focus + 1 : -1;
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_END:
        target = count - 1;
        break;
    case VK_PRIOR:
        target = focus < 0 ? 0 : std::max(0, focus - (VisibleRows(*pw) - 1));
        break;
    case VK_NEXT:
        target = std::min(count - 1, std::max(focus, 0) + VisibleRows(*pw) - 1);
        break;
    default:
        return;
    }
    if (target >= 0 && target != focus)
        ListFocusAndSelect(*pw, target);
}

void ListDeleteItem(Window& w, int item) {
    NMLISTVIEW nm{};
    nm.iItem = item;
    nm.lParam = w.list.items[static_cast<std::size_t>(item)].param;
    Notify(w.h, LVN_DELETEITEM, &nm.hdr);
    Window* pw = Find(w.h);
    if (!pw || item >= static_cast<int>(pw->list.items.size()))
        return;
    // The focus passes to the item that takes the deleted one's place (or the one before, at the
    // end); the selection goes with the deleted item.
    auto& items = pw->list.items;
    const bool hadFocus = items[static_cast<std::size_t>(item)].state & LVIS_FOCUSED;
    items.erase(items.begin() + item);
    if (hadFocus && !items.empty())
        items[static_cast<std::size_t>(std::min<int>(item, static_cast<int>(items.size()) - 1))]
            .state |= LVIS_FOCUSED;
}

LRESULT ListProc(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    auto& items = w.list.items;
    int count = static_cast<int>(items.size());
    switch (msg) {
    case LVM_SETITEMCOUNT:
        w.list.countHint = static_cast<int>(wp);
        return TRUE;
    case LVM_GETITEMCOUNT:
        return count;
    case LVM_SETIMAGELIST: {
        if (wp > LVSIL_STATE)
            return 0;
        HIMAGELIST old = w.list.images[wp];
        w.list.images[wp] = reinterpret_cast<HIMAGELIST>(lp);
        return (LRESULT)old;
    }
    case LVM_INSERTCOLUMNA: {
        const LVCOLUMNA* c = reinterpret_cast<const LVCOLUMNA*>(lp);
        if (!c)
            return -1;
        ListColumn col;
        if ((c->mask & LVCF_TEXT) && c->pszText)
            col.text = c->pszText;
        if (c->mask & LVCF_WIDTH)
            col.width = c->cx;
        if (c->mask & LVCF_FMT)
            col.fmt = c->fmt;
        if (c->mask & LVCF_SUBITEM)
            col.subItem = c->iSubItem;
        int at = std::min<int>(static_cast<int>(wp), static_cast<int>(w.list.columns.size()));
        if (at < 0)
            return -1;
        w.list.columns.insert(w.list.columns.begin() + at, col);
        return at;
    }
    case LVM_INSERTITEMA: {
        const LVITEMA* it = reinterpret_cast<const LVITEMA*>(lp);
        if (!it || it->iSubItem != 0 || it->iItem < 0)
            return -1;
        ListItem item;
        if ((it->mask & LVIF_TEXT) && it->pszText && it->pszText != LPSTR_TEXTCALLBACKA)
            item.text = it->pszText;
        if (it->mask & LVIF_IMAGE)
            item.image = it->iImage;
        if (it->mask & LVIF_PARAM)
            item.param = it->lParam;
        int at = std::min(it->iItem, count);
        items.insert(items.begin() + at, item);
        if (it->mask & LVIF_STATE)
            SetItemState(w, at, it->state, it->stateMask);
        NMLISTVIEW nm{};
        nm.iItem = at;
        Notify(w.h, LVN_INSERTITEM, &nm.hdr);
        return at;
    }
    case LVM_DELETEITEM: {
        int i = static_cast<int>(wp);
        if (i < 0 || i >= count)
            return FALSE;
        ListDeleteItem(w, i);
        return TRUE;
    }
    case LVM_GETITEMSTATE: {
        int i = static_cast<int>(wp);
        if (i < 0 || i >= count)
            return 0;
        return items[i].state & static_cast<UINT>(lp);
    }
    case WM_KEYDOWN:
        ListKeyDown(w, static_cast<int>(wp));
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS: {
        NMHDR nm{};
        Notify(w.h, NM_SETFOCUS, &nm);
        return 0;
    }
    case WM_KILLFOCUS: {
        NMHDR nm{};
        Notify(w.h, NM_KILLFOCUS, &nm);
        return 0;
    }
    default:
        return DefaultProc(w.h, msg, wp, lp);
    }
}

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

int ListFocused(const Window& w) {
    for (int i = 0; i < static_cast<int>(w.list.items.size()); ++i)
        if (w.list.items[i].state & LVIS_FOCUSED)
            return i;
    return -1;
}

LRESULT ControlProc(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SETFONT:
        w.font = reinterpret_cast<HFONT>(wp);
        if (LOWORD(lp))
            Invalidate(w, nullptr, true);
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
            DestroyImageListInternal(il);
        il = nullptr;
    }
}

void ListClickRow(Window& w, int row) {
    HWND h = w.h;
    if (S().focus != h)
        SetFocusTo(h);
    Window* pw = Find(h);
    if (!pw)
        return;
    if (row >= 0 && row < static_cast<int>(pw->list.items.size()))
        ListFocusAndSelect(*pw, row);
    if (!(pw = Find(h)))
        return;
    NMITEMACTIVATE nm{};
    nm.iItem = row;
    nm.iSubItem = 0;
    nm.ptAction = POINT{8, ((pw->style & LVS_NOCOLUMNHEADER) ? 0 : kHeaderH) + row * kRowH + 8};
    nm.uKeyFlags = 0;
    Notify(h, NM_CLICK, &nm.hdr);
}

void ListClickBelowRows(Window& w) {
    HWND h = w.h;
    if (S().focus != h)
        SetFocusTo(h);
    Window* pw = Find(h);
    if (!pw)
        return;
    // Empty space: every selection goes, the focused item keeps the focus.
    ListDeselectAll(*pw);
    if (!(pw = Find(h)))
        return;
    int rows = static_cast<int>(pw->list.items.size());
    NMITEMACTIVATE nm{};
    nm.iItem = -1;
    nm.iSubItem = 0;
    nm.ptAction = POINT{8, ((pw->style & LVS_NOCOLUMNHEADER) ? 0 : kHeaderH) + rows * kRowH + 8};
    Notify(h, NM_CLICK, &nm.hdr);
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
