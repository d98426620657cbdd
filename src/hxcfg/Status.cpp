// hxcfg status: the installed configuration, the figures the dialog would show, and the verdict
// on whether the driver builds its disk at the next start.
#include <string.h>

#include "budget/MemoryBudget.h"
#include "config/RegistryLayout.h"
#include "config/ServiceGroupList.h"
#include "drives/DriveEntry.h"
#include "hxcfg/Commands.h"
#include "hxcfg/Console.h"
#include "hxcfg/Registry.h"

namespace {

// One value as read for display: its bytes, type and whether it was there.
struct ShownValue {
    BYTE ab[64];
    DWORD cb = 0;
    DWORD dwType = REG_NONE;
    BOOL bPresent = FALSE;
    BOOL IsDword() const { return bPresent && cb == 4; }
    DWORD Dword() const {
        return ab[0] | ab[1] << 8 | ab[2] << 16 | static_cast<DWORD>(ab[3]) << 24;
    }
    // The text up to its NUL or its end; "" when absent.
    void Text(char* psz, DWORD cch) const {
        DWORD n = 0;
        for (; bPresent && n < cb && n + 1 < cch && ab[n] != 0; ++n)
            psz[n] = static_cast<char>(ab[n]);
        psz[n] = '\0';
    }
};

void ShowValue(CText* pOut, const char* pszName, const ShownValue& v) {
    pOut->Add("  ").Add(pszName).Add(": ");
    if (!v.bPresent) {
        pOut->AddLine("missing");
    } else if (v.dwType == REG_DWORD && v.cb == 4) {
        pOut->AddDword(v.Dword()).AddChar('\n');
    } else if (v.dwType == REG_SZ || v.dwType == REG_EXPAND_SZ) {
        char sz[sizeof v.ab];
        v.Text(sz, sizeof sz);
        if (sz[0] == '\0')
            pOut->AddLine("(empty)");
        else
            pOut->AddQuoted(sz).AddChar('\n');
    } else {
        pOut->Add("(type ").AddDword(v.dwType).Add(", ").AddDword(v.cb).AddLine(" bytes)");
    }
}

// Reads the named values of one key through one handle, and shows them; FALSE when the key
// is not there to read.
BOOL ShowKey(CText* pOut, const char* pszKey, const char* const* ppszNames, int nNames,
             ShownValue* pValues) {
    HKEY hKey = NULL;
    BOOL bOpen = RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, KEY_READ, &hKey) == ERROR_SUCCESS;
    pOut->Add("HKEY_LOCAL_MACHINE\\").Add(pszKey).AddLine(bOpen ? "" : ": missing");
    for (int i = 0; bOpen && i < nNames; ++i) {
        ShownValue& v = pValues[i];
        v.cb = sizeof v.ab - 1;
        v.bPresent =
            RegQueryValueExA(hKey, ppszNames[i], nullptr, &v.dwType, v.ab, &v.cb) == ERROR_SUCCESS;
        ShowValue(pOut, ppszNames[i], v);
    }
    if (bOpen)
        RegCloseKey(hKey);
    return bOpen;
}

// Bytes and the dialog's megabytes.
void ShowBytes(CText* pOut, const char* pszLabel, DWORD dw) {
    pOut->Add(pszLabel)
        .AddDword(dw)
        .Add(" bytes (")
        .AddDword(dw / kDisplayMegabyte)
        .AddLine(" MB)");
}

class CReasons {
public:
    CReasons() : m_n(0) {}
    CText& Add() {
        ++m_n;
        return m_text.Add("  ");
    }
    int Count() const { return m_n; }
    const CText& Text() const { return m_text; }

private:
    CText m_text;
    int m_n;
};

// The drive the configuration mirrors, judged as the dialog would list it.
void JudgeMirror(char cLetter, DWORD dwDrive, DWORD dwPartition, const DriveEntry* pDrives,
                 BOOL bListBuilt, CReasons* pReasons) {
    char szRoot[4] = {cLetter, ':', '\\', '\0'};
    char szName[3] = {cLetter, ':', '\0'};
    UINT nType = GetDriveTypeA(szRoot);
    if (nType == DRIVE_NO_ROOT_DIR || nType == DRIVE_UNKNOWN) {
        pReasons->Add().Add("drive ").Add(szName).AddLine(" no longer exists");
        return;
    }
    if (nType != DRIVE_FIXED) {
        pReasons->Add().Add("drive ").Add(szName).AddLine(" is not a fixed drive");
        return;
    }
    if (!bListBuilt) {
        pReasons->Add().AddLine("the drive list could not be built");
        return;
    }
    for (const DriveEntry* p = pDrives; p != nullptr; p = p->pNext) {
        if (!p->bHardDisk || strcmp(p->szDriveName, szName) != 0)
            continue;
        if (p->dwDiskNumber != dwDrive || p->dwPartitionNumber != dwPartition)
            pReasons->Add()
                .Add("drive ")
                .Add(szName)
                .Add(" is disk ")
                .AddDword(p->dwDiskNumber)
                .Add(" partition ")
                .AddDword(p->dwPartitionNumber)
                .Add(", not Drive ")
                .AddDword(dwDrive)
                .Add(" Partition ")
                .AddDword(dwPartition)
                .AddChar('\n');
        return;
    }
    pReasons->Add().Add("drive ").Add(szName).AddLine(" no longer fits the budget");
}
} // namespace

namespace {
// Everything status reads, and the verdict on it; with bFigures, what was read is shown before the
// verdict.
int Examine(BOOL bFigures) {
    CText out;
    CReasons reasons;

    // In the order the dialog writes them; the verdict reads some of them by these places.
    enum { kStart = 1, kGroup = 3 };
    enum { kDrive = 2, kPartition = 3, kDiskSize = 4, kDosDevice = 5 };
    static const char* const kServiceValues[] = {"ErrorControl", "Start", "Type", "Group"};
    static const char* const kParameterValues[] = {"BreakOnEntry", "DebugLevel", "Drive",
                                                   "Partition",    "DiskSize",   "DosDevice"};
    ShownValue service[4], parameters[6];
    BOOL bService = ShowKey(&out, HX_KEY_SERVICE, kServiceValues, 4, service);
    BOOL bParameters = ShowKey(&out, HX_KEY_PARAMETERS, kParameterValues, 6, parameters);

    GroupList list;
    ReadGroupList(&list);
    GroupPlace place = list.bRead ? FindGroup(list.ab, list.cb) : kGroupMissing;
    static const char* const kPlaces[] = {"Halcyonix missing", "Halcyonix listed",
                                          "Halcyonix after filter"};
    out.Add("Service group order: ").AddLine(list.bRead ? kPlaces[place] : "cannot be read");
    BOOL bEventSource = KeyPresent(HX_KEY_EVENT_SOURCE);
    out.Add("Event log source: ").AddLine(bEventSource ? "registered" : "missing");

    // The figures as the dialog computes them at its start.
    DWORD dwTotalPhys = TotalPhys();
    DWORD dwPoolSize = 0;
    BOOL bPool = ReadDword(HX_KEY_MEMORY_MANAGEMENT, "NonPagedPoolSize", &dwPoolSize);
    DWORD dwBudget = 0;
    BOOL bMemory = CalcStartupUsableMemory(dwTotalPhys, dwPoolSize, &dwBudget);
    out.Add("Pool size: ");
    if (!bPool)
        out.Add("missing, ");
    out.AddDword(dwPoolSize)
        .Add(" bytes (")
        .AddDword(CalcPoolPercent(dwTotalPhys, dwPoolSize, CalcMinPoolPercent(dwTotalPhys)))
        .AddLine(" %)");
    ShowBytes(&out, "Total memory: ", dwTotalPhys);

    DriveEntry* pDrives = nullptr;
    if (bMemory) {
        ShowBytes(&out, "Usable budget: ", dwBudget);
        pDrives = BuildCandidateDrives(dwBudget);
        out.AddLine(pDrives != nullptr ? "Drives:" : "Drives: the list could not be built");
        for (const DriveEntry* p = pDrives; p != nullptr; p = p->pNext) {
            out.Add("  ").Add(p->szDriveName).AddChar(' ');
            out.AddDword(static_cast<DWORD>(p->llSize)).Add(" bytes, ").Add(p->szFileSystem);
            if (p->bRamDisk)
                out.AddLine(", RAM disk");
            else
                out.Add(", disk ")
                    .AddDword(p->dwDiskNumber)
                    .Add(" partition ")
                    .AddDword(p->dwPartitionNumber)
                    .AddChar('\n');
        }
    } else {
        out.AddLine("Usable budget: none, less than 16000000 bytes of memory");
        reasons.Add().AddLine("less than 16000000 bytes of memory");
    }

    // The verdict: every reason the driver would not build the configured disk.
    const ShownValue& start = service[kStart];
    const ShownValue& group = service[kGroup];
    if (!bService) {
        reasons.Add().AddLine("no service key");
    } else {
        if (!start.IsDword())
            reasons.Add().AddLine("Start is missing");
        else if (start.Dword() != 0)
            reasons.Add().Add("Start is ").AddDword(start.Dword()).AddLine(", not 0");
        char szGroup[sizeof group.ab];
        group.Text(szGroup, sizeof szGroup);
        if (strcmp(szGroup, HX_GROUP_NAME) != 0)
            reasons.Add().AddLine("Group is not \"Halcyonix\"");
    }
    if (!list.bRead)
        reasons.Add().AddLine("the service group order cannot be read");
    else if (place == kGroupMissing)
        reasons.Add().AddLine("\"Halcyonix\" is missing from the service group order");
    else if (place == kGroupAfterFilter)
        reasons.Add().AddLine(
            "\"Halcyonix\" is placed after \"filter\" in the service group order");
    if (!bEventSource)
        reasons.Add().AddLine("no event log source");

    if (!bParameters) {
        reasons.Add().AddLine("no Parameters key");
    } else {
        char szDosDevice[sizeof parameters[kDosDevice].ab];
        parameters[kDosDevice].Text(szDosDevice, sizeof szDosDevice);
        if (szDosDevice[0] == '\0')
            reasons.Add().AddLine("DosDevice is empty");
        const ShownValue& drive = parameters[kDrive];
        const ShownValue& partition = parameters[kPartition];
        const ShownValue& diskSize = parameters[kDiskSize];
        for (int i = kDrive; i <= kDiskSize; ++i)
            if (!parameters[i].IsDword())
                reasons.Add().Add(kParameterValues[i]).AddLine(" is missing");
        // The dialog writes partition 0 for the RAM disk only: partitions count from 1.
        BOOL bRamDisk = partition.IsDword() && partition.Dword() == 0;
        if (bRamDisk && diskSize.IsDword() && diskSize.Dword() == 0)
            reasons.Add().AddLine("the RAM disk's size is 0");
        else if (bRamDisk && diskSize.IsDword() && bMemory && diskSize.Dword() > dwBudget)
            reasons.Add()
                .Add("the RAM disk's size, ")
                .AddDword(diskSize.Dword())
                .Add(" bytes, is larger than the budget of ")
                .AddDword(dwBudget)
                .AddLine(" bytes");
        else if (!bRamDisk && szDosDevice[0] != '\0' && drive.IsDword() && partition.IsDword() &&
                 bMemory)
            JudgeMirror(szDosDevice[0], drive.Dword(), partition.Dword(), pDrives,
                        pDrives != nullptr, &reasons);
    }
    FreeDriveList(pDrives);

    if (!bFigures)
        out.Clear();
    if (reasons.Count() == 0) {
        out.AddLine("Verdict: the disk will be built at the next start");
    } else {
        out.AddLine("Verdict: the disk will not be built at the next start, because:");
        out.Add(reasons.Text());
    }
    PrintOut(out);
    return reasons.Count() == 0 ? kExitDone : kExitNotBuilt;
}
} // namespace

int PrintVerdict() {
    return Examine(FALSE);
}

int RunStatus() {
    return Examine(TRUE);
}
