// hxcfg's own registry reads and machine figures. Every read opens its key and closes it before it
// returns; status opens keys for reading only, so it needs no administrator rights.
#pragma once

#include <windows.h>

// RegQueryValueExA of one value below HKEY_LOCAL_MACHINE; the result code.
LONG ReadValue(const char* pszKey, const char* pszName, DWORD* pdwType, BYTE* pbData,
               DWORD* pcbData);
// A value of at most 4 bytes, taken byte for byte as the store does.
BOOL ReadDword(const char* pszKey, const char* pszName, DWORD* pdwValue);
// The result of opening the key with that access, which is closed again: ERROR_FILE_NOT_FOUND
// when it is not there.
LONG ProbeKey(const char* pszKey, REGSAM samDesired);
inline LONG KeyOpenResult(const char* pszKey) {
    return ProbeKey(pszKey, KEY_READ);
}

// Total physical memory as the dialog counts it.
DWORD TotalPhys();

// The service group list (List), read whole however long it is: the dialog's 1024-byte area is
// no limit for status or remove. A list that is not there, or a group order key that is not, is
// ERROR_SUCCESS with no bytes and type REG_NONE. *ppbList is the caller's to delete[]; pdwType,
// when given, receives the list's type.
LONG ReadWholeList(BYTE** ppbList, DWORD* pcbList, DWORD* pdwType = nullptr);
