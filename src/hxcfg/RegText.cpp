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
    if (!bDelete && m_pszKey != nullptr && strcmp(m_pszKey, pszKey) == 0)
        return;
    m_body.Add(bDelete ? "\n[-" : "\n[").Add(kRoot).Add(pszKey).Add("]\n");
    m_pszKey = bDelete ? nullptr : pszKey;
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

void CRegText::AddSteps(const CRegPlan& plan, int nSteps) {
    for (int i = 0; i < nSteps; ++i) {
        const RegStep& step = plan.Step(i);
        if (step.kind == kStepDeleteTree)
            DeleteKey(step.pszKey);
        if (step.kind == kStepOpenKey || step.kind == kStepDeleteTree)
            continue;
        Heading(step.pszKey, FALSE); // a key created, or left as it is when it exists
        ++m_nEntries;
        if (step.kind != kStepSetValue)
            continue;
        AddEscaped(&m_body, step.pszName, strlen(step.pszName));
        m_body.AddChar('=');
        AddValueData(step.dwType, step.pbData, step.cbStored);
        m_body.AddChar('\n');
    }
}

void CRegText::DeleteKey(const char* pszKey) {
    Heading(pszKey, TRUE);
    ++m_nEntries;
}

void CRegText::Render(CText* pOut) const {
    pOut->Add("REGEDIT4\n").Add(m_body).AddChar('\n');
}
