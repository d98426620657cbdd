#include "config/DriverConfig.h"

#include "config/RegistryLayout.h"
#include "config/ServiceGroupList.h"
#include "config/Report.h"

namespace {
const DWORD kListArea = 1024;
const char kMsgEventSource[] = "Error, unable to register Halcyonix with event logger";
} // namespace

BOOL CDriverConfig::PrepareSystem() {
    if (!OpenKey(HX_KEY_MEMORY_MANAGEMENT, &hMemoryKey)) {
        ShowErrorBox("Fatal Error\n Unable to open session manager key");
        return FALSE;
    }
    // The value must exist: without it the system cannot be prepared.
    BOOL bRead = ReadDwordValue(hMemoryKey, "NonPagedPoolSize", &NonPagedPoolSize);
    CloseKey(&hMemoryKey);
    if (!bRead) {
        ShowErrorBox("Fatal Error\n Unable to query session manager");
        return FALSE;
    }

    return PrepareServiceGroupOrder() && RegisterEventSource();
}

BOOL CDriverConfig::PrepareServiceGroupOrder() {
    BYTE abList[kListArea];
    BYTE abResult[kListArea];

    cbString = kListArea;
    if (!OpenKey(HX_KEY_GROUP_ORDER, &hGroupOrderKey)) {
        ReportFailure(kReportStoreWarning, "Error, unable to open service group order key");
        return FALSE;
    }
    lLastError = RegQueryValueExA(hGroupOrderKey, "List", nullptr, &dwValueType, abList, &cbString);
    if (lLastError != ERROR_SUCCESS) {
        // A list longer than the area fails here too; "Warning" or not, preparation stops.
        ReportFailure(kReportStoreWarning, "Warning, unable to query service group order");
        CloseKey(&hGroupOrderKey);
        return FALSE;
    }

    GroupListResult result =
        InsertGroupBeforeFilter(abList, cbString, abResult, sizeof abResult, &cbValue);
    BOOL bWritten = result == kGroupInserted &&
                    SetValue(hGroupOrderKey, "List", REG_MULTI_SZ, abResult, cbValue);
    CloseKey(&hGroupOrderKey);
    if (result == kGroupAlreadyListed || result == kNoFilterGroup || bWritten)
        return TRUE;
    // Refused or failed: a list too long for the area is never written, since every later
    // query of it would fail and stop the program.
    ReportFailure(kReportStoreWarning, "Error, couldn't write to Service Group Order");
    return FALSE;
}

BOOL CDriverConfig::RegisterEventSource() {
    if (!CreateKey(HX_KEY_EVENT_SOURCE, HX_CLASS_EVENT_SOURCE, &hEventSourceKey)) {
        ShowErrorBox(kMsgEventSource);
        return FALSE;
    }
    static const char kMessageFile[] = HX_EVENT_MESSAGE_FILE; // 40 bytes with the NUL
    if (!SetDword(hEventSourceKey, "TypesSupported", HX_TYPES_SUPPORTED) ||
        !SetValue(hEventSourceKey, "EventMessageFile", REG_EXPAND_SZ, kMessageFile,
                  sizeof kMessageFile)) {
        ShowErrorBox(kMsgEventSource);
        CloseKey(&hEventSourceKey);
        return FALSE;
    }
    CloseKey(&hEventSourceKey);
    return TRUE;
}
