// hxcfg remove: the driver's service key with everything below it, its event log source, and its
// group in the service group order, whatever of them is there. The pool size stays: the system
// may have been tuned for it.
#include "config/DriverConfig.h"
#include "config/RegistryLayout.h"
#include "hxcfg/Commands.h"
#include "hxcfg/Console.h"
#include "hxcfg/Registry.h"
#include "rights/IsAdministrator.h"

namespace {
// Whether the key is there to delete; FALSE, after the line that says so, when that cannot be
// told: a key that merely failed to open must not be taken for one already gone.
BOOL LookUp(const char* pszKey, BOOL* pbPresent) {
    LONG lResult = KeyOpenResult(pszKey);
    *pbPresent = lResult == ERROR_SUCCESS;
    if (lResult == ERROR_SUCCESS || lResult == ERROR_FILE_NOT_FOUND)
        return TRUE;
    PrintKeyError("cannot open", pszKey, lResult);
    return FALSE;
}
} // namespace

int RunRemove(const HxArgs& args) {
    // Stage 1: the plan of what there is to remove.
    if (!IsAdministrator()) {
        PrintError("you must be an administrator to remove Halcyonix" HX_RUN_ELEVATED);
        return kExitRefused;
    }
    RemovalState state = {};
    BYTE* pbList = nullptr;
    state.dwListType = REG_MULTI_SZ;
    LONG lError = ReadWholeList(&pbList, &state.cbList, &state.dwListType);
    if (lError != ERROR_SUCCESS) {
        PrintKeyError("cannot read List of", HX_KEY_GROUP_ORDER, lError);
        return kExitRefused;
    }
    state.pbList = pbList;
    BOOL bLookedUp =
        LookUp(HX_KEY_SERVICE, &state.bService) && LookUp(HX_KEY_EVENT_SOURCE, &state.bEventSource);
    CRegPlan plan;
    if (bLookedUp)
        PlanRemoval(state, &plan);
    delete[] pbList;
    if (!bLookedUp)
        return kExitRefused;

    // The pool size is left; resetting it is advised only where a reset changes it.
    DWORD dwPoolSize = 0;
    BOOL bPool = ReadDword(HX_KEY_MEMORY_MANAGEMENT, "NonPagedPoolSize", &dwPoolSize);
    CText summary;
    if (!bPool)
        summary.AddLine("NonPagedPoolSize: missing, left so");
    else if (dwPoolSize == 0)
        summary.AddLine("NonPagedPoolSize: 0, the system's default");
    else
        summary.Add("NonPagedPoolSize: ")
            .AddDword(dwPoolSize)
            .AddLine(", left as it is; \"hxcfg pool default\" resets it to the system's default.");
    if (plan.Count() == 0)
        summary.AddLine("Nothing to remove: Halcyonix is not configured here.");
    int nExit = DeliverUnapplied(args, summary, plan);
    if (nExit >= 0)
        return nExit;

    // Stage 2.
    return ApplyPlan(summary, &plan);
}
