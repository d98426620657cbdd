#include "config/DriverConfig.h"

#include <string.h>

#include "config/RegistryLayout.h"
#include "report/Report.h"

CDriverConfig* g_pDriverConfig = nullptr;

namespace {
const char kMsgPoolNotAltered[] = "Warning, unable to alter NonPagedPool setting";
const char kMsgValueNotWritten[] = "Error, unable to write Halcyonix registry value";
} // namespace

void CDriverConfig::CloseKey(HKEY* phKey) {
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

CDriverConfig::CDriverConfig()
    : hMemoryKey(NULL), hGroupOrderKey(NULL), hServiceKey(NULL), hParametersKey(NULL), Start(4),
      Drive(0), Partition(1), DiskSize(0), NonPagedPoolSize(0), BreakOnEntry(0), DebugLevel(0),
      DosDevice(), cbString(0), cbValue(0), dwValueType(0), bAllRead(FALSE),
      lLastError(ERROR_SUCCESS), lOpenStatus(ERROR_SUCCESS) {}

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

BOOL CDriverConfig::WriteConfig(IReport& report) {
    CRegPlan plan;
    PlanWrite(&plan);
    return plan.Apply(report);
}

void CDriverConfig::PlanPoolSize(CRegPlan* pPlan) const {
    pPlan->OnFailure(kReportStoreWarning, kMsgPoolNotAltered);
    pPlan->OpenKey(HX_KEY_MEMORY_MANAGEMENT);
    PlanValues(HX_KEY_MEMORY_MANAGEMENT, pPlan);
    pPlan->CloseKey();
}

void CDriverConfig::PlanWrite(CRegPlan* pPlan) const {
    PlanPoolSize(pPlan);

    pPlan->OnFailure(kReportStoreError, "Error, couldn't create Halcyonix registry key");
    pPlan->CreateKey(HX_KEY_SERVICE, HX_CLASS_DRIVER_KEYS);
    pPlan->OnFailure(kReportStoreError, kMsgValueNotWritten);
    PlanValues(HX_KEY_SERVICE, pPlan);
    pPlan->CloseKey();

    pPlan->OnFailure(kReportStoreError, "Error, couldn't create Halcyonix Parameters registry key");
    pPlan->CreateKey(HX_KEY_PARAMETERS, HX_CLASS_DRIVER_KEYS);
    pPlan->OnFailure(kReportStoreError, kMsgValueNotWritten);
    PlanValues(HX_KEY_PARAMETERS, pPlan);
    pPlan->CloseKey();
}
