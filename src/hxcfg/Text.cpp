#include "hxcfg/Text.h"

#include <string.h>

CText& CText::Add(const char* pch, size_t cch) {
    if (m_cch + cch + 1 > m_cchAlloc) {
        size_t cchNew = m_cchAlloc != 0 ? m_cchAlloc : 256;
        while (m_cch + cch + 1 > cchNew)
            cchNew *= 2;
        char* pszNew = new char[cchNew];
        if (m_cch != 0)
            memcpy(pszNew, m_psz, m_cch);
        delete[] m_psz;
        m_psz = pszNew;
        m_cchAlloc = cchNew;
    }
    memcpy(m_psz + m_cch, pch, cch);
    m_cch += cch;
    m_psz[m_cch] = '\0';
    return *this;
}

CText& CText::Add(const char* psz) {
    return Add(psz, strlen(psz));
}

CText& CText::AddDword(DWORD dw) {
    char sz[10];
    int n = 0;
    do {
        sz[n++] = static_cast<char>('0' + dw % 10);
        dw /= 10;
    } while (dw != 0);
    while (n > 0)
        AddChar(sz[--n]);
    return *this;
}

CText& CText::AddHex(DWORD dw, int nDigits) {
    static const char kDigits[] = "0123456789abcdef";
    for (int i = nDigits - 1; i >= 0; --i)
        AddChar(kDigits[(dw >> (4 * i)) & 0xF]);
    return *this;
}

CText& CText::AddQuoted(const char* psz) {
    // Enough of the user's text to recognise it; a line stays a line.
    const size_t kMost = 40;
    AddChar('"');
    size_t n = 0;
    for (; psz[n] != '\0' && n < kMost; ++n)
        AddChar(static_cast<unsigned char>(psz[n]) < 0x20 ? '?' : psz[n]);
    if (psz[n] != '\0')
        Add("...");
    return AddChar('"');
}

CText& CText::AddError(LONG lError) {
    Add("error ").AddDword(static_cast<DWORD>(lError));
    // The system's own words, on this line: its line breaks become blanks, and the closing line
    // break and full stop go, since the text stands inside the program's sentence.
    char sz[256];
    DWORD cch = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                               static_cast<DWORD>(lError), 0, sz, sizeof sz, nullptr);
    while (cch > 0 && (static_cast<unsigned char>(sz[cch - 1]) <= ' ' || sz[cch - 1] == '.'))
        --cch;
    if (cch == 0)
        return *this;
    Add(": ");
    for (DWORD i = 0; i < cch; ++i) {
        if (static_cast<unsigned char>(sz[i]) >= ' ')
            AddChar(sz[i]);
        else if (i > 0 && static_cast<unsigned char>(sz[i - 1]) >= ' ')
            AddChar(' ');
    }
    return *this;
}

char UpperChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

const char* AfterPrefix(const char* psz, const char* pszPrefix) {
    for (; *pszPrefix != '\0'; ++psz, ++pszPrefix)
        if (UpperChar(*psz) != UpperChar(*pszPrefix))
            return nullptr;
    return psz;
}

BOOL EqualNoCase(const char* psz1, const char* psz2) {
    const char* pszRest = AfterPrefix(psz1, psz2);
    return pszRest != nullptr && *pszRest == '\0';
}

BOOL IsDriveName(const char* psz) {
    char c = UpperChar(psz[0]);
    return c >= 'A' && c <= 'Z' && psz[1] == ':' && psz[2] == '\0';
}
