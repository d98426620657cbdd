#include "config/DriverConfig.h"

#include "config/RegistryLayout.h"
#include "config/ServiceGroupList.h"
#include "report/Report.h"

namespace {
const DWORD kListArea = HX_GROUP_LIST_AREA;
const char kMsgEventSource[] = "Error, unable to register Halcyonix with event logger";
const char kMsgListNotWritten[] = "Error, couldn't write to Service Group Order";
const char kMsgListNotOpened[] = "Error, unable to open service group order key";
} // namespace

BOOL CDriverConfig::PrepareSystem(IReport& report) {
    CRegPlan plan;
    if (!PlanSystem(&plan, report))
        return FALSE;
    // The list is written through the key it was just read through, which stays open until then.
    HKEY hKey = hGroupOrderKey;
    hGroupOrderKey = NULL;
    return plan.Apply(report, hKey);
}

BOOL CDriverConfig::PlanPreparation(CRegPlan* pPlan, IReport& report) {
    if (!PlanSystem(pPlan, report))
        return FALSE;
    // The plan opens the key again when it is applied.
    if (hGroupOrderKey != NULL)
        CloseKey(&hGroupOrderKey);
    return TRUE;
}

BOOL CDriverConfig::ReadPoolSize(IReport& report) {
    if (!OpenKey(HX_KEY_MEMORY_MANAGEMENT, &hMemoryKey)) {
        report.Report(kReportStoreError, "Fatal Error\n Unable to open session manager key");
        return FALSE;
    }
    // The value must exist: without it the system cannot be prepared.
    BOOL bRead = ReadDwordValue(hMemoryKey, "NonPagedPoolSize", &NonPagedPoolSize);
    CloseKey(&hMemoryKey);
    if (!bRead) {
        report.Report(kReportStoreError, "Fatal Error\n Unable to query session manager");
        return FALSE;
    }
    return TRUE;
}

BOOL CDriverConfig::PlanSystem(CRegPlan* pPlan, IReport& report) {
    if (!ReadPoolSize(report) || !PlanServiceGroupOrder(pPlan, report))
        return FALSE;
    PlanEventSource(pPlan);
    return TRUE;
}

BOOL CDriverConfig::PlanServiceGroupOrder(CRegPlan* pPlan, IReport& report) {
    BYTE abList[kListArea];
    BYTE abResult[kListArea];

    cbString = kListArea;
    if (!OpenKey(HX_KEY_GROUP_ORDER, &hGroupOrderKey)) {
        report.Report(kReportStoreWarning, kMsgListNotOpened);
        return FALSE;
    }
    lLastError = RegQueryValueExA(hGroupOrderKey, "List", nullptr, &dwValueType, abList, &cbString);
    if (lLastError != ERROR_SUCCESS) {
        // A list longer than the area fails here too; "Warning" or not, preparation stops.
        CloseKey(&hGroupOrderKey);
        report.Report(kReportStoreWarning, "Warning, unable to query service group order");
        return FALSE;
    }

    GroupListResult result =
        InsertGroupBeforeFilter(abList, cbString, abResult, sizeof abResult, &cbValue);
    if (result == kGroupInserted) {
        // The key stays open, as read, for its caller: applied at once, the plan writes through it.
        pPlan->OnFailure(kReportStoreWarning, kMsgListNotOpened);
        pPlan->OpenKey(HX_KEY_GROUP_ORDER);
        pPlan->OnFailure(kReportStoreWarning, kMsgListNotWritten);
        pPlan->SetValue("List", REG_MULTI_SZ, abResult, cbValue);
        pPlan->CloseKey();
        return TRUE;
    }
    CloseKey(&hGroupOrderKey);
    if (result == kGroupAlreadyListed || result == kNoFilterGroup)
        return TRUE;
    // A list too long for the area is never written, since every later query of it would fail
    // and stop the program.
    report.Report(kReportListTooLong, kMsgListNotWritten);
    return FALSE;
}

void CDriverConfig::PlanEventSource(CRegPlan* pPlan) {
    static const char kMessageFile[] = HX_EVENT_MESSAGE_FILE; // 40 bytes with the NUL
    pPlan->OnFailure(kReportStoreError, kMsgEventSource);
    pPlan->CreateKey(HX_KEY_EVENT_SOURCE, HX_CLASS_EVENT_SOURCE);
    pPlan->SetDword("TypesSupported", HX_TYPES_SUPPORTED);
    pPlan->SetValue("EventMessageFile", REG_EXPAND_SZ, kMessageFile, sizeof kMessageFile);
    pPlan->CloseKey();
}
