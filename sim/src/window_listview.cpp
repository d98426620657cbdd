// sim's list view in report view: items, their states and images, the keyboard and the clicks
// of a user, with the notifications those send to the parent.
#include "window_internal.h"

#include <algorithm>

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
// Clears a state bit that only one item may hold from every item but the given one.
void TakeFromOthers(Window& w, int item, UINT bit) {
    auto& items = w.list.items;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        if (i == item || !(items[i].state & bit))
            continue;
        UINT old = items[i].state;
        items[i].state &= ~bit;
        ListStateChanged(w, i, old, items[i].state);
    }
}

void SetItemState(Window& w, int item, UINT state, UINT mask) {
    auto& items = w.list.items;
    if (item < 0 || item >= static_cast<int>(items.size()))
        return;
    if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED))
        TakeFromOthers(w, item, LVIS_FOCUSED);
    if ((mask & LVIS_SELECTED) && (state & LVIS_SELECTED) && (w.style & LVS_SINGLESEL))
        TakeFromOthers(w, item, LVIS_SELECTED);
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

} // namespace

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

int ListFocused(const Window& w) {
    for (int i = 0; i < static_cast<int>(w.list.items.size()); ++i)
        if (w.list.items[i].state & LVIS_FOCUSED)
            return i;
    return -1;
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

} // namespace sim::win
