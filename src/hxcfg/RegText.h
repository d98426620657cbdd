// A change to the registry as REGEDIT4 text: keys and values to set, "[-key]" and "name"=- for
// removals. Entries keep the order in which they were added; a key's heading is repeated only
// when another key came in between.
#pragma once

#include <windows.h>

#include "hxcfg/Text.h"

class CRegText {
public:
    CRegText() : m_nEntries(0) { m_szKey[0] = '\0'; }

    // pszKey below HKEY_LOCAL_MACHINE; the bytes as the value is to hold them.
    void SetValue(const char* pszKey, const char* pszName, DWORD dwType, const BYTE* pbData,
                  DWORD cbData);
    void SetDword(const char* pszKey, const char* pszName, DWORD dwValue);
    // A key that is created, or left as it is when it exists.
    void CreateKey(const char* pszKey);
    void DeleteKey(const char* pszKey);
    void DeleteValue(const char* pszKey, const char* pszName);

    BOOL Empty() const { return m_nEntries == 0; }
    // "REGEDIT4", a blank line, the entries, and a final blank line.
    void Render(CText* pOut) const;

private:
    void Heading(const char* pszKey, BOOL bDelete);
    void AddValueData(DWORD dwType, const BYTE* pbData, DWORD cbData);

    CText m_body;
    char m_szKey[256]; // the key whose heading was written last; "" after a deletion
    int m_nEntries;
};
