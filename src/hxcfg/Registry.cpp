#include "hxcfg/Registry.h"

#include "budget/MemoryBudget.h"
#include "config/RegistryLayout.h"

LONG ReadValue(const char* pszKey, const char* pszName, DWORD* pdwType, BYTE* pbData,
               DWORD* pcbData) {
    HKEY hKey = NULL;
    LONG lResult = RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, KEY_READ, &hKey);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    lResult = RegQueryValueExA(hKey, pszName, nullptr, pdwType, pbData, pcbData);
    RegCloseKey(hKey);
    return lResult;
}

BOOL ReadDword(const char* pszKey, const char* pszName, DWORD* pdwValue) {
    DWORD dwValue = 0;
    DWORD cb = sizeof dwValue;
    if (ReadValue(pszKey, pszName, nullptr, reinterpret_cast<BYTE*>(&dwValue), &cb) !=
        ERROR_SUCCESS)
        return FALSE;
    *pdwValue = dwValue;
    return TRUE;
}

LONG ProbeKey(const char* pszKey, REGSAM samDesired) {
    HKEY hKey = NULL;
    LONG lError = RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, samDesired, &hKey);
    if (lError == ERROR_SUCCESS)
        RegCloseKey(hKey);
    return lError;
}

DWORD TotalPhys() {
    MEMORYSTATUS status;
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return TotalPhysBytes(status);
}

LONG ReadWholeList(BYTE** ppbList, DWORD* pcbList, DWORD* pdwType) {
    *ppbList = nullptr;
    *pcbList = 0;
    DWORD dwType = REG_NONE;
    HKEY hKey = NULL;
    LONG lError = RegOpenKeyExA(HKEY_LOCAL_MACHINE, HX_KEY_GROUP_ORDER, 0, KEY_READ, &hKey);
    // Asked for its size first; should the list grow between the two reads, asked again. A query
    // that answers "more data" every time ends the tries with that answer.
    for (int nTry = 0; lError == ERROR_SUCCESS && *ppbList == nullptr && nTry < 4; ++nTry) {
        DWORD cb = 0;
        lError = RegQueryValueExA(hKey, "List", nullptr, nullptr, nullptr, &cb);
        if (lError != ERROR_SUCCESS)
            break;
        BYTE* pb = new BYTE[cb != 0 ? cb : 1];
        lError = RegQueryValueExA(hKey, "List", nullptr, &dwType, pb, &cb);
        if (lError == ERROR_SUCCESS) {
            *ppbList = pb;
            *pcbList = cb;
        } else {
            delete[] pb;
            if (lError == ERROR_MORE_DATA && nTry < 3)
                lError = ERROR_SUCCESS;
        }
    }
    if (hKey != NULL)
        RegCloseKey(hKey);
    if (pdwType != nullptr)
        *pdwType = *ppbList != nullptr ? dwType : REG_NONE;
    return lError == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : lError;
}
