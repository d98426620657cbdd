// hxcfg remove: the driver's service key with its Parameters, its event log source, and its
// group in the service group order. The pool size stays: the system may have been tuned for it.
#include "app/IsAdministrator.h"
#include "config/RegistryLayout.h"
#include "config/ServiceGroupList.h"
#include "hxcfg/Commands.h"
#include "hxcfg/Console.h"
#include "hxcfg/Registry.h"

namespace {
int Failed(const char* pszWhat, const char* pszKey, LONG lError) {
    CText reason;
    reason.Add(pszWhat).Add(" HKEY_LOCAL_MACHINE\\").Add(pszKey).Add(" (error ");
    reason.AddDword(static_cast<DWORD>(lError)).AddChar(')');
    PrintError(reason.Get());
    return kExitWriteFailed;
}

// Whether the key is there to delete; FALSE, after the line that says so, when that cannot be
// told: a key that merely failed to open must not be taken for one already gone.
BOOL LookUp(const char* pszKey, BOOL* pbPresent) {
    LONG lResult = KeyOpenResult(pszKey);
    *pbPresent = lResult == ERROR_SUCCESS;
    if (lResult == ERROR_SUCCESS || lResult == ERROR_FILE_NOT_FOUND)
        return TRUE;
    Failed("cannot open", pszKey, lResult);
    return FALSE;
}

// Deletes a key with everything below it, its subkeys first (the system adds some of its own
// below a service key, such as Enum), and records every key deleted; the result code.
LONG DeleteTree(const char* pszKey, int nDepth, CRegText* pWritten) {
    const int kDeepest = 8;
    HKEY hKey = NULL;
    LONG lError = RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, KEY_ENUMERATE_SUB_KEYS, &hKey);
    // At most as many rounds as a key can have subkeys, should one refuse to go.
    for (int nRound = 0; lError == ERROR_SUCCESS && nRound < 4096; ++nRound) {
        char szName[256];
        DWORD cchName = sizeof szName;
        lError = RegEnumKeyExA(hKey, 0, szName, &cchName, nullptr, nullptr, nullptr, nullptr);
        if (lError == ERROR_NO_MORE_ITEMS) {
            lError = ERROR_SUCCESS;
            break;
        }
        if (lError != ERROR_SUCCESS)
            break;
        CText child;
        child.Add(pszKey).AddChar('\\').Add(szName);
        lError =
            nDepth < kDeepest ? DeleteTree(child.Get(), nDepth + 1, pWritten) : ERROR_ACCESS_DENIED;
    }
    if (hKey != NULL)
        RegCloseKey(hKey);
    if (lError == ERROR_SUCCESS)
        lError = RegDeleteKeyA(HKEY_LOCAL_MACHINE, pszKey);
    if (lError == ERROR_SUCCESS)
        pWritten->DeleteKey(pszKey);
    return lError;
}

int DeleteKey(const char* pszKey, CRegText* pWritten) {
    LONG lError = DeleteTree(pszKey, 0, pWritten);
    return lError == ERROR_SUCCESS ? kExitDone : Failed("cannot delete", pszKey, lError);
}

int WriteList(const BYTE* pbList, DWORD cbList, CRegText* pWritten) {
    HKEY hKey = NULL;
    LONG lError = RegOpenKeyExA(HKEY_LOCAL_MACHINE, HX_KEY_GROUP_ORDER, 0, KEY_ALL_ACCESS, &hKey);
    if (lError != ERROR_SUCCESS)
        return Failed("cannot open", HX_KEY_GROUP_ORDER, lError);
    lError = RegSetValueExA(hKey, "List", 0, REG_MULTI_SZ, pbList, cbList);
    RegCloseKey(hKey);
    if (lError != ERROR_SUCCESS)
        return Failed("cannot write List of", HX_KEY_GROUP_ORDER, lError);
    pWritten->SetValue(HX_KEY_GROUP_ORDER, "List", REG_MULTI_SZ, pbList, cbList);
    return kExitDone;
}
} // namespace

int RunRemove(const HxArgs& args) {
    // Stage 1: what there is to remove.
    if (!IsAdministrator()) {
        PrintError("you must be an administrator to remove Halcyonix" HX_RUN_ELEVATED);
        return kExitRefused;
    }
    GroupList list;
    ReadGroupList(&list);
    if (!list.bRead) {
        PrintError("the service group order cannot be read");
        return kExitRefused;
    }
    BYTE abNew[sizeof list.ab + 1];
    DWORD cbNew = 0;
    BOOL bListed = RemoveGroup(list.ab, list.cb, abNew, sizeof abNew, &cbNew);
    BOOL bService = FALSE, bEventSource = FALSE;
    if (!LookUp(HX_KEY_SERVICE, &bService) || !LookUp(HX_KEY_EVENT_SOURCE, &bEventSource))
        return kExitRefused;
    DWORD dwPoolSize = 0;
    BOOL bPool = ReadDword(HX_KEY_MEMORY_MANAGEMENT, "NonPagedPoolSize", &dwPoolSize);

    // Deleting a key deletes what is below it: its Parameters too.
    CRegText change;
    if (bService)
        change.DeleteKey(HX_KEY_SERVICE);
    if (bEventSource)
        change.DeleteKey(HX_KEY_EVENT_SOURCE);
    if (bListed)
        change.SetValue(HX_KEY_GROUP_ORDER, "List", REG_MULTI_SZ, abNew, cbNew);
    int nExit = DeliverUnapplied(args, change);
    if (nExit >= 0)
        return nExit;

    // Stage 2.
    CRegText written;
    nExit = kExitDone;
    if (nExit == kExitDone && bService)
        nExit = DeleteKey(HX_KEY_SERVICE, &written);
    if (nExit == kExitDone && bEventSource)
        nExit = DeleteKey(HX_KEY_EVENT_SOURCE, &written);
    if (nExit == kExitDone && bListed)
        nExit = WriteList(abNew, cbNew, &written);
    if (nExit == kExitDone && change.Empty()) {
        CText out;
        out.AddLine("Nothing to remove: Halcyonix is not configured here.");
        PrintOut(out);
    } else {
        // Done, the change is what was written; else each key as it went.
        PrintWritten(nExit == kExitDone ? change : written, nExit == kExitDone);
    }

    CText out;
    if (bPool)
        out.Add("NonPagedPoolSize: ").AddDword(dwPoolSize).AddLine(", left as it is");
    else
        out.AddLine("NonPagedPoolSize: missing");
    out.AddLine("\"hxcfg pool default\" resets it to the system's default.");
    PrintOut(out);
    return nExit;
}
