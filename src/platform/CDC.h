// Device contexts of a window's client area. Each object gets its DC on construction and gives
// it back on destruction, with the font it found there selected again.
#pragma once

#include <windows.h>

class CFont;
class CWnd;

class CDC {
public:
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Paints the rectangle in one colour: the background colour becomes clr.
    void FillSolidRect(const RECT* pRect, COLORREF clr);
    int SetBkMode(int nBkMode);
    // The font stays selected until the DC goes; the DC's own font is put back then.
    void SelectObject(CFont* pFont);
    BOOL TextOut(int x, int y, const char* pszText, int nCount);
    SIZE GetTextExtent(const char* pszText, int nCount) const;
    BOOL DrawIcon(int x, int y, HICON hIcon);

    HDC m_hDC;

protected:
    CDC() : m_hDC(NULL), m_hOriginalFont(NULL) {}
    ~CDC() {}
    // Puts the DC's own font back; called before the DC is given back.
    void RestoreFont();

private:
    HGDIOBJ m_hOriginalFont;
};

// The DC of a window's client area, for drawing outside WM_PAINT.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC();

private:
    HWND m_hWnd;
};

// The DC of a WM_PAINT: BeginPaint and EndPaint.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();

    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};
