#include "config/DriverConfig.h"

#include <string.h>

#include "config/RegistryLayout.h"
#include "platform/MessageBoxes.h"

CDriverConfig* g_pDriverConfig = nullptr;

namespace {
void ShowErrorBox(const char* pszText) {
    OwnerlessMessageBox(pszText, HX_CAPTION_NOT_CONFIGURED, MB_ICONERROR | MB_OK);
}

const char kMsgPoolNotAltered[] = "Warning, unable to alter NonPagedPool setting";
const char kMsgValueNotWritten[] = "Error, unable to write Halcyonix registry value";
} // namespace

CDriverConfig::CDriverConfig()
    : hMemoryKey(NULL), hEventSourceKey(NULL), hGroupOrderKey(NULL), hServiceKey(NULL),
      hParametersKey(NULL), Start(4), Drive(0), Partition(1), DiskSize(0), NonPagedPoolSize(0),
      BreakOnEntry(0), DebugLevel(0), DosDevice(), cbString(0), cbValue(0), dwValueType(0),
      dwDisposition(0), bAllRead(FALSE), lLastError(ERROR_SUCCESS), lOpenStatus(ERROR_SUCCESS) {}

BOOL CDriverConfig::ReadDwordValue(HKEY hKey, const char* pszName, DWORD* pdwField) {
    // Read into a copy: a failed query may leave its buffer scribbled on, and the field must
    // keep what it had.
    DWORD dwValue = *pdwField;
    cbValue = sizeof dwValue;
    lLastError = RegQueryValueExA(hKey, pszName, nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(&dwValue), &cbValue);
    if (lLastError != ERROR_SUCCESS)
        return FALSE;
    *pdwField = dwValue;
    return TRUE;
}

BOOL CDriverConfig::ReadInstalledConfig() {
    lLastError = RegOpenKeyExA(HKEY_LOCAL_MACHINE, HX_KEY_SERVICE, 0, KEY_ALL_ACCESS, &hServiceKey);
    BOOL bServiceOpen = lLastError == ERROR_SUCCESS;
    lOpenStatus =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, HX_KEY_PARAMETERS, 0, KEY_ALL_ACCESS, &hParametersKey);
    BOOL bParametersOpen = lOpenStatus == ERROR_SUCCESS;
    if (!bServiceOpen || !bParametersOpen) {
        if (bServiceOpen)
            RegCloseKey(hServiceKey);
        if (bParametersOpen)
            RegCloseKey(hParametersKey);
        hServiceKey = hParametersKey = NULL;
        return FALSE;
    }

    bAllRead = ReadDwordValue(hServiceKey, "Start", &Start);
    // Every read is made, even after one failed: what can be read replaces the defaults.
    bAllRead &= ReadDwordValue(hParametersKey, "Drive", &Drive);
    bAllRead &= ReadDwordValue(hParametersKey, "Partition", &Partition);
    bAllRead &= ReadDwordValue(hParametersKey, "DiskSize", &DiskSize);
    bAllRead &= ReadDwordValue(hParametersKey, "BreakOnEntry", &BreakOnEntry);
    bAllRead &= ReadDwordValue(hParametersKey, "DebugLevel", &DebugLevel);

    char szDosDevice[sizeof DosDevice];
    cbString = sizeof szDosDevice;
    lLastError = RegQueryValueExA(hParametersKey, "DosDevice", nullptr, &dwValueType,
                                  reinterpret_cast<BYTE*>(szDosDevice), &cbString);
    BOOL bDosDeviceRead = lLastError == ERROR_SUCCESS;
    if (bDosDeviceRead) {
        memcpy(DosDevice, szDosDevice, cbString);
        // Stored without its NUL, as this program writes it, the text ends after the bytes read.
        // A full 8-byte value keeps its first 7 characters, so the field stays terminated.
        DosDevice[cbString < sizeof DosDevice ? cbString : sizeof DosDevice - 1] = '\0';
    }

    RegCloseKey(hServiceKey);
    RegCloseKey(hParametersKey);
    hServiceKey = hParametersKey = NULL;
    return bAllRead && bDosDeviceRead;
}

namespace {
// Sets a REG_DWORD value; the result code of the call.
LONG SetDword(HKEY hKey, const char* pszName, DWORD dwValue) {
    return RegSetValueExA(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                          sizeof dwValue);
}
} // namespace

BOOL CDriverConfig::WriteConfig(BOOL bSkipPoolSize) {
    if (!bSkipPoolSize) {
        lLastError = RegOpenKeyExA(HKEY_LOCAL_MACHINE, HX_KEY_MEMORY_MANAGEMENT, 0, KEY_ALL_ACCESS,
                                   &hMemoryKey);
        if (lLastError != ERROR_SUCCESS) {
            hMemoryKey = NULL;
            AfxMessageBox(kMsgPoolNotAltered);
            return FALSE;
        }
        lLastError = SetDword(hMemoryKey, "NonPagedPoolSize", NonPagedPoolSize);
        LONG lSetResult = lLastError;
        RegCloseKey(hMemoryKey);
        hMemoryKey = NULL;
        if (lSetResult != ERROR_SUCCESS) {
            AfxMessageBox(kMsgPoolNotAltered);
            return FALSE;
        }
    }

    char szClass[] = HX_CLASS_DRIVER_KEYS;
    lLastError =
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, HX_KEY_SERVICE, 0, szClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &hServiceKey, &dwDisposition);
    if (lLastError != ERROR_SUCCESS) {
        hServiceKey = NULL;
        ShowErrorBox("Error, couldn't create Halcyonix registry key");
        return FALSE;
    }
    static const BYTE kGroup[] = HX_GROUP_NAME;
    if ((lLastError = SetDword(hServiceKey, "ErrorControl", 1)) != ERROR_SUCCESS ||
        (lLastError = SetDword(hServiceKey, "Start", Start)) != ERROR_SUCCESS ||
        (lLastError = SetDword(hServiceKey, "Type", 1)) != ERROR_SUCCESS ||
        (lLastError = RegSetValueExA(hServiceKey, "Group", 0, REG_SZ, kGroup, sizeof kGroup)) !=
            ERROR_SUCCESS) {
        ShowErrorBox(kMsgValueNotWritten);
        RegCloseKey(hServiceKey);
        hServiceKey = NULL;
        return FALSE;
    }
    RegCloseKey(hServiceKey);
    hServiceKey = NULL;

    lLastError =
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, HX_KEY_PARAMETERS, 0, szClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &hParametersKey, &dwDisposition);
    if (lLastError != ERROR_SUCCESS) {
        hParametersKey = NULL;
        ShowErrorBox("Error, couldn't create Halcyonix Parameters registry key");
        return FALSE;
    }
    // The drive letter and colon only, without a NUL: the driver reads exactly two bytes.
    const DWORD cbDosDevice = 2;
    if ((lLastError = SetDword(hParametersKey, "BreakOnEntry", BreakOnEntry)) != ERROR_SUCCESS ||
        (lLastError = SetDword(hParametersKey, "DebugLevel", DebugLevel)) != ERROR_SUCCESS ||
        (lLastError = SetDword(hParametersKey, "Drive", Drive)) != ERROR_SUCCESS ||
        (lLastError = SetDword(hParametersKey, "Partition", Partition)) != ERROR_SUCCESS ||
        (lLastError = SetDword(hParametersKey, "DiskSize", DiskSize)) != ERROR_SUCCESS ||
        (lLastError = RegSetValueExA(hParametersKey, "DosDevice", 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(DosDevice), cbDosDevice)) !=
            ERROR_SUCCESS) {
        ShowErrorBox(kMsgValueNotWritten);
        RegCloseKey(hParametersKey);
        hParametersKey = NULL;
        return FALSE;
    }
    RegCloseKey(hParametersKey);
    hParametersKey = NULL;
    return TRUE;
}
