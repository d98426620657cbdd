// CFont: owns its HFONT and deletes it with the object.
#pragma once

#include <windows.h>

class CFont {
public:
    CFont() : m_hFont(NULL) {}
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    BOOL CreateFontIndirect(const LOGFONTA* pLogFont);
    BOOL DeleteObject();
    operator HFONT() const { return m_hFont; }

    HFONT m_hFont;
};
