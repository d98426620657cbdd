#include "config/DriverConfig.h"

#include <string.h>

#include "config/RegistryLayout.h"
#include "config/Report.h"

CDriverConfig* g_pDriverConfig = nullptr;

namespace {
const char kMsgPoolNotAltered[] = "Warning, unable to alter NonPagedPool setting";
const char kMsgValueNotWritten[] = "Error, unable to write Halcyonix registry value";

// A key a dry run would create: named by the field that would hold its handle.
HKEY PlannedKey(HKEY* phKey) {
    return reinterpret_cast<HKEY>(phKey);
}
} // namespace

void CDriverConfig::ShowErrorBox(const char* pszText) {
    ReportFailure(kReportStoreError, pszText);
}

void CDriverConfig::CloseKey(HKEY* phKey) {
    if (*phKey != PlannedKey(phKey))
        RegCloseKey(*phKey);
    *phKey = NULL;
}

BOOL CDriverConfig::OpenKey(const char* pszPath, HKEY* phKey) {
    lLastError = RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszPath, 0, KEY_ALL_ACCESS, phKey);
    if (lLastError == ERROR_SUCCESS)
        return TRUE;
    *phKey = NULL;
    return FALSE;
}

BOOL CDriverConfig::CreateKey(const char* pszPath, const char* pszClass, HKEY* phKey) {
    if (bPlanOnly) {
        lLastError = ERROR_SUCCESS;
        *phKey = PlannedKey(phKey);
        return TRUE;
    }
    // The class parameter is not const in the API's signature only; it is never written to.
    lLastError =
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, pszPath, 0, const_cast<LPSTR>(pszClass),
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, phKey, &dwDisposition);
    if (lLastError == ERROR_SUCCESS)
        return TRUE;
    *phKey = NULL;
    return FALSE;
}

BOOL CDriverConfig::SetValue(HKEY hKey, const char* pszName, DWORD dwType, const void* pData,
                             DWORD cbData) {
    lLastError = bPlanOnly ? ERROR_SUCCESS
                           : RegSetValueExA(hKey, pszName, 0, dwType,
                                            static_cast<const BYTE*>(pData), cbData);
    if (lLastError != ERROR_SUCCESS)
        return FALSE;
    ReportWritten(PathOf(hKey), pszName, dwType, static_cast<const BYTE*>(pData), cbData);
    return TRUE;
}

const char* CDriverConfig::PathOf(HKEY hKey) const {
    if (hKey == hMemoryKey)
        return HX_KEY_MEMORY_MANAGEMENT;
    if (hKey == hGroupOrderKey)
        return HX_KEY_GROUP_ORDER;
    if (hKey == hEventSourceKey)
        return HX_KEY_EVENT_SOURCE;
    if (hKey == hServiceKey)
        return HX_KEY_SERVICE;
    return HX_KEY_PARAMETERS;
}

BOOL CDriverConfig::SetDword(HKEY hKey, const char* pszName, DWORD dwValue) {
    return SetValue(hKey, pszName, REG_DWORD, &dwValue, sizeof dwValue);
}

CDriverConfig::CDriverConfig()
    : hMemoryKey(NULL), hEventSourceKey(NULL), hGroupOrderKey(NULL), hServiceKey(NULL),
      hParametersKey(NULL), Start(4), Drive(0), Partition(1), DiskSize(0), NonPagedPoolSize(0),
      BreakOnEntry(0), DebugLevel(0), DosDevice(), bPlanOnly(FALSE), cbString(0), cbValue(0),
      dwValueType(0), dwDisposition(0), bAllRead(FALSE), lLastError(ERROR_SUCCESS),
      lOpenStatus(ERROR_SUCCESS) {}

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
            CloseKey(&hServiceKey);
        if (bParametersOpen)
            CloseKey(&hParametersKey);
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

    CloseKey(&hServiceKey);
    CloseKey(&hParametersKey);
    return bAllRead && bDosDeviceRead;
}

BOOL CDriverConfig::WriteConfig(BOOL bSkipPoolSize) {
    if (!bSkipPoolSize) {
        if (!OpenKey(HX_KEY_MEMORY_MANAGEMENT, &hMemoryKey)) {
            ReportFailure(kReportStoreWarning, kMsgPoolNotAltered);
            return FALSE;
        }
        BOOL bSet = SetDword(hMemoryKey, "NonPagedPoolSize", NonPagedPoolSize);
        CloseKey(&hMemoryKey);
        if (!bSet) {
            ReportFailure(kReportStoreWarning, kMsgPoolNotAltered);
            return FALSE;
        }
    }

    if (!CreateKey(HX_KEY_SERVICE, HX_CLASS_DRIVER_KEYS, &hServiceKey)) {
        ShowErrorBox("Error, couldn't create Halcyonix registry key");
        return FALSE;
    }
    static const char kGroup[] = HX_GROUP_NAME;
    if (!SetDword(hServiceKey, "ErrorControl", 1) || !SetDword(hServiceKey, "Start", Start) ||
        !SetDword(hServiceKey, "Type", 1) ||
        !SetValue(hServiceKey, "Group", REG_SZ, kGroup, sizeof kGroup)) {
        ShowErrorBox(kMsgValueNotWritten);
        CloseKey(&hServiceKey);
        return FALSE;
    }
    CloseKey(&hServiceKey);

    if (!CreateKey(HX_KEY_PARAMETERS, HX_CLASS_DRIVER_KEYS, &hParametersKey)) {
        ShowErrorBox("Error, couldn't create Halcyonix Parameters registry key");
        return FALSE;
    }
    // The drive letter and colon only, without a NUL: the driver reads exactly two bytes.
    const DWORD cbDosDevice = 2;
    if (!SetDword(hParametersKey, "BreakOnEntry", BreakOnEntry) ||
        !SetDword(hParametersKey, "DebugLevel", DebugLevel) ||
        !SetDword(hParametersKey, "Drive", Drive) ||
        !SetDword(hParametersKey, "Partition", Partition) ||
        !SetDword(hParametersKey, "DiskSize", DiskSize) ||
        !SetValue(hParametersKey, "DosDevice", REG_SZ, DosDevice, cbDosDevice)) {
        ShowErrorBox(kMsgValueNotWritten);
        CloseKey(&hParametersKey);
        return FALSE;
    }
    CloseKey(&hParametersKey);
    return TRUE;
}
