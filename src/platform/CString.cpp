#include "platform/CString.h"

#include <stdlib.h>
#include <string.h>

namespace {
char g_szEmpty[1] = "";
}

CString::CString() : m_psz(g_szEmpty), m_nLength(0), m_nCapacity(0) {}

CString::CString(const char* psz) : CString() {
    *this = psz;
}

CString::CString(const CString& other) : CString() {
    Assign(other.m_psz, other.m_nLength);
}

CString::~CString() {
    if (m_nCapacity != 0)
        free(m_psz);
}

CString& CString::operator=(const char* psz) {
    Assign(psz, psz ? static_cast<int>(strlen(psz)) : 0);
    return *this;
}

CString& CString::operator=(const CString& other) {
    if (this != &other)
        Assign(other.m_psz, other.m_nLength);
    return *this;
}

CString& CString::operator+=(const char* psz) {
    int nAdd = psz ? static_cast<int>(strlen(psz)) : 0;
    int nOld = m_nLength;
    // psz may point into this string: copy it out before the buffer can move.
    char* pszCopy = static_cast<char*>(malloc(nAdd + 1));
    if (pszCopy == nullptr)
        return *this;
    memcpy(pszCopy, psz, nAdd);
    char* pBuffer = GetBuffer(nOld + nAdd);
    if (pBuffer != g_szEmpty || nOld + nAdd == 0) {
        memcpy(pBuffer + nOld, pszCopy, nAdd);
        ReleaseBuffer(nOld + nAdd);
    }
    free(pszCopy);
    return *this;
}

bool CString::operator==(const char* psz) const {
    return strcmp(m_psz, psz ? psz : "") == 0;
}

void CString::Format(const char* pszFormat, ...) {
    char szBuffer[1024]; // wvsprintfA writes at most 1023 characters and the NUL
    va_list args;
    va_start(args, pszFormat);
    int n = wvsprintfA(szBuffer, pszFormat, args);
    va_end(args);
    // A cut output is reported as 1024, one more than it stored: the text ends at its NUL.
    Assign(szBuffer, n < 0 ? 0 : static_cast<int>(strnlen(szBuffer, sizeof szBuffer)));
}

char* CString::GetBuffer(int nMinLength) {
    if (nMinLength <= m_nCapacity && m_nCapacity != 0)
        return m_psz;
    if (nMinLength <= 0 && m_nCapacity == 0)
        nMinLength = 1; // callers write into the result: never hand out the shared empty text
    char* pNew = static_cast<char*>(malloc(nMinLength + 1));
    if (pNew == nullptr)
        return g_szEmpty;
    memcpy(pNew, m_psz, m_nLength + 1);
    if (m_nCapacity != 0)
        free(m_psz);
    m_psz = pNew;
    m_nCapacity = nMinLength;
    return m_psz;
}

void CString::ReleaseBuffer(int nNewLength) {
    if (m_nCapacity == 0)
        return;
    if (nNewLength < 0 || nNewLength > m_nCapacity)
        nNewLength = static_cast<int>(strnlen(m_psz, m_nCapacity));
    m_psz[nNewLength] = '\0';
    m_nLength = nNewLength;
}

void CString::Assign(const char* psz, int nLength) {
    if (nLength == 0) {
        if (m_nCapacity != 0) {
            m_psz[0] = '\0';
        }
        m_nLength = 0;
        return;
    }
    char* pBuffer = GetBuffer(nLength);
    if (pBuffer == g_szEmpty)
        return; // out of memory: keep the old text rather than truncate silently
    memmove(pBuffer, psz, nLength);
    ReleaseBuffer(nLength);
}
