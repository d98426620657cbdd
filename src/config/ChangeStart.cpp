#include "config/ChangeStart.h"

#include "budget/MemoryBudget.h"
#include "rights/IsAdministrator.h"

StartResult CChangeStart::Run(StartPreparation how, CDriverConfig* pConfig, CRegPlan* pPlan,
                              IReport& report) {
    if (!IsAdministrator())
        return kStartNotAdministrator;
    if (!CheckBeforePreparation(&how))
        return kStartStopped;
    m_how = how;

    BOOL bPrepared = how == kPrepareNow       ? pConfig->PrepareSystem(report)
                     : how == kPreparePlanned ? pConfig->PlanPreparation(pPlan, report)
                                              : pConfig->ReadPoolSize(report);
    if (!bPrepared)
        return kStartStopped;
    // What is there replaces the defaults, value by value; a value that cannot be read keeps it.
    if (how != kPreparePoolOnly)
        pConfig->ReadInstalledConfig();

    memStatus.dwLength = sizeof memStatus;
    GlobalMemoryStatus(&memStatus);
    dwTotalPhys = TotalPhysBytes(memStatus);
    if (!CalcStartupUsableMemory(dwTotalPhys, pConfig->NonPagedPoolSize, &dwBudget))
        return kStartTooLittleMemory;
    return kStartReady;
}
