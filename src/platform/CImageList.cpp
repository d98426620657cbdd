#include "platform/CImageList.h"

#include "platform/AfxInstance.h"

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask) {
    DeleteImageList();
    m_hImageList = ::ImageList_LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(nBitmapID), cx,
                                          nGrow, crMask, IMAGE_BITMAP, 0);
    return m_hImageList != NULL;
}

BOOL CImageList::DeleteImageList() {
    if (m_hImageList == NULL)
        return FALSE;
    ::ImageList_Destroy(m_hImageList);
    m_hImageList = NULL;
    return TRUE;
}
