// hxcfg status: the installed configuration, the figures the dialog would show, and the verdict
// on whether the driver builds its disk at the next start. The verdict reads the values as the
// system and the driver do, types included: the dialog's own reading takes any 4 bytes for a
// number and never looks at Type or Group, so it cannot be the judge of them.
#include <string.h>

#include "budget/MemoryBudget.h"
#include "config/RegistryLayout.h"
#include "config/ServiceGroupList.h"
#include "drives/DriveEntry.h"
#include "hxcfg/Commands.h"
#include "hxcfg/Console.h"
#include "hxcfg/MirrorDevice.h"
#include "hxcfg/Registry.h"

namespace {
// One value as read: its type and length also when it is longer than the bytes kept.
struct ShownValue {
    BYTE ab[64];
    DWORD cb = 0;
    DWORD dwType = REG_NONE;
    LONG lResult = ERROR_FILE_NOT_FOUND;
    BOOL Present() const { return lResult == ERROR_SUCCESS || lResult == ERROR_MORE_DATA; }
    BOOL Whole() const { return lResult == ERROR_SUCCESS; }
    DWORD Dword() const {
        return ab[0] | ab[1] << 8 | ab[2] << 16 | static_cast<DWORD>(ab[3]) << 24;
    }
    // The text up to its NUL or its end, into sizeof ab bytes; "" unless read whole.
    void Text(char* psz) const {
        DWORD n = 0;
        for (; Whole() && n < cb && ab[n] != 0; ++n)
            psz[n] = static_cast<char>(ab[n]);
        psz[n] = '\0';
    }
};

void AddTypeName(CText* pOut, DWORD dwType) {
    static const char* const kNames[] = {"REG_NONE",
                                         "REG_SZ",
                                         "REG_EXPAND_SZ",
                                         "REG_BINARY",
                                         "REG_DWORD",
                                         "REG_DWORD_BIG_ENDIAN",
                                         "REG_LINK",
                                         "REG_MULTI_SZ",
                                         "REG_RESOURCE_LIST",
                                         "REG_FULL_RESOURCE_DESCRIPTOR",
                                         "REG_RESOURCE_REQUIREMENTS_LIST",
                                         "REG_QWORD"};
    if (dwType < sizeof kNames / sizeof kNames[0])
        pOut->Add(kNames[dwType]);
    else
        pOut->Add("type ").AddDword(dwType);
}

void ShowValue(CText* pOut, const char* pszName, const ShownValue& v) {
    pOut->Add("  ").Add(pszName).Add(": ");
    char sz[sizeof v.ab];
    v.Text(sz);
    if (!v.Present()) {
        pOut->AddLine(v.lResult == ERROR_FILE_NOT_FOUND ? "missing" : "cannot be read");
    } else if (v.dwType == REG_DWORD && v.cb == 4) {
        pOut->AddDword(v.Dword()).AddChar('\n');
    } else if ((v.dwType == REG_SZ || v.dwType == REG_EXPAND_SZ) && v.Whole()) {
        if (sz[0] == '\0')
            pOut->AddLine("(empty)");
        else
            pOut->AddQuoted(sz).AddChar('\n');
    } else {
        pOut->AddChar('(');
        AddTypeName(pOut, v.dwType);
        pOut->Add(", ").AddDword(v.cb).AddLine(" bytes)");
    }
}

// Reads the named values of one key through one handle; FALSE when the key is not there to read.
BOOL ReadKey(const char* pszKey, const char* const* ppszNames, int nNames, ShownValue* pValues) {
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;
    for (int i = 0; i < nNames; ++i) {
        ShownValue& v = pValues[i];
        v.cb = sizeof v.ab - 1;
        v.lResult = RegQueryValueExA(hKey, ppszNames[i], nullptr, &v.dwType, v.ab, &v.cb);
    }
    RegCloseKey(hKey);
    return TRUE;
}

void ShowKey(CText* pOut, const char* pszKey, BOOL bOpen, const char* const* ppszNames, int nNames,
             const ShownValue* pValues) {
    pOut->Add("HKEY_LOCAL_MACHINE\\").Add(pszKey).AddLine(bOpen ? "" : ": missing");
    for (int i = 0; bOpen && i < nNames; ++i)
        ShowValue(pOut, ppszNames[i], pValues[i]);
}

// Bytes and the dialog's megabytes.
void ShowBytes(CText* pOut, const char* pszLabel, DWORD dw) {
    pOut->Add(pszLabel)
        .AddDword(dw)
        .Add(" bytes (")
        .AddDword(dw / kDisplayMegabyte)
        .AddLine(" MB)");
}

// In the order the dialog writes them; the verdict reads some of them by these places.
enum { kErrorControl, kStart, kType, kGroup, kServiceValues };
enum { kBreakOnEntry, kDebugLevel, kDrive, kPartition, kDiskSize, kDosDevice, kParameterValues };
const char* const kServiceNames[kServiceValues] = {"ErrorControl", "Start", "Type", "Group"};
const char* const kParameterNames[kParameterValues] = {"BreakOnEntry", "DebugLevel", "Drive",
                                                       "Partition",    "DiskSize",   "DosDevice"};

// Everything status shows and the verdict judges, read once.
struct Installed {
    ShownValue service[kServiceValues];
    ShownValue parameters[kParameterValues];
    BOOL bService;
    BOOL bParameters;
    GroupList list;
    GroupPlace place;
    BOOL bEventSource;
    DWORD dwTotalPhys;
    DWORD dwPoolSize = 0;
    BOOL bPool;
    DWORD dwBudget = 0;
    BOOL bMemory;

    Installed() {
        bService = ReadKey(HX_KEY_SERVICE, kServiceNames, kServiceValues, service);
        bParameters = ReadKey(HX_KEY_PARAMETERS, kParameterNames, kParameterValues, parameters);
        ReadGroupList(&list);
        place = list.bRead ? FindGroup(list.ab, list.cb) : kGroupMissing;
        bEventSource = KeyPresent(HX_KEY_EVENT_SOURCE);
        // The figures as the dialog computes them at its start.
        dwTotalPhys = TotalPhys();
        bPool = ReadDword(HX_KEY_MEMORY_MANAGEMENT, "NonPagedPoolSize", &dwPoolSize);
        bMemory = CalcStartupUsableMemory(dwTotalPhys, dwPoolSize, &dwBudget);
    }
    ~Installed() { FreeDriveList(m_pDrives); }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;

    // The dialog's drive list for the budget, built when first asked for; nullptr when there is
    // no budget or the list could not be built (the failure has been reported).
    const DriveEntry* Drives() {
        if (!m_bDrivesBuilt && bMemory)
            m_pDrives = BuildCandidateDrives(dwBudget);
        m_bDrivesBuilt = TRUE;
        return m_pDrives;
    }

private:
    DriveEntry* m_pDrives = nullptr;
    BOOL m_bDrivesBuilt = FALSE;
};

void ShowInstalled(Installed& s) {
    CText out;
    ShowKey(&out, HX_KEY_SERVICE, s.bService, kServiceNames, kServiceValues, s.service);
    ShowKey(&out, HX_KEY_PARAMETERS, s.bParameters, kParameterNames, kParameterValues,
            s.parameters);
    static const char* const kPlaces[] = {"Halcyonix missing", "Halcyonix listed",
                                          "Halcyonix after filter"};
    out.Add("Service group order: ").AddLine(s.list.bRead ? kPlaces[s.place] : "cannot be read");
    out.Add("Event log source: ").AddLine(s.bEventSource ? "registered" : "missing");
    out.Add("Pool size: ");
    if (!s.bPool)
        out.Add("missing, ");
    out.AddDword(s.dwPoolSize)
        .Add(" bytes (")
        .AddDword(CalcPoolPercent(s.dwTotalPhys, s.dwPoolSize, CalcMinPoolPercent(s.dwTotalPhys)))
        .AddLine(" %)");
    ShowBytes(&out, "Total memory: ", s.dwTotalPhys);
    if (!s.bMemory) {
        out.AddLine("Usable budget: none, less than 16000000 bytes of memory");
        PrintOut(out);
        return;
    }
    ShowBytes(&out, "Usable budget: ", s.dwBudget);
    const DriveEntry* pDrives = s.Drives();
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
    PrintOut(out);
}

class CReasons {
public:
    CReasons() : m_n(0) {}
    CText& Add() {
        ++m_n;
        return m_text.Add("  ");
    }
    // "Name is ", to be followed by what is wrong with the value.
    CText& AddValue(const char* pszName) { return Add().Add(pszName).Add(" is "); }
    int Count() const { return m_n; }
    const CText& Text() const { return m_text; }

private:
    CText m_text;
    int m_n;
};

// TRUE when the value is there to judge; else the reason it is not.
BOOL CheckPresent(CReasons* pReasons, const char* pszName, const ShownValue& v) {
    if (v.Present())
        return TRUE;
    pReasons->AddValue(pszName).AddLine(v.lResult == ERROR_FILE_NOT_FOUND ? "missing"
                                                                          : "not readable");
    return FALSE;
}

BOOL CheckType(CReasons* pReasons, const char* pszName, const ShownValue& v, DWORD dwType) {
    if (!CheckPresent(pReasons, pszName, v))
        return FALSE;
    if (v.dwType == dwType)
        return TRUE;
    CText& reason = pReasons->AddValue(pszName).Add("stored as ");
    AddTypeName(&reason, v.dwType);
    reason.Add(", not ");
    AddTypeName(&reason, dwType);
    reason.AddChar('\n');
    return FALSE;
}

// A REG_DWORD of 4 bytes.
BOOL CheckDword(CReasons* pReasons, const char* pszName, const ShownValue& v) {
    if (!CheckType(pReasons, pszName, v, REG_DWORD))
        return FALSE;
    if (v.cb == 4)
        return TRUE;
    pReasons->AddValue(pszName).AddDword(v.cb).AddLine(" bytes long, not 4");
    return FALSE;
}

void CheckDwordIs(CReasons* pReasons, const char* pszName, const ShownValue& v, DWORD dwWanted) {
    if (CheckDword(pReasons, pszName, v) && v.Dword() != dwWanted)
        pReasons->AddValue(pszName).AddDword(v.Dword()).Add(", not ").AddDword(dwWanted).AddChar(
            '\n');
}

// A REG_SZ whose text has the form pfnForm accepts, described by pszForm; the text goes to psz
// (sizeof v.ab bytes).
BOOL CheckText(CReasons* pReasons, const char* pszName, const ShownValue& v,
               BOOL (*pfnForm)(const char*), const char* pszForm, char* psz) {
    v.Text(psz);
    if (!CheckType(pReasons, pszName, v, REG_SZ))
        return FALSE;
    if (v.Whole() && pfnForm(psz))
        return TRUE;
    CText& reason = pReasons->AddValue(pszName);
    if (!v.Whole())
        reason.AddDword(v.cb).Add(" bytes long");
    else if (psz[0] == '\0')
        reason.Add("empty");
    else
        reason.AddQuoted(psz);
    reason.Add(", not ").AddLine(pszForm);
    return FALSE;
}

// Service group names are compared as the system compares them, without regard to case.
BOOL IsGroupName(const char* psz) {
    return EqualNoCase(psz, HX_GROUP_NAME);
}

BOOL IsDriveName(const char* psz) {
    char c = UpperChar(psz[0]);
    return c >= 'A' && c <= 'Z' && psz[1] == ':' && psz[2] == '\0';
}

// The drive the configuration mirrors, judged as the dialog would list it.
void JudgeMirror(char cLetter, DWORD dwDrive, DWORD dwPartition, Installed* pInstalled,
                 CReasons* pReasons) {
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
    const DriveEntry* pDrives = pInstalled->Drives();
    if (pDrives == nullptr) {
        pReasons->Add().AddLine("the drive list could not be built");
        return;
    }
    for (const DriveEntry* p = pDrives; p != nullptr; p = p->pNext) {
        if (!p->bHardDisk || strcmp(p->szDriveName, szName) != 0)
            continue;
        CText reason;
        if (!CheckMirrorDevice(*p, &reason))
            pReasons->Add().Add(reason).AddChar('\n');
        else if (p->dwDiskNumber != dwDrive || p->dwPartitionNumber != dwPartition)
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

void JudgeParameters(Installed* pInstalled, CReasons* pReasons) {
    const ShownValue* pValues = pInstalled->parameters;
    char szDosDevice[sizeof pValues->ab];
    BOOL bDosDevice = CheckText(pReasons, "DosDevice", pValues[kDosDevice], IsDriveName,
                                "a drive letter and a colon", szDosDevice);
    BOOL bDrive = CheckDword(pReasons, "Drive", pValues[kDrive]);
    BOOL bPartition = CheckDword(pReasons, "Partition", pValues[kPartition]);
    BOOL bDiskSize = CheckDword(pReasons, "DiskSize", pValues[kDiskSize]);
    if (!bPartition)
        return;
    // The dialog writes partition 0 for the RAM disk only: partitions count from 1.
    if (pValues[kPartition].Dword() == 0) {
        DWORD dwSize = pValues[kDiskSize].Dword();
        if (bDiskSize && dwSize < kMiB)
            pReasons->AddValue("DiskSize")
                .AddDword(dwSize)
                .AddLine(", less than the smallest RAM disk of 1048576 bytes");
        else if (bDiskSize && pInstalled->bMemory && dwSize > pInstalled->dwBudget)
            pReasons->AddValue("DiskSize")
                .AddDword(dwSize)
                .Add(", more than the budget of ")
                .AddDword(pInstalled->dwBudget)
                .AddLine(" bytes");
    } else if (bDosDevice && bDrive && pInstalled->bMemory) {
        JudgeMirror(UpperChar(szDosDevice[0]), pValues[kDrive].Dword(), pValues[kPartition].Dword(),
                    pInstalled, pReasons);
    }
}

// Every reason the driver would not build the configured disk, printed.
int PrintVerdictOf(Installed* pInstalled) {
    Installed& s = *pInstalled;
    CReasons reasons;
    if (!s.bMemory)
        reasons.Add().AddLine("less than 16000000 bytes of memory");
    if (!s.bService) {
        reasons.Add().AddLine("no service key");
    } else {
        CheckPresent(&reasons, "ErrorControl", s.service[kErrorControl]);
        CheckDwordIs(&reasons, "Start", s.service[kStart], 0);
        CheckDwordIs(&reasons, "Type", s.service[kType], 1); // a kernel-mode driver
        char szGroup[sizeof s.service[kGroup].ab];
        CheckText(&reasons, "Group", s.service[kGroup], IsGroupName, "\"" HX_GROUP_NAME "\"",
                  szGroup);
    }
    if (!s.list.bRead)
        reasons.Add().AddLine("the service group order cannot be read");
    else if (s.place == kGroupMissing)
        reasons.Add().AddLine("\"Halcyonix\" is missing from the service group order");
    else if (s.place == kGroupAfterFilter)
        reasons.Add().AddLine(
            "\"Halcyonix\" is placed after \"filter\" in the service group order");
    if (!s.bEventSource)
        reasons.Add().AddLine("no event log source");
    if (!s.bParameters)
        reasons.Add().AddLine("no Parameters key");
    else
        JudgeParameters(&s, &reasons);

    CText out;
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
    Installed installed;
    return PrintVerdictOf(&installed);
}

int RunStatus() {
    Installed installed;
    ShowInstalled(installed);
    return PrintVerdictOf(&installed);
}
