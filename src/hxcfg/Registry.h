// hxcfg's own registry reads and machine figures. Every read opens its key for reading only and
// closes it before it returns, so status needs no administrator rights and holds nothing.
#pragma once

#include <windows.h>

// RegQueryValueExA of one value below HKEY_LOCAL_MACHINE; the result code.
LONG ReadValue(const char* pszKey, const char* pszName, DWORD* pdwType, BYTE* pbData,
               DWORD* pcbData);
// A value of at most 4 bytes, taken byte for byte as the store does.
BOOL ReadDword(const char* pszKey, const char* pszName, DWORD* pdwValue);
BOOL KeyPresent(const char* pszKey);
// The result of opening the key for reading: ERROR_FILE_NOT_FOUND when it is not there.
LONG KeyOpenResult(const char* pszKey);

// Total physical memory as the dialog counts it.
DWORD TotalPhys();

// The service group list, as preparation reads it into its 1024-byte area.
struct GroupList {
    BYTE ab[1024];
    DWORD cb = 0;
    BOOL bRead = FALSE;
};
void ReadGroupList(GroupList* pList);
