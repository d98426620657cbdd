#include "config/DriverConfig.h"

#include "config/RegistryLayout.h"
#include "config/ServiceGroupList.h"
#include "platform/MessageBoxes.h"

namespace {
const DWORD kListArea = 1024;
const DWORD kTypesSupported = 7; // error, warning and information events
const char kMsgEventSource[] = "Error, unable to register Halcyonix with event logger";

void ShowErrorBox(const char* pszText) {
    OwnerlessMessageBox(pszText, HX_CAPTION_NOT_CONFIGURED, MB_ICONERROR | MB_OK);
}
} // namespace

BOOL CDriverConfig::PrepareSystem() {
    lLastError =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, HX_KEY_MEMORY_MANAGEMENT, 0, KEY_ALL_ACCESS, &hMemoryKey);
    if (lLastError != ERROR_SUCCESS) {
        hMemoryKey = NULL;
        ShowErrorBox("Fatal Error\n Unable to open session manager key");
        return FALSE;
    }
    // The value must exist: without it the system cannot be prepared.
    BOOL bRead = ReadDwordValue(hMemoryKey, "NonPagedPoolSize", &NonPagedPoolSize);
    RegCloseKey(hMemoryKey);
    hMemoryKey = NULL;
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
    lLastError =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, HX_KEY_GROUP_ORDER, 0, KEY_ALL_ACCESS, &hGroupOrderKey);
    if (lLastError != ERROR_SUCCESS) {
        hGroupOrderKey = NULL;
        AfxMessageBox("Error, unable to open service group order key");
        return FALSE;
    }
    lLastError = RegQueryValueExA(hGroupOrderKey, "List", nullptr, &dwValueType, abList, &cbString);
    if (lLastError != ERROR_SUCCESS) {
        // A list longer than the area fails here too; "Warning" or not, preparation stops.
        AfxMessageBox("Warning, unable to query service group order");
        RegCloseKey(hGroupOrderKey);
        hGroupOrderKey = NULL;
        return FALSE;
    }

    GroupListResult result =
        InsertGroupBeforeFilter(abList, cbString, abResult, sizeof abResult, &cbValue);
    if (result == kGroupAlreadyListed || result == kNoFilterGroup) {
        RegCloseKey(hGroupOrderKey);
        hGroupOrderKey = NULL;
        return TRUE;
    }
    if (result == kGroupInserted)
        lLastError = RegSetValueExA(hGroupOrderKey, "List", 0, REG_MULTI_SZ, abResult, cbValue);
    RegCloseKey(hGroupOrderKey);
    hGroupOrderKey = NULL;
    // A list too long for the area is refused rather than written: every later query of it
    // would fail and stop the program.
    if (result == kListTooLong || lLastError != ERROR_SUCCESS) {
        AfxMessageBox("Error, couldn't write to Service Group Order");
        return FALSE;
    }
    return TRUE;
}

BOOL CDriverConfig::RegisterEventSource() {
    char szClass[] = HX_CLASS_EVENT_SOURCE;
    lLastError = RegCreateKeyExA(HKEY_LOCAL_MACHINE, HX_KEY_EVENT_SOURCE, 0, szClass,
                                 REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &hEventSourceKey,
                                 &dwDisposition);
    if (lLastError != ERROR_SUCCESS) {
        hEventSourceKey = NULL;
        ShowErrorBox(kMsgEventSource);
        return FALSE;
    }
    DWORD dwTypes = kTypesSupported;
    static const BYTE kMessageFile[] = HX_EVENT_MESSAGE_FILE; // 40 bytes with the NUL
    if ((lLastError = RegSetValueExA(hEventSourceKey, "TypesSupported", 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&dwTypes), sizeof dwTypes)) !=
            ERROR_SUCCESS ||
        (lLastError = RegSetValueExA(hEventSourceKey, "EventMessageFile", 0, REG_EXPAND_SZ,
                                     kMessageFile, sizeof kMessageFile)) != ERROR_SUCCESS) {
        ShowErrorBox(kMsgEventSource);
        RegCloseKey(hEventSourceKey);
        hEventSourceKey = NULL;
        return FALSE;
    }
    RegCloseKey(hEventSourceKey);
    hEventSourceKey = NULL;
    return TRUE;
}
