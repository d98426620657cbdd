// CListCtrl: the list view messages the drive list uses. Refers to the control, owns nothing.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "platform/CWnd.h"

class CImageList;

class CListCtrl : public CWnd {
public:
    BOOL SetItemCount(int nItems);
    // Returns the control's previous image list, which stays the caller's business.
    HIMAGELIST SetImageList(CImageList* pImageList, int nImageListType);
    int InsertColumn(int nCol, const char* pszHeading, int nFormat, int nWidth);
    int InsertItem(int nItem, const char* pszItem, int nImage);
    BOOL DeleteItem(int nItem);
    int GetItemCount() const;
    UINT GetItemState(int nItem, UINT nMask) const;
};
