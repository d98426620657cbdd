#include "config/RegistryPlan.h"

#include <string.h>

namespace {
// A key's path below HKEY_LOCAL_MACHINE, new[]'d: the parent's path and, if given, one name more.
char* KeyPath(const char* pszParent, const char* pszName) {
    size_t cchParent = strlen(pszParent);
    size_t cchName = pszName != nullptr ? strlen(pszName) : 0;
    char* psz = new char[cchParent + cchName + 2];
    memcpy(psz, pszParent, cchParent);
    if (pszName != nullptr) {
        psz[cchParent++] = '\\';
        memcpy(psz + cchParent, pszName, cchName);
        cchParent += cchName;
    }
    psz[cchParent] = '\0';
    return psz;
}
} // namespace

// Deletes a key and its subkeys at any depth. The system refuses to delete a key that still has
// subkeys, so each round walks down from the top to a key without any and deletes that one;
// only two handles are open at any time, however deep the tree. The walk keeps the path it is
// at, so that what a failure leaves behind can be told: each subkey deleted, and the key at which
// it stopped.
LONG CRegPlan::DeleteKeyTree(const char* pszKey) {
    for (;;) {
        char* pszParent = KeyPath(pszKey, nullptr);
        char* pszLeaf = nullptr; // the key without subkeys that this round deletes
        HKEY hParent = NULL;
        LONG lError = RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, KEY_READ, &hParent);
        if (lError != ERROR_SUCCESS) {
            m_pszFailedKey = pszParent;
            return lError;
        }
        char szName[256];
        DWORD cchName = sizeof szName;
        lError = RegEnumKeyExA(hParent, 0, szName, &cchName, nullptr, nullptr, nullptr, nullptr);
        if (lError == ERROR_NO_MORE_ITEMS) {
            RegCloseKey(hParent);
            lError = RegDeleteKeyA(HKEY_LOCAL_MACHINE, pszKey);
            if (lError != ERROR_SUCCESS)
                m_pszFailedKey = pszParent;
            else
                delete[] pszParent;
            return lError;
        }
        // Down through first subkeys, until one has none: that one is deleted from its parent.
        while (lError == ERROR_SUCCESS) {
            char* pszChild = KeyPath(pszParent, szName);
            HKEY hChild = NULL;
            lError = RegOpenKeyExA(hParent, szName, 0, KEY_READ, &hChild);
            if (lError == ERROR_SUCCESS) {
                char szChild[256];
                cchName = sizeof szChild;
                lError =
                    RegEnumKeyExA(hChild, 0, szChild, &cchName, nullptr, nullptr, nullptr, nullptr);
                if (lError == ERROR_NO_MORE_ITEMS) {
                    RegCloseKey(hChild);
                    lError = RegDeleteKeyA(hParent, szName);
                    pszLeaf = pszChild;
                    break;
                }
                RegCloseKey(hParent);
                hParent = hChild;
                memcpy(szName, szChild, sizeof szName);
            }
            // Down one level, or stopped at the key that could not be opened or listed.
            delete[] pszParent;
            pszParent = pszChild;
        }
        RegCloseKey(hParent);
        if (pszLeaf != nullptr)
            delete[] pszParent;
        else
            pszLeaf = pszParent;
        if (lError != ERROR_SUCCESS) {
            m_pszFailedKey = pszLeaf;
            return lError;
        }
        RecordDeleted(pszLeaf);
    }
}

void CRegPlan::RecordDeleted(char* pszKey) {
    if (m_nDeleted == m_nDeletedAlloc) {
        int nAlloc = m_nDeletedAlloc != 0 ? 2 * m_nDeletedAlloc : 8;
        char** ppsz = new char*[nAlloc];
        if (m_nDeleted != 0)
            memcpy(ppsz, m_ppszDeleted, m_nDeleted * sizeof *ppsz);
        delete[] m_ppszDeleted;
        m_ppszDeleted = ppsz;
        m_nDeletedAlloc = nAlloc;
    }
    m_ppszDeleted[m_nDeleted++] = pszKey;
}

void CRegPlan::ForgetProgress() {
    for (int i = 0; i < m_nDeleted; ++i)
        delete[] m_ppszDeleted[i];
    m_nDeleted = 0;
    delete[] m_pszFailedKey;
    m_pszFailedKey = nullptr;
}

const char* CRegPlan::FailedKey() const {
    return m_pszFailedKey != nullptr ? m_pszFailedKey : m_pSteps[m_nApplied].pszKey;
}

CRegPlan::CRegPlan()
    : m_pSteps(nullptr), m_nSteps(0), m_nAlloc(0), m_nApplied(0), m_failureKind(kReportStoreError),
      m_pszFailure(nullptr), m_pszOpenKey(nullptr), m_hKey(NULL), m_lError(ERROR_SUCCESS),
      m_ppszDeleted(nullptr), m_nDeleted(0), m_nDeletedAlloc(0), m_pszFailedKey(nullptr) {}

CRegPlan::~CRegPlan() {
    CloseOpenKey();
    ForgetProgress();
    delete[] m_ppszDeleted;
    for (int i = 0; i < m_nSteps; ++i)
        delete[] m_pSteps[i].pbData;
    delete[] m_pSteps;
}

void CRegPlan::OnFailure(ReportKind kind, const char* pszText) {
    m_failureKind = kind;
    m_pszFailure = pszText;
}

RegStep& CRegPlan::Add(RegStepKind kind, const char* pszKey) {
    if (m_nSteps == m_nAlloc) {
        int nAlloc = m_nAlloc != 0 ? 2 * m_nAlloc : 16;
        RegStep* pSteps = new RegStep[nAlloc];
        if (m_nSteps != 0)
            memcpy(pSteps, m_pSteps, m_nSteps * sizeof *pSteps); // the bytes change hands
        delete[] m_pSteps;
        m_pSteps = pSteps;
        m_nAlloc = nAlloc;
    }
    RegStep& step = m_pSteps[m_nSteps++];
    step = RegStep();
    step.kind = kind;
    step.pszKey = pszKey;
    step.failureKind = m_failureKind;
    step.pszFailure = m_pszFailure;
    return step;
}

void CRegPlan::OpenKey(const char* pszKey) {
    Add(kStepOpenKey, pszKey);
    m_pszOpenKey = pszKey;
}

void CRegPlan::CreateKey(const char* pszKey, const char* pszClass) {
    Add(kStepCreateKey, pszKey).pszClass = pszClass;
    m_pszOpenKey = pszKey;
}

void CRegPlan::SetValue(const char* pszName, DWORD dwType, const void* pData, DWORD cbData) {
    RegStep& step = Add(kStepSetValue, m_pszOpenKey);
    step.pszName = pszName;
    step.dwType = dwType;
    // The system reads a string whose counted bytes end without a NUL one byte further, and
    // keeps that byte when it is a NUL; the plan keeps it too, so that applied later it stores
    // what the call made now would.
    const BYTE* pb = static_cast<const BYTE*>(pData);
    BOOL bString = dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_MULTI_SZ;
    DWORD cbRead = bString && cbData != 0 && pb[cbData - 1] != 0 ? cbData + 1 : cbData;
    step.pbData = new BYTE[cbData + 1];
    step.pbData[cbData] = 0;
    memcpy(step.pbData, pb, cbRead);
    step.cbData = cbData;
    step.cbStored = cbRead != cbData && pb[cbData] == 0 ? cbRead : cbData;
}

void CRegPlan::SetDword(const char* pszName, DWORD dwValue) {
    SetValue(pszName, REG_DWORD, &dwValue, sizeof dwValue);
}

void CRegPlan::CloseKey() {
    if (m_nSteps != 0)
        m_pSteps[m_nSteps - 1].bCloses = TRUE;
}

void CRegPlan::DeleteTree(const char* pszKey) {
    Add(kStepDeleteTree, pszKey);
}

void CRegPlan::CloseOpenKey() {
    if (m_hKey != NULL)
        RegCloseKey(m_hKey);
    m_hKey = NULL;
}

BOOL CRegPlan::Run(const RegStep& step) {
    switch (step.kind) {
    case kStepOpenKey:
        m_lError = RegOpenKeyExA(HKEY_LOCAL_MACHINE, step.pszKey, 0, KEY_ALL_ACCESS, &m_hKey);
        break;
    case kStepCreateKey: {
        DWORD dwDisposition = 0;
        // The class parameter is not const in the API's signature only; it is never written to.
        m_lError = RegCreateKeyExA(HKEY_LOCAL_MACHINE, step.pszKey, 0,
                                   const_cast<LPSTR>(step.pszClass), REG_OPTION_NON_VOLATILE,
                                   KEY_ALL_ACCESS, nullptr, &m_hKey, &dwDisposition);
        break;
    }
    case kStepSetValue:
        m_lError = RegSetValueExA(m_hKey, step.pszName, 0, step.dwType, step.pbData, step.cbData);
        break;
    case kStepDeleteTree:
        m_lError = DeleteKeyTree(step.pszKey);
        break;
    }
    BOOL bDone = m_lError == ERROR_SUCCESS;
    // A key that failed to open has no handle to close.
    if (!bDone && (step.kind == kStepOpenKey || step.kind == kStepCreateKey))
        m_hKey = NULL;
    return bDone;
}

BOOL CRegPlan::Apply(IReport& report, HKEY hFirstKey) {
    m_nApplied = 0;
    ForgetProgress();
    if (hFirstKey != NULL && (m_nSteps == 0 || m_pSteps[0].kind != kStepOpenKey)) {
        RegCloseKey(hFirstKey); // no step of this plan takes it
        hFirstKey = NULL;
    }
    for (int i = 0; i < m_nSteps; ++i) {
        const RegStep& step = m_pSteps[i];
        BOOL bDone;
        if (i == 0 && hFirstKey != NULL) {
            m_hKey = hFirstKey;
            m_lError = ERROR_SUCCESS;
            bDone = TRUE;
        } else {
            bDone = Run(step);
        }
        // The key is released before the failure is reported: a box may stay up for long.
        if (step.bCloses || !bDone)
            CloseOpenKey();
        if (!bDone) {
            if (step.pszFailure != nullptr)
                report.Report(step.failureKind, step.pszFailure);
            return FALSE;
        }
        ++m_nApplied;
    }
    return TRUE;
}
