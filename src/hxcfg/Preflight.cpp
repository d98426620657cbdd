#include "hxcfg/Preflight.h"

#include <string.h>

namespace {
// What applying asks of a key it opens or creates, and of each key of a tree it deletes: the tree
// deletion lists each key's subkeys and deletes it.
const REGSAM kPlanAccess = KEY_ALL_ACCESS;
const REGSAM kTreeAccess = KEY_READ | DELETE;

// The key, then every key below it; the path of the one that refused stays in *pKey.
LONG ProbeTree(HKEY hParent, const char* pszName, CText* pKey) {
    HKEY hKey = NULL;
    LONG lError = RegOpenKeyExA(hParent, pszName, 0, kTreeAccess, &hKey);
    for (DWORD i = 0; lError == ERROR_SUCCESS; ++i) {
        char szName[256];
        DWORD cchName = sizeof szName;
        lError = RegEnumKeyExA(hKey, i, szName, &cchName, nullptr, nullptr, nullptr, nullptr);
        if (lError == ERROR_NO_MORE_ITEMS) {
            lError = ERROR_SUCCESS;
            break;
        }
        if (lError != ERROR_SUCCESS)
            break;
        size_t cchKey = pKey->Length();
        pKey->AddChar('\\').Add(szName);
        lError = ProbeTree(hKey, szName, pKey);
        if (lError == ERROR_SUCCESS)
            pKey->Truncate(cchKey);
    }
    if (hKey != NULL)
        RegCloseKey(hKey);
    return lError;
}

// A key to be created: it, if it is there already, or else its nearest existing parent.
LONG ProbeCreate(const char* pszKey, CText* pKey) {
    LONG lError = ProbeKey(pszKey, kPlanAccess);
    while (lError == ERROR_FILE_NOT_FOUND) {
        const char* pszEnd = strrchr(pKey->Get(), '\\');
        if (pszEnd == nullptr)
            return ERROR_SUCCESS; // created below the root itself
        pKey->Truncate(static_cast<size_t>(pszEnd - pKey->Get()));
        lError = ProbeKey(pKey->Get(), KEY_CREATE_SUB_KEY);
    }
    return lError;
}
} // namespace

LONG ProbePlan(const CRegPlan& plan, CText* pKey) {
    const char* pszOpened = nullptr; // the key the value steps that follow are set in
    for (int i = 0; i < plan.Count(); ++i) {
        const RegStep& step = plan.Step(i);
        pKey->Clear();
        pKey->Add(step.pszKey);
        LONG lError = ERROR_SUCCESS;
        switch (step.kind) {
        case kStepOpenKey:
            lError = ProbeKey(step.pszKey, kPlanAccess);
            pszOpened = step.pszKey;
            break;
        case kStepCreateKey:
            lError = ProbeCreate(step.pszKey, pKey);
            pszOpened = step.pszKey;
            break;
        case kStepSetValue:
            // A key the plan was handed open, opened so by the plan's maker.
            if (pszOpened == nullptr || strcmp(pszOpened, step.pszKey) != 0)
                lError = ProbeKey(step.pszKey, kPlanAccess);
            pszOpened = step.pszKey;
            break;
        case kStepDeleteTree:
            lError = ProbeTree(HKEY_LOCAL_MACHINE, step.pszKey, pKey);
            break;
        }
        if (lError != ERROR_SUCCESS)
            return lError;
    }
    return ERROR_SUCCESS;
}
