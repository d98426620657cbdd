// CImageList: owns its HIMAGELIST and destroys it with the object.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CImageList {
public:
    CImageList() : m_hImageList(NULL) {}
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    // Loads a strip of images from a bitmap resource; pixels of crMask are transparent.
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
    BOOL DeleteImageList();

    HIMAGELIST m_hImageList;
};
