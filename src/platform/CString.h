// CString: the framework's single-byte string, owning its buffer.
#pragma once

#include <windows.h>

class CString {
public:
    CString();
    CString(const char* psz);
    CString(const CString& other);
    ~CString();

    CString& operator=(const char* psz);
    CString& operator=(const CString& other);
    CString& operator+=(const char* psz);

    operator const char*() const { return m_psz; }
    int GetLength() const { return m_nLength; }
    bool IsEmpty() const { return m_nLength == 0; }
    bool operator==(const char* psz) const;
    bool operator!=(const char* psz) const { return !(*this == psz); }

    // printf-style formatting through wvsprintfA, whose output is at most 1024 characters.
    void Format(const char* pszFormat, ...);

    // Direct access for APIs that fill a buffer: room for nMinLength characters and a NUL.
    char* GetBuffer(int nMinLength);
    // Ends direct access; -1 takes the length up to the first NUL.
    void ReleaseBuffer(int nNewLength = -1);

private:
    void Assign(const char* psz, int nLength);

    char* m_psz;
    int m_nLength;
    int m_nCapacity; // characters the buffer holds besides the NUL; 0 for the shared empty text
};
