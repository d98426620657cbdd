#include "platform/CFont.h"

BOOL CFont::CreateFontIndirect(const LOGFONTA* pLogFont) {
    DeleteObject();
    m_hFont = ::CreateFontIndirectA(pLogFont);
    return m_hFont != NULL;
}

BOOL CFont::DeleteObject() {
    if (m_hFont == NULL)
        return FALSE;
    ::DeleteObject(m_hFont);
    m_hFont = NULL;
    return TRUE;
}
