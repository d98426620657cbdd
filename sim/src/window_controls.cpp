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

void CopyOut(const std::string& text, char* buf, int max) {
    if (!buf || max <= 0)
        return;
    int n = std::min<int>(static_cast<int>(text.size()), max - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
}

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
    // The focus goes with the deleted item; the items after it keep theirs.
    pw->list.items.erase(pw->list.items.begin() + item);
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
    case LVM_GETIMAGELIST:
        return wp <= LVSIL_STATE ? (LRESULT)w.list.images[wp] : 0;
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
    case LVM_GETCOLUMNA: {
        LVCOLUMNA* c = reinterpret_cast<LVCOLUMNA*>(lp);
        if (!c || wp >= w.list.columns.size())
            return FALSE;
        const ListColumn& col = w.list.columns[wp];
        if (c->mask & LVCF_TEXT)
            CopyOut(col.text, c->pszText, c->cchTextMax);
        if (c->mask & LVCF_WIDTH)
            c->cx = col.width;
        if (c->mask & LVCF_FMT)
            c->fmt = col.fmt;
        if (c->mask & LVCF_SUBITEM)
            c->iSubItem = col.subItem;
        return TRUE;
    }
    case LVM_SETCOLUMNA: {
        const LVCOLUMNA* c = reinterpret_cast<const LVCOLUMNA*>(lp);
        if (!c || wp >= w.list.columns.size())
            return FALSE;
        ListColumn& col = w.list.columns[wp];
        if ((c->mask & LVCF_TEXT) && c->pszText)
            col.text = c->pszText;
        if (c->mask & LVCF_WIDTH)
            col.width = c->cx;
        if (c->mask & LVCF_FMT)
            col.fmt = c->fmt;
        return TRUE;
    }
    case LVM_DELETECOLUMN:
        if (wp >= w.list.columns.size())
            return FALSE;
        w.list.columns.erase(w.list.columns.begin() + static_cast<long>(wp));
        return TRUE;
    case LVM_GETCOLUMNWIDTH:
        return wp < w.list.columns.size() ? w.list.columns[wp].width : 0;
    case LVM_SETCOLUMNWIDTH: {
        if (wp >= w.list.columns.size())
            return FALSE;
        int cx = static_cast<short>(LOWORD(lp));
        if (cx < 0) { // LVSCW_AUTOSIZE, LVSCW_AUTOSIZE_USEHEADER: fit the longest text
            std::size_t longest = w.list.columns[wp].text.size();
            for (const ListItem& it : items)
                if (wp == 0)
                    longest = std::max(longest, it.text.size());
            cx = static_cast<int>(longest) * sim::ui::kCharWidth + 12;
        }
        w.list.columns[wp].width = cx;
        return TRUE;
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
    case LVM_DELETEALLITEMS: {
        if (count == 0)
            return TRUE;
        NMLISTVIEW nm{};
        nm.iItem = -1;
        LRESULT quiet = Notify(w.h, LVN_DELETEALLITEMS, &nm.hdr);
        // LVN_DELETEALLITEMS answered FALSE (the default) asks for one LVN_DELETEITEM each.
        Window* pw = Find(w.h);
        if (!pw)
            return TRUE;
        if (!quiet) {
            while (!pw->list.items.empty()) {
                ListDeleteItem(*pw, 0);
                if (!(pw = Find(w.h)))
                    return TRUE;
            }
        }
        pw->list.items.clear();
        return TRUE;
    }
    case LVM_GETITEMSTATE: {
        int i = static_cast<int>(wp);
        if (i < 0 || i >= count)
            return 0;
        return items[i].state & static_cast<UINT>(lp);
    }
    case LVM_SETITEMSTATE: {
        const LVITEMA* it = reinterpret_cast<const LVITEMA*>(lp);
        if (!it)
            return FALSE;
        int i = static_cast<int>(static_cast<INT_PTR>(wp));
        if (i == -1) {
            // Every item; the focus cannot go to all of them.
            if ((it->stateMask & LVIS_FOCUSED) && (it->state & LVIS_FOCUSED))
                return FALSE;
            for (int k = 0; k < count; ++k)
                SetItemState(w, k, it->state, it->stateMask);
            return TRUE;
        }
        if (i < 0 || i >= count)
            return FALSE;
        SetItemState(w, i, it->state, it->stateMask);
        return TRUE;
    }
    case LVM_GETITEMTEXTA: {
        LVITEMA* it = reinterpret_cast<LVITEMA*>(lp);
        int i = static_cast<int>(wp);
        if (!it || !it->pszText || it->cchTextMax <= 0)
            return 0;
        if (i < 0 || i >= count) {
            it->pszText[0] = '\0';
            return 0;
        }
        std::string text = it->iSubItem == 0 ? items[i].text : "";
        CopyOut(text, it->pszText, it->cchTextMax);
        return static_cast<LRESULT>(std::strlen(it->pszText));
    }
    case LVM_SETITEMTEXTA: {
        const LVITEMA* it = reinterpret_cast<const LVITEMA*>(lp);
        int i = static_cast<int>(wp);
        if (!it || i < 0 || i >= count)
            return FALSE;
        if (it->iSubItem == 0)
            items[i].text = it->pszText ? it->pszText : "";
        return TRUE;
    }
    case LVM_GETITEMA: {
        LVITEMA* it = reinterpret_cast<LVITEMA*>(lp);
        if (!it || it->iItem < 0 || it->iItem >= count)
            return FALSE;
        const ListItem& item = items[it->iItem];
        if (it->mask & LVIF_TEXT)
            CopyOut(it->iSubItem == 0 ? item.text : "", it->pszText, it->cchTextMax);
        if (it->mask & LVIF_IMAGE)
            it->iImage = item.image;
        if (it->mask & LVIF_PARAM)
            it->lParam = item.param;
        if (it->mask & LVIF_STATE)
            it->state = item.state & it->stateMask;
        return TRUE;
    }
    case LVM_SETITEMA: {
        const LVITEMA* it = reinterpret_cast<const LVITEMA*>(lp);
        if (!it || it->iItem < 0 || it->iItem >= count)
            return FALSE;
        ListItem& item = items[it->iItem];
        if (it->iSubItem == 0 && (it->mask & LVIF_TEXT))
            item.text = it->pszText ? it->pszText : "";
        if (it->mask & LVIF_IMAGE)
            item.image = it->iImage;
        if (it->mask & LVIF_PARAM)
            item.param = it->lParam;
        if (it->mask & LVIF_STATE)
            SetItemState(w, it->iItem, it->state, it->stateMask);
        return TRUE;
    }
    case LVM_GETNEXTITEM: {
        int start = static_cast<int>(static_cast<INT_PTR>(wp));
        UINT flags = LOWORD(lp);
        UINT want = flags & (LVNI_FOCUSED | LVNI_SELECTED);
        if (flags & LVNI_ABOVE) {
            for (int i = start - 1; i >= 0; --i)
                if ((items[i].state & want) == want)
                    return i;
            return -1;
        }
        for (int i = start + 1; i < count; ++i)
            if ((items[i].state & want) == want)
                return i;
        return -1;
    }
    case LVM_GETSELECTEDCOUNT:
        return std::count_if(items.begin(), items.end(),
                             [](const ListItem& i) { return (i.state & LVIS_SELECTED) != 0; });
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        DWORD old = w.list.exStyle;
        DWORD mask = wp ? static_cast<DWORD>(wp) : 0xFFFFFFFF;
        w.list.exStyle = (old & ~mask) | (static_cast<DWORD>(lp) & mask);
        return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return w.list.exStyle;
    case LVM_ENSUREVISIBLE:
        return TRUE;
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
        return DefWindowProcA(w.h, msg, wp, lp);
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
    if (u.base == 16) {
        std::snprintf(buf, sizeof buf, "0x%04X", static_cast<unsigned>(u.pos) & 0xFFFF);
    } else {
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
    long v = std::strtol(s.c_str(), &end, u.base == 16 ? 16 : 10);
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
    case UDM_SETRANGE:
        u.upper = static_cast<short>(LOWORD(lp));
        u.lower = static_cast<short>(HIWORD(lp));
        return 0;
    case UDM_GETRANGE:
        return MAKELONG(u.upper, u.lower);
    case UDM_SETRANGE32:
        u.lower = static_cast<int>(wp);
        u.upper = static_cast<int>(lp);
        return 0;
    case UDM_GETRANGE32:
        if (wp)
            *reinterpret_cast<int*>(wp) = u.lower;
        if (lp)
            *reinterpret_cast<int*>(lp) = u.upper;
        return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
        int v = msg == UDM_SETPOS ? static_cast<short>(LOWORD(lp)) : static_cast<int>(lp);
        if (!UdInBounds(u, v)) {
            int lo = std::min(u.lower, u.upper), hi = std::max(u.lower, u.upper);
            v = std::clamp(v, lo, hi);
        }
        int old = u.pos;
        u.pos = v;
        UdSetBuddyInt(w);
        return old;
    }
    case UDM_GETPOS: {
        bool ok = UdGetBuddyInt(w);
        return MAKELONG(u.pos, ok ? 0 : 1);
    }
    case UDM_GETPOS32: {
        bool ok = UdGetBuddyInt(w);
        if (lp)
            *reinterpret_cast<BOOL*>(lp) = ok ? FALSE : TRUE;
        return u.pos;
    }
    case UDM_SETACCEL: {
        const UDACCEL* a = reinterpret_cast<const UDACCEL*>(lp);
        if (!a || wp == 0)
            return FALSE;
        u.accel.assign(a, a + wp);
        return TRUE;
    }
    case UDM_GETACCEL: {
        UDACCEL* a = reinterpret_cast<UDACCEL*>(lp);
        std::size_t n = std::min<std::size_t>(wp, u.accel.size());
        if (a)
            std::copy(u.accel.begin(), u.accel.begin() + static_cast<long>(n), a);
        return static_cast<LRESULT>(u.accel.size());
    }
    case UDM_SETBUDDY: {
        HWND old = u.buddy;
        u.buddy = reinterpret_cast<HWND>(wp);
        return (LRESULT)old;
    }
    case UDM_GETBUDDY:
        return (LRESULT)u.buddy;
    case UDM_SETBASE: {
        if (wp != 10 && wp != 16)
            return 0;
        int old = u.base;
        u.base = static_cast<int>(wp);
        return old;
    }
    case UDM_GETBASE:
        return u.base;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    default:
        return DefWindowProcA(w.h, msg, wp, lp);
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
        e.modified = false;
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
        e.caretScrolled = false;
        return 0;
    }
    case EM_GETSEL:
        if (wp)
            *reinterpret_cast<DWORD*>(wp) = static_cast<DWORD>(e.selStart);
        if (lp)
            *reinterpret_cast<DWORD*>(lp) = static_cast<DWORD>(e.selEnd);
        if (e.selStart > 0xFFFF || e.selEnd > 0xFFFF)
            return -1;
        return MAKELONG(e.selStart, e.selEnd);
    case EM_SCROLLCARET:
        e.caretScrolled = true;
        return TRUE;
    case EM_REPLACESEL: {
        std::string ins = lp ? reinterpret_cast<const char*>(lp) : "";
        w.text.replace(static_cast<std::size_t>(e.selStart),
                       static_cast<std::size_t>(e.selEnd - e.selStart), ins);
        e.selStart = e.selEnd = e.selStart + static_cast<int>(ins.size());
        e.modified = true;
        EditNotifyChange(w);
        return 0;
    }
    case EM_LIMITTEXT:
        e.limit = wp ? static_cast<int>(wp) : 0x7FFFFFFE;
        return 0;
    case EM_GETLIMITTEXT:
        return e.limit;
    case EM_GETMODIFY:
        return e.modified;
    case EM_SETMODIFY:
        e.modified = wp != 0;
        return 0;
    case EM_SETREADONLY:
        if (wp)
            w.style |= ES_READONLY;
        else
            w.style &= ~ES_READONLY;
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
        return DefWindowProcA(w.h, msg, wp, lp);
    }
}

// ---- buttons and statics ----

bool IsPushButton(const Window& w) {
    DWORD t = w.style & BS_TYPEMASK;
    return t == BS_PUSHBUTTON || t == BS_DEFPUSHBUTTON;
}

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
    case BM_GETCHECK:
        return w.check;
    case BM_SETCHECK:
        w.check = static_cast<int>(wp);
        return 0;
    case BM_GETSTATE:
        return w.check | (S().focus == w.h ? 0x0008 : 0);
    case BM_SETSTATE:
        return 0;
    case BM_SETSTYLE:
        w.style = (w.style & 0xFFFF0000) | LOWORD(wp);
        (void)lp;
        return 0;
    case BM_CLICK:
        if (!(w.style & WS_DISABLED) && (w.style & WS_VISIBLE)) {
            if (IsPushButton(w))
                SetFocusTo(w.h);
            if (Window* pw = Find(w.h))
                Command(pw->h, BN_CLICKED);
        }
        return 0;
    default:
        return DefWindowProcA(w.h, msg, wp, lp);
    }
}

LRESULT StaticProc(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case STM_SETICON: {
        HICON old = w.iconBig;
        w.iconBig = reinterpret_cast<HICON>(wp);
        return (LRESULT)old;
    }
    case STM_GETICON:
        return (LRESULT)w.iconBig;
    default:
        return DefWindowProcA(w.h, msg, wp, lp);
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
    case WM_GETFONT:
        return (LRESULT)w.font;
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
        return DefWindowProcA(w.h, msg, wp, lp);
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
