// sim's list view in report view: columns, rows with their texts, images and focus and selection
// states, and the clicks and arrow keys of a user, with the NM_CLICK a click sends the parent.
#include "window_internal.h"

#include <algorithm>

namespace sim::win {

namespace {

// One row at most holds the focus, and in a single-selection list one the selection.
void FocusAndSelect(Window& w, int row) {
    for (ListItem& it : w.list.items) {
        it.state &= ~LVIS_FOCUSED;
        if (w.style & LVS_SINGLESEL)
            it.state &= ~LVIS_SELECTED;
    }
    w.list.items[static_cast<std::size_t>(row)].state |= LVIS_FOCUSED | LVIS_SELECTED;
}

int Focused(const Window& w) {
    for (int i = 0; i < static_cast<int>(w.list.items.size()); ++i)
        if (w.list.items[static_cast<std::size_t>(i)].state & LVIS_FOCUSED)
            return i;
    return -1;
}

} // namespace

LRESULT ListProc(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    auto& items = w.list.items;
    int count = static_cast<int>(items.size());
    int i = static_cast<int>(wp);
    switch (msg) {
    case LVM_SETITEMCOUNT:
        w.list.countHint = i;
        return TRUE;
    case LVM_GETITEMCOUNT:
        return count;
    case LVM_SETIMAGELIST: {
        if (wp != LVSIL_SMALL)
            return 0;
        HIMAGELIST old = w.list.smallImages;
        w.list.smallImages = reinterpret_cast<HIMAGELIST>(lp);
        return (LRESULT)old;
    }
    case LVM_INSERTCOLUMNA: {
        const LVCOLUMNA* c = reinterpret_cast<const LVCOLUMNA*>(lp);
        if (!c || i < 0)
            return -1;
        ListColumn col;
        if ((c->mask & LVCF_TEXT) && c->pszText)
            col.text = c->pszText;
        if (c->mask & LVCF_WIDTH)
            col.width = c->cx;
        int at = std::min<int>(i, static_cast<int>(w.list.columns.size()));
        w.list.columns.insert(w.list.columns.begin() + at, col);
        return at;
    }
    case LVM_INSERTITEMA: {
        const LVITEMA* it = reinterpret_cast<const LVITEMA*>(lp);
        if (!it || it->iSubItem != 0 || it->iItem < 0)
            return -1;
        ListItem item;
        if ((it->mask & LVIF_TEXT) && it->pszText)
            item.text = it->pszText;
        if (it->mask & LVIF_IMAGE)
            item.image = it->iImage;
        int at = std::min(it->iItem, count);
        items.insert(items.begin() + at, item);
        return at;
    }
    // The row's states go with it (Windows passes a focus on; the program deletes every row
    // before it fills the list again).
    case LVM_DELETEITEM:
        if (i < 0 || i >= count)
            return FALSE;
        items.erase(items.begin() + i);
        return TRUE;
    case LVM_GETITEMSTATE:
        return i < 0 || i >= count ? 0 : items[static_cast<std::size_t>(i)].state & lp;
    default:
        return DefaultProc(w.h, msg, wp, lp);
    }
}

// A click gives the list the keyboard focus. On a row it moves the focus and the selection
// there; below the rows every selection goes and the focused row keeps the focus. Either way
// the parent hears NM_CLICK.
void ListClick(Window& w, int row) {
    HWND h = w.h;
    SetFocusTo(h);
    if (row >= 0 && row < static_cast<int>(w.list.items.size())) {
        FocusAndSelect(w, row);
    } else {
        for (ListItem& it : w.list.items)
            it.state &= ~LVIS_SELECTED;
    }
    NMHDR nm{};
    Notify(h, NM_CLICK, &nm);
}

// The arrow keys, Home and End move the focus and the selection; nothing is sent to the parent.
void ListKeyDown(Window& w, int vk) {
    int count = static_cast<int>(w.list.items.size());
    int focus = Focused(w);
    int target = vk == VK_UP     ? focus - 1
                 : vk == VK_DOWN ? focus + 1
                 : vk == VK_HOME ? 0
                 : vk == VK_END  ? count - 1
                                 : -1;
    if (target >= 0 && target < count && target != focus)
        FocusAndSelect(w, target);
}

} // namespace sim::win
