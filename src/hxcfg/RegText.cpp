#include "hxcfg/RegText.h"

#include <string.h>

namespace {
const char kRoot[] = "HKEY_LOCAL_MACHINE\\";

// A string regedit can write back as "text": printable bytes and one NUL, the last. Importing
// "text" stores exactly those bytes, so anything else (a string without its NUL, a NUL inside)
// is written in hex, byte for byte.
BOOL IsPlainString(const BYTE* pb, DWORD cb) {
    if (cb == 0 || pb[cb - 1] != 0)
        return FALSE;
    for (DWORD i = 0; i + 1 < cb; ++i)
        if (pb[i] < 0x20)
            return FALSE;
    return TRUE;
}

void AddEscaped(CText* pOut, const char* pch, size_t cch) {
    pOut->AddChar('"');
    for (size_t i = 0; i < cch; ++i) {
        if (pch[i] == '\\' || pch[i] == '"')
            pOut->AddChar('\\');
        pOut->AddChar(pch[i]);
    }
    pOut->AddChar('"');
}
} // namespace

void CRegText::Heading(const char* pszKey, BOOL bDelete) {
    if (!bDelete && strcmp(m_szKey, pszKey) == 0)
        return;
    m_body.Add(bDelete ? "\n[-" : "\n[").Add(kRoot).Add(pszKey).Add("]\n");
    size_t n = strlen(pszKey);
    if (bDelete || n >= sizeof m_szKey)
        n = 0;
    memcpy(m_szKey, pszKey, n);
    m_szKey[n] = '\0';
}

void CRegText::AddValueData(DWORD dwType, const BYTE* pbData, DWORD cbData) {
    if (dwType == REG_DWORD && cbData == 4) {
        DWORD dw =
            pbData[0] | pbData[1] << 8 | pbData[2] << 16 | static_cast<DWORD>(pbData[3]) << 24;
        m_body.Add("dword:").AddHex(dw, 8);
        return;
    }
    if (dwType == REG_SZ && IsPlainString(pbData, cbData)) {
        AddEscaped(&m_body, reinterpret_cast<const char*>(pbData), cbData - 1);
        return;
    }
    m_body.Add("hex(").AddHex(dwType, 1).Add("):");
    for (DWORD i = 0; i < cbData; ++i) {
        if (i != 0) {
            m_body.AddChar(',');
            if (i % 25 == 0)
                m_body.Add("\\\n  ");
        }
        m_body.AddHex(pbData[i], 2);
    }
}

void CRegText::SetValue(const char* pszKey, const char* pszName, DWORD dwType, const BYTE* pbData,
                        DWORD cbData) {
    Heading(pszKey, FALSE);
    AddEscaped(&m_body, pszName, strlen(pszName));
    m_body.AddChar('=');
    AddValueData(dwType, pbData, cbData);
    m_body.AddChar('\n');
    ++m_nEntries;
}

void CRegText::SetDword(const char* pszKey, const char* pszName, DWORD dwValue) {
    BYTE ab[4] = {BYTE(dwValue), BYTE(dwValue >> 8), BYTE(dwValue >> 16), BYTE(dwValue >> 24)};
    SetValue(pszKey, pszName, REG_DWORD, ab, sizeof ab);
}

void CRegText::CreateKey(const char* pszKey) {
    Heading(pszKey, FALSE);
    ++m_nEntries;
}

void CRegText::DeleteKey(const char* pszKey) {
    Heading(pszKey, TRUE);
    ++m_nEntries;
}

void CRegText::DeleteValue(const char* pszKey, const char* pszName) {
    Heading(pszKey, FALSE);
    AddEscaped(&m_body, pszName, strlen(pszName));
    m_body.Add("=-\n");
    ++m_nEntries;
}

void CRegText::Render(CText* pOut) const {
    pOut->Add("REGEDIT4\n").Add(m_body).AddChar('\n');
}
