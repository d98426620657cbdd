// hxcfg status: the installed configuration, the figures the dialog would show, and the verdict
// on whether the driver builds its disk at the next start. The verdict reads the values as the
// system and the driver do, types included: the dialog's own reading takes any 4 bytes for a
// number and never looks at Type or Group, so it cannot be the judge of them.
#include <string.h>

#include "budget/MemoryBudget.h"
#include "config/RegistryLayout.h"
#include "config/ServiceGroupList.h"
#include "config/ValueModel.h"
#include "drives/DriveEntry.h"
#include "hxcfg/Commands.h"
#include "hxcfg/Console.h"
#include "hxcfg/DriverImage.h"
#include "hxcfg/MirrorDevice.h"
#include "hxcfg/Registry.h"

namespace {
// One value as read: its type and length also when it is longer than the bytes kept (a path,
// up to two of the longest; any other value, 63).
struct ShownValue {
    BYTE ab[2 * MAX_PATH];
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

// "missing" only for what is not there: anything else that failed is said with its error.
void AddUnread(CText* pOut, LONG lResult) {
    if (lResult == ERROR_FILE_NOT_FOUND)
        pOut->Add("missing");
    else
        pOut->Add("cannot be read: ").AddError(lResult);
}

void ShowValue(CText* pOut, const ValueRule& rule, const ShownValue& v) {
    pOut->Add("  ").Add(rule.pszName).Add(": ");
    char sz[sizeof v.ab];
    v.Text(sz);
    if (!v.Present() && v.lResult == ERROR_FILE_NOT_FOUND && rule.dwType == REG_EXPAND_SZ) {
        pOut->AddLine("none, the system's own place");
    } else if (!v.Present()) {
        AddUnread(pOut, v.lResult);
        pOut->AddChar('\n');
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

// Reads every value the model lists in the key through one handle; the result of opening it.
LONG ReadKey(const char* pszKey, ShownValue* pValues) {
    HKEY hKey = NULL;
    LONG lOpen = RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, KEY_READ, &hKey);
    if (lOpen != ERROR_SUCCESS)
        return lOpen;
    for (int i = 0; i < kValueRuleCount; ++i) {
        const ValueRule& rule = kValueRules[i];
        if (strcmp(rule.pszKey, pszKey) != 0 || rule.pszName == nullptr)
            continue;
        ShownValue& v = pValues[i];
        v.cb = rule.dwType == REG_EXPAND_SZ ? sizeof v.ab - 1 : 63;
        v.lResult = RegQueryValueExA(hKey, rule.pszName, nullptr, &v.dwType, v.ab, &v.cb);
    }
    RegCloseKey(hKey);
    return lOpen;
}

void ShowKey(CText* pOut, const char* pszKey, LONG lOpen, const ShownValue* pValues) {
    pOut->Add("HKEY_LOCAL_MACHINE\\").Add(pszKey);
    if (lOpen != ERROR_SUCCESS) {
        pOut->Add(": ");
        AddUnread(pOut, lOpen);
        pOut->AddChar('\n');
        return;
    }
    pOut->AddChar('\n');
    for (int i = 0; i < kValueRuleCount; ++i)
        if (strcmp(kValueRules[i].pszKey, pszKey) == 0 && kValueRules[i].pszName != nullptr)
            ShowValue(pOut, kValueRules[i], pValues[i]);
}

// Bytes and the dialog's megabytes.
void ShowBytes(CText* pOut, const char* pszLabel, DWORD dw) {
    pOut->Add(pszLabel)
        .AddDword(dw)
        .Add(" bytes (")
        .AddDword(dw / kDisplayMegabyte)
        .AddLine(" MB)");
}

// The row of a value in the model, and so its place among the values read.
int Row(const char* pszName) {
    return static_cast<int>(FindValueRule(pszName) - kValueRules);
}

// Everything status shows and the verdict judges, read once.
struct Installed {
    ShownValue* values; // by the model's rows
    LONG lService;
    LONG lParameters;
    LONG lEventSource;
    BYTE* pbList = nullptr;
    DWORD cbList = 0;
    DWORD dwListType = REG_NONE;
    LONG lList;
    GroupPlace place;
    DWORD dwTotalPhys;
    DWORD dwPoolSize = 0;
    LONG lPool;
    DWORD dwBudget = 0;
    BOOL bMemory;

    Installed() : values(new ShownValue[kValueRuleCount]) {
        lService = ReadKey(HX_KEY_SERVICE, values);
        lParameters = ReadKey(HX_KEY_PARAMETERS, values);
        lList = ReadWholeList(&pbList, &cbList, &dwListType);
        place = FindGroup(pbList, cbList);
        lEventSource = KeyOpenResult(HX_KEY_EVENT_SOURCE);
        // The figures as the dialog computes them at its start.
        dwTotalPhys = TotalPhys();
        DWORD cb = sizeof dwPoolSize;
        lPool = ReadValue(HX_KEY_MEMORY_MANAGEMENT, "NonPagedPoolSize", nullptr,
                          reinterpret_cast<BYTE*>(&dwPoolSize), &cb);
        if (lPool != ERROR_SUCCESS)
            dwPoolSize = 0;
        bMemory = CalcStartupUsableMemory(dwTotalPhys, dwPoolSize, &dwBudget);
    }
    ~Installed() {
        FreeDriveList(m_pDrives);
        delete[] pbList;
        delete[] values;
    }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;

    const ShownValue& Value(const char* pszName) const { return values[Row(pszName)]; }

    // The dialog's drive list for the budget, built when first asked for; nullptr when there is
    // no budget or the list could not be built (the failure has been reported).
    const DriveEntry* Drives() {
        if (!m_bDrivesBuilt && bMemory)
            m_pDrives = BuildCandidateDrives(dwBudget, m_report);
        m_bDrivesBuilt = TRUE;
        return m_pDrives;
    }

private:
    CConsoleReport m_report;
    DriveEntry* m_pDrives = nullptr;
    BOOL m_bDrivesBuilt = FALSE;
};

void ShowInstalled(Installed& s) {
    CText out;
    ShowKey(&out, HX_KEY_SERVICE, s.lService, s.values);
    ShowKey(&out, HX_KEY_PARAMETERS, s.lParameters, s.values);
    static const char* const kPlaces[] = {"Halcyonix missing", "Halcyonix listed",
                                          "Halcyonix after filter"};
    out.Add("Service group order: ");
    if (s.lList != ERROR_SUCCESS)
        out.Add("cannot be read: ").AddError(s.lList).AddChar('\n');
    else
        out.Add(kPlaces[s.place]).Add(", ").AddDword(s.cbList).AddLine(" bytes");
    out.Add("Event log source: ");
    if (s.lEventSource == ERROR_SUCCESS)
        out.Add("registered");
    else
        AddUnread(&out, s.lEventSource);
    out.Add("\nPool size: ");
    if (s.lPool != ERROR_SUCCESS) {
        AddUnread(&out, s.lPool);
        out.Add(", ");
    }
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

// What the verdict found: reasons the disk will not be built, and notes where it will be built,
// but not as HxSetup sets it up. One a line each.
class CFindings {
public:
    CText& Add(ValueWeight weight) {
        if (weight == kWeightReason) {
            ++m_nReasons;
            return m_reasons.Add("  ");
        }
        if (weight == kWeightNote) {
            ++m_nNotes;
            return m_notes.Add("  ");
        }
        m_ignored.Clear();
        return m_ignored;
    }
    CText& Reason() { return Add(kWeightReason); }
    CText& Note() { return Add(kWeightNote); }
    // "Name is ", to be followed by what is wrong with the value.
    CText& AddValue(ValueWeight weight, const char* pszName) {
        return Add(weight).Add(pszName).Add(" is ");
    }
    int Reasons() const { return m_nReasons; }
    int Notes() const { return m_nNotes; }
    const CText& ReasonText() const { return m_reasons; }
    const CText& NoteText() const { return m_notes; }

private:
    CText m_reasons;
    CText m_notes;
    CText m_ignored;
    int m_nReasons = 0;
    int m_nNotes = 0;
};

// What cannot be read cannot be judged: it weighs as the worst its value could.
ValueWeight Unjudged(const ValueRule& rule) {
    return rule.missing > rule.malformed ? rule.missing : rule.malformed;
}

void AddCannotJudge(CText& line, const char* pszWhat, LONG lError) {
    line.Add(pszWhat)
        .Add(" cannot be read, so it cannot be judged: ")
        .AddError(lError)
        .AddChar('\n');
}

// TRUE when the value is there, of a type its readers take (a path may be either kind of
// string), and of 4 bytes for a number; else the finding that says why not.
BOOL CheckForm(CFindings* pFindings, const ValueRule& rule, const ShownValue& v) {
    if (!v.Present()) {
        if (v.lResult == ERROR_FILE_NOT_FOUND)
            pFindings->AddValue(rule.missing, rule.pszName).AddLine("missing");
        else
            AddCannotJudge(pFindings->Add(Unjudged(rule)), rule.pszName, v.lResult);
        return FALSE;
    }
    if (v.dwType != rule.dwType && !(rule.dwType == REG_EXPAND_SZ && v.dwType == REG_SZ)) {
        CText& line = pFindings->AddValue(rule.malformed, rule.pszName).Add("stored as ");
        AddTypeName(&line, v.dwType);
        line.Add(", not ");
        AddTypeName(&line, rule.dwType);
        line.AddChar('\n');
        return FALSE;
    }
    if (rule.dwType != REG_DWORD || v.cb == 4)
        return TRUE;
    pFindings->AddValue(rule.malformed, rule.pszName).AddDword(v.cb).AddLine(" bytes long, not 4");
    return FALSE;
}

// A number: within the range its readers accept, and HxSetup's own value.
BOOL CheckDword(CFindings* pFindings, const char* pszName, const ShownValue& v) {
    const ValueRule& rule = *FindValueRule(pszName);
    if (!CheckForm(pFindings, rule, v))
        return FALSE;
    DWORD dw = v.Dword();
    ValueWeight weight = dw < rule.dwLow || dw > rule.dwHigh ? rule.malformed
                         : dw != rule.dwWritten              ? rule.differs
                                                             : kWeightNone;
    if (weight != kWeightNone)
        pFindings->AddValue(weight, pszName)
            .AddDword(dw)
            .Add(", not ")
            .AddDword(rule.dwWritten)
            .AddChar('\n');
    return TRUE;
}

// A text whose form pfnForm accepts, described by pszForm; the text goes to psz (sizeof v.ab
// bytes).
BOOL CheckText(CFindings* pFindings, const char* pszName, const ShownValue& v,
               BOOL (*pfnForm)(const char*), const char* pszForm, char* psz) {
    const ValueRule& rule = *FindValueRule(pszName);
    v.Text(psz);
    if (!CheckForm(pFindings, rule, v))
        return FALSE;
    if (v.Whole() && pfnForm(psz))
        return TRUE;
    CText& line = pFindings->AddValue(rule.malformed, pszName);
    if (!v.Whole())
        line.AddDword(v.cb).Add(" bytes long");
    else if (psz[0] == '\0')
        line.Add("empty");
    else
        line.AddQuoted(psz);
    line.Add(", not ").AddLine(pszForm);
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
                 CFindings* pReasons) {
    char szRoot[4] = {cLetter, ':', '\\', '\0'};
    char szName[3] = {cLetter, ':', '\0'};
    UINT nType = GetDriveTypeA(szRoot);
    if (nType == DRIVE_NO_ROOT_DIR || nType == DRIVE_UNKNOWN) {
        pReasons->Reason().Add("drive ").Add(szName).AddLine(" no longer exists");
        return;
    }
    if (nType != DRIVE_FIXED) {
        pReasons->Reason().Add("drive ").Add(szName).AddLine(" is not a fixed drive");
        return;
    }
    const DriveEntry* pDrives = pInstalled->Drives();
    if (pDrives == nullptr) {
        pReasons->Reason().AddLine("the drive list could not be built");
        return;
    }
    for (const DriveEntry* p = pDrives; p != nullptr; p = p->pNext) {
        if (!p->bHardDisk || strcmp(p->szDriveName, szName) != 0)
            continue;
        CText reason;
        if (!CheckMirrorDevice(*p, &reason))
            pReasons->Reason().Add(reason).AddChar('\n');
        else if (p->dwDiskNumber != dwDrive || p->dwPartitionNumber != dwPartition)
            pReasons->Reason()
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
    pReasons->Reason().Add("drive ").Add(szName).AddLine(" no longer fits the budget");
}

BOOL IsAnyText(const char*) {
    return TRUE;
}

// Where the system looks for the driver's image, and whether it is there.
void JudgeImage(const Installed& s, CFindings* pFindings) {
    char szImagePath[sizeof s.values->ab];
    const ShownValue& v = s.Value("ImagePath");
    BOOL bSet = v.Present();
    if (bSet && !CheckText(pFindings, "ImagePath", v, IsAnyText, "a path", szImagePath))
        return;
    DriverImage image;
    FindDriverImage(bSet ? szImagePath : nullptr, &image);
    if (image.state == kImageThere)
        return;
    if (image.state == kImageOtherForm) {
        pFindings->Note()
            .Add("ImagePath ")
            .AddQuoted(image.szPath)
            .AddLine(" names a device path that hxcfg cannot look into: the driver's image is not "
                     "checked");
        return;
    }
    CText& line = pFindings->Reason().Add("the driver's image ");
    if (image.szPath[0] != '\0')
        line.Add(image.szPath).AddChar(' ');
    if (image.state == kImageMissing)
        line.AddLine("does not exist");
    else
        line.Add("cannot be looked for, so it cannot be judged: ")
            .AddError(image.lError)
            .AddChar('\n');
}

void JudgeService(const Installed& s, CFindings* pFindings) {
    if (s.lService == ERROR_FILE_NOT_FOUND) {
        pFindings->Reason().AddLine("no service key");
        return;
    }
    if (s.lService != ERROR_SUCCESS) {
        AddCannotJudge(pFindings->Reason(), "the service key", s.lService);
        return;
    }
    CheckDword(pFindings, "ErrorControl", s.Value("ErrorControl"));
    CheckDword(pFindings, "Start", s.Value("Start"));
    CheckDword(pFindings, "Type", s.Value("Type"));
    char szGroup[sizeof s.values->ab];
    CheckText(pFindings, "Group", s.Value("Group"), IsGroupName, "\"" HX_GROUP_NAME "\"", szGroup);
    JudgeImage(s, pFindings);
}

// The group order and the event log source decide when the driver loads and whether its events
// can be read: never whether it loads.
void JudgeSystemKeys(const Installed& s, CFindings* pFindings) {
    const ValueRule& list = *FindValueRule("List");
    if (s.lList != ERROR_SUCCESS) {
        AddCannotJudge(pFindings->Add(Unjudged(list)), "the service group order", s.lList);
    } else if (s.dwListType != REG_MULTI_SZ && s.dwListType != REG_NONE) {
        CText& line = pFindings->AddValue(list.malformed, "List").Add("stored as ");
        AddTypeName(&line, s.dwListType);
        line.AddLine(", not REG_MULTI_SZ");
    } else {
        if (s.place == kGroupMissing)
            pFindings->Add(list.missing)
                .AddLine("\"Halcyonix\" is missing from the service group order");
        else if (s.place == kGroupAfterFilter)
            pFindings->Add(list.differs)
                .AddLine("\"Halcyonix\" is placed after \"filter\" in the service group order");
        if (s.cbList > HX_GROUP_LIST_AREA)
            pFindings->Add(list.differs)
                .Add("the service group order is unusually long: ")
                .AddDword(s.cbList)
                .AddLine(" bytes, more than the 1024 that HxSetup reads");
    }
    for (int i = 0; i < kValueRuleCount; ++i) {
        const ValueRule& rule = kValueRules[i];
        if (rule.pszName != nullptr || strcmp(rule.pszKey, HX_KEY_EVENT_SOURCE) != 0)
            continue;
        if (s.lEventSource == ERROR_FILE_NOT_FOUND)
            pFindings->Add(rule.missing).AddLine("no event log source");
        else if (s.lEventSource != ERROR_SUCCESS)
            AddCannotJudge(pFindings->Add(rule.missing), "the event log source", s.lEventSource);
    }
}
void JudgeParameters(Installed* pInstalled, CFindings* pFindings) {
    const Installed& s = *pInstalled;
    if (s.lParameters != ERROR_SUCCESS) {
        if (s.lParameters == ERROR_FILE_NOT_FOUND)
            pFindings->Reason().AddLine("no Parameters key");
        else
            AddCannotJudge(pFindings->Reason(), "the Parameters key", s.lParameters);
        return;
    }
    char szDosDevice[sizeof s.values->ab];
    BOOL bDosDevice = CheckText(pFindings, "DosDevice", s.Value("DosDevice"), IsDriveName,
                                "a drive letter and a colon", szDosDevice);
    BOOL bDrive = CheckDword(pFindings, "Drive", s.Value("Drive"));
    BOOL bPartition = CheckDword(pFindings, "Partition", s.Value("Partition"));
    BOOL bDiskSize = CheckDword(pFindings, "DiskSize", s.Value("DiskSize"));
    if (!bPartition)
        return;
    // The dialog writes partition 0 for the RAM disk only: partitions count from 1.
    if (s.Value("Partition").Dword() == 0) {
        DWORD dwSize = s.Value("DiskSize").Dword();
        if (bDiskSize && dwSize < kMiB)
            pFindings->AddValue(kWeightReason, "DiskSize")
                .AddDword(dwSize)
                .AddLine(", less than the smallest RAM disk of 1048576 bytes");
        else if (bDiskSize && s.bMemory && dwSize > s.dwBudget)
            pFindings->AddValue(kWeightReason, "DiskSize")
                .AddDword(dwSize)
                .Add(", more than the budget of ")
                .AddDword(s.dwBudget)
                .AddLine(" bytes");
    } else if (bDosDevice && bDrive && s.bMemory) {
        JudgeMirror(UpperChar(szDosDevice[0]), s.Value("Drive").Dword(),
                    s.Value("Partition").Dword(), pInstalled, pFindings);
    }
}

// Every reason the driver would not build the configured disk, and every note, printed.
int PrintVerdictOf(Installed* pInstalled) {
    Installed& s = *pInstalled;
    CFindings findings;
    if (!s.bMemory)
        findings.Reason().AddLine("less than 16000000 bytes of memory");
    JudgeService(s, &findings);
    JudgeSystemKeys(s, &findings);
    JudgeParameters(&s, &findings);

    CText out;
    if (findings.Reasons() == 0) {
        out.AddLine("Verdict: the disk will be built at the next start");
    } else {
        out.AddLine("Verdict: the disk will not be built at the next start, because:");
        out.Add(findings.ReasonText());
    }
    if (findings.Notes() != 0) {
        out.AddLine("Notes (not as HxSetup sets it up):");
        out.Add(findings.NoteText());
    }
    PrintOut(out);
    return findings.Reasons() == 0 ? kExitDone : kExitNotBuilt;
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
