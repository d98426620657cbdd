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

LONG KeyOpenResult(const char* pszKey) {
    HKEY hKey = NULL;
    LONG lResult = RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, KEY_READ, &hKey);
    if (lResult == ERROR_SUCCESS)
        RegCloseKey(hKey);
    return lResult;
}

BOOL KeyPresent(const char* pszKey) {
    return KeyOpenResult(pszKey) == ERROR_SUCCESS;
}

DWORD TotalPhys() {
    MEMORYSTATUS status;
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return TotalPhysBytes(status);
}

void ReadGroupList(GroupList* pList) {
    pList->cb = sizeof pList->ab;
    pList->bRead =
        ReadValue(HX_KEY_GROUP_ORDER, "List", nullptr, pList->ab, &pList->cb) == ERROR_SUCCESS;
    if (!pList->bRead)
        pList->cb = 0;
}
