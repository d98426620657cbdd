// A change to the registry as REGEDIT4 text: keys and values to set, "[-key]" for a tree removed.
// Entries keep the order in which they were added; a key's heading is repeated only when another
// key came in between.
#pragma once

#include <windows.h>

#include "config/RegistryPlan.h"
#include "hxcfg/Text.h"

class CRegText {
public:
    CRegText() : m_pszKey(nullptr), m_nEntries(0) {}

    // The plan's first nSteps steps, with the bytes the system will store, which a file must
    // import; opening a key writes nothing. The plan outlives the text.
    void AddSteps(const CRegPlan& plan, int nSteps);
    void DeleteKey(const char* pszKey);

    BOOL Empty() const { return m_nEntries == 0; }
    // "REGEDIT4", a blank line, the entries, and a final blank line.
    void Render(CText* pOut) const;

private:
    void Heading(const char* pszKey, BOOL bDelete);
    void AddValueData(DWORD dwType, const BYTE* pbData, DWORD cbData);

    CText m_body;
    const char* m_pszKey; // the key whose heading was written last; nullptr after a deletion
    int m_nEntries;
};
