#include "platform/CDC.h"

#include "platform/CFont.h"
#include "platform/CWnd.h"

void CDC::FillSolidRect(const RECT* pRect, COLORREF clr) {
    ::SetBkColor(m_hDC, clr);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, pRect, NULL, 0, NULL);
}

int CDC::SetBkMode(int nBkMode) {
    return ::SetBkMode(m_hDC, nBkMode);
}

void CDC::SelectObject(CFont* pFont) {
    HGDIOBJ hOld = ::SelectObject(m_hDC, static_cast<HFONT>(*pFont));
    if (m_hOriginalFont == NULL)
        m_hOriginalFont = hOld;
}

BOOL CDC::TextOut(int x, int y, const char* pszText, int nCount) {
    return ::TextOutA(m_hDC, x, y, pszText, nCount);
}

SIZE CDC::GetTextExtent(const char* pszText, int nCount) const {
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(m_hDC, pszText, nCount, &size);
    return size;
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    return ::DrawIcon(m_hDC, x, y, hIcon);
}

void CDC::RestoreFont() {
    if (m_hDC != NULL && m_hOriginalFont != NULL)
        ::SelectObject(m_hDC, m_hOriginalFont);
    m_hOriginalFont = NULL;
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) {
    m_hDC = ::GetDC(m_hWnd);
}

CClientDC::~CClientDC() {
    RestoreFont();
    if (m_hDC != NULL)
        ::ReleaseDC(m_hWnd, m_hDC);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_ps(), m_hWnd(pWnd->m_hWnd) {
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
    RestoreFont();
    ::EndPaint(m_hWnd, &m_ps);
}
