// A growing text: what hxcfg prints and what it writes into a .reg file. Numbers are formatted
// here rather than by a printf, which the console program does not link.
#pragma once

#include <windows.h>

#include <stddef.h>

class CText {
public:
    CText() : m_psz(nullptr), m_cch(0), m_cchAlloc(0) {}
    ~CText() { delete[] m_psz; }
    CText(const CText&) = delete;
    CText& operator=(const CText&) = delete;

    CText& Add(const char* psz);
    CText& Add(const char* pch, size_t cch);
    CText& Add(const CText& text) { return Add(text.Get(), text.Length()); }
    CText& AddChar(char c) { return Add(&c, 1); }
    CText& AddDword(DWORD dw);            // decimal
    CText& AddHex(DWORD dw, int nDigits); // lower-case, zero-filled
    CText& AddLine(const char* psz) { return Add(psz).AddChar('\n'); }
    CText& AddQuoted(const char* psz); // "text", as the user gave it
    // A Win32 error code as the user reads it: "error N: the system's text" ("error N" alone
    // when the system has no text for it).
    CText& AddError(LONG lError);
    void Clear() { m_cch = 0; }
    // Keeps the first cch characters.
    void Truncate(size_t cch) {
        if (cch < m_cch) {
            m_cch = cch;
            m_psz[cch] = '\0';
        }
    }

    const char* Get() const { return m_psz != nullptr ? m_psz : ""; }
    size_t Length() const { return m_cch; }

private:
    char* m_psz; // always NUL-terminated once allocated
    size_t m_cch;
    size_t m_cchAlloc;
};

// ASCII letters in either case, as Windows compares command words, group, device and path names.
char UpperChar(char c);
BOOL EqualNoCase(const char* psz1, const char* psz2);
// What follows pszPrefix in psz, letters in any case; nullptr when psz does not begin with it.
const char* AfterPrefix(const char* psz, const char* pszPrefix);
// A letter and a colon, such as "D:" or "d:".
BOOL IsDriveName(const char* psz);
