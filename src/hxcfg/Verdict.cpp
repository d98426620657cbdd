// The verdict on whether the driver builds its disk at the next start. It reads the values as the
// system and the driver do, types included: the dialog's own reading takes any 4 bytes for a
// number and never looks at Type or Group, so it cannot be the judge of them.
#include <string.h>

#include "budget/MemoryBudget.h"
#include "config/RegistryLayout.h"
#include "config/ValueModel.h"
#include "hxcfg/Commands.h"
#include "hxcfg/Console.h"
#include "hxcfg/DriverImage.h"
#include "hxcfg/Installed.h"
#include "hxcfg/MirrorDrive.h"

namespace {
// What the verdict found: reasons the disk will not be built, and notes where it will be built,
// but not as HxSetup sets it up. One a line each; what weighs nothing is dropped.
struct Findings {
    CText reasons;
    CText notes;
    CText dropped;

    CText& Add(ValueWeight weight) {
        dropped.Clear();
        return weight == kWeightReason ? reasons.Add("  ")
               : weight == kWeightNote ? notes.Add("  ")
                                       : dropped;
    }
    CText& Reason() { return Add(kWeightReason); }
    // "Name is ", to be followed by what is wrong with the value.
    CText& AddValue(ValueWeight weight, const char* pszName) {
        return Add(weight).Add(pszName).Add(" is ");
    }
};

// What cannot be read cannot be judged: it weighs as the worst its value could.
ValueWeight Unjudged(const ValueRule& rule) {
    return rule.missing > rule.malformed ? rule.missing : rule.malformed;
}

void AddCannotJudge(CText& line, const char* pszWhat, LONG lError) {
    line.Add(pszWhat).Add(" cannot be read, so it cannot be judged: ").AddError(lError);
    line.AddChar('\n');
}

// A key whose absence weighs as given, named "no KEY" when it is not there: TRUE when it opened.
BOOL CheckKey(Findings* pFindings, ValueWeight weight, LONG lOpen, const char* pszKey) {
    if (lOpen == ERROR_FILE_NOT_FOUND)
        pFindings->Add(weight).Add("no ").AddLine(pszKey);
    else if (lOpen != ERROR_SUCCESS)
        AddCannotJudge(pFindings->Add(weight).Add("the "), pszKey, lOpen);
    return lOpen == ERROR_SUCCESS;
}

void AddWrongType(Findings* pFindings, const ValueRule& rule, DWORD dwType) {
    CText& line = pFindings->AddValue(rule.malformed, rule.pszName).Add("stored as ");
    AddTypeName(&line, dwType).Add(", not ");
    AddTypeName(&line, rule.dwType).AddChar('\n');
}

// TRUE when the value is there and of a type its readers take (a path may be either kind of
// string); a number of 4 bytes, or a text read whole of the form pfnForm accepts (without one,
// any path), described by pszForm. Else the finding that says why not. A number is judged further:
// within the range its readers accept, and HxSetup's own value.
BOOL CheckValue(Findings* pFindings, const Installed& s, const char* pszName,
                BOOL (*pfnForm)(const char*) = nullptr, const char* pszForm = "a path") {
    const ValueRule& rule = *FindValueRule(pszName);
    const ShownValue& v = s.Value(pszName);
    if (!v.Present() && v.lResult == ERROR_FILE_NOT_FOUND) {
        pFindings->AddValue(rule.missing, pszName).AddLine("missing");
        return FALSE;
    }
    if (!v.Present()) {
        AddCannotJudge(pFindings->Add(Unjudged(rule)), pszName, v.lResult);
        return FALSE;
    }
    if (v.dwType != rule.dwType && !(rule.dwType == REG_EXPAND_SZ && v.dwType == REG_SZ)) {
        AddWrongType(pFindings, rule, v.dwType);
        return FALSE;
    }
    if (rule.dwType == REG_DWORD && v.cb != 4) {
        pFindings->AddValue(rule.malformed, pszName).AddDword(v.cb).AddLine(" bytes long, not 4");
        return FALSE;
    }
    if (rule.dwType == REG_DWORD) {
        DWORD dw = v.Dword();
        ValueWeight weight = dw < rule.dwLow || dw > rule.dwHigh ? rule.malformed
                             : dw != rule.dwWritten              ? rule.differs
                                                                 : kWeightNone;
        CText& line = pFindings->AddValue(weight, pszName).AddDword(dw);
        line.Add(", not ").AddDword(rule.dwWritten).AddChar('\n');
        return TRUE;
    }
    const char* psz = v.Text();
    if (v.Whole() && (pfnForm == nullptr || pfnForm(psz)))
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

// Where the system looks for the driver's image, and whether it is there.
void JudgeImage(const Installed& s, Findings* pFindings) {
    const ShownValue& v = s.Value("ImagePath");
    if (v.Present() && !CheckValue(pFindings, s, "ImagePath"))
        return;
    DriverImage image;
    FindDriverImage(v.Present() ? v.Text() : nullptr, &image);
    if (image.state == kImageThere)
        return;
    if (image.state == kImageOtherForm) {
        CText& line = pFindings->Add(kWeightNote).Add("ImagePath ").AddQuoted(image.szPath);
        line.AddLine(" names a device path that hxcfg cannot look into: the driver's image is not "
                     "checked");
        return;
    }
    CText& line = pFindings->Reason().Add("the driver's image ");
    if (image.szPath[0] != '\0')
        line.Add(image.szPath).AddChar(' ');
    if (image.state == kImageMissing) {
        line.AddLine("does not exist");
        return;
    }
    line.Add("cannot be looked for, so it cannot be judged: ").AddError(image.lError).AddChar('\n');
}

void JudgeService(const Installed& s, Findings* pFindings) {
    if (!CheckKey(pFindings, kWeightReason, s.lService, "service key"))
        return;
    CheckValue(pFindings, s, "ErrorControl");
    CheckValue(pFindings, s, "Start");
    CheckValue(pFindings, s, "Type");
    CheckValue(pFindings, s, "Group", IsGroupName, "\"" HX_GROUP_NAME "\"");
    JudgeImage(s, pFindings);
}

// The group order and the event log source decide when the driver loads and whether its events
// can be read: never whether it loads.
void JudgeSystemKeys(const Installed& s, Findings* pFindings) {
    const ValueRule& list = *FindValueRule("List");
    if (s.lList != ERROR_SUCCESS) {
        AddCannotJudge(pFindings->Add(Unjudged(list)), "the service group order", s.lList);
    } else if (s.dwListType != list.dwType && s.dwListType != REG_NONE) {
        AddWrongType(pFindings, list, s.dwListType);
    } else {
        if (s.place == kGroupMissing)
            pFindings->Add(list.missing)
                .AddLine("\"" HX_GROUP_NAME "\" is missing from the service group order");
        else if (s.place == kGroupAfterFilter)
            pFindings->Add(list.differs)
                .AddLine("\"" HX_GROUP_NAME "\" is placed after \"" HX_GROUP_BEFORE
                         "\" in the service group order");
        if (s.cbList > HX_GROUP_LIST_AREA) {
            CText& line = pFindings->Add(list.differs).Add("the service group order is unusually ");
            line.Add("long: ").AddDword(s.cbList).Add(" bytes, more than the ");
            line.AddDword(HX_GROUP_LIST_AREA).AddLine(" that HxSetup reads");
        }
    }
    // The event log source: a key whose presence is what is read.
    const ValueRule* pSource = kValueRules;
    while (pSource->pszName != nullptr || strcmp(pSource->pszKey, HX_KEY_EVENT_SOURCE) != 0)
        ++pSource;
    CheckKey(pFindings, pSource->missing, s.lEventSource, "event log source");
}

void JudgeParameters(Installed* pInstalled, Findings* pFindings) {
    const Installed& s = *pInstalled;
    if (!CheckKey(pFindings, kWeightReason, s.lParameters, "Parameters key"))
        return;
    BOOL bDosDevice =
        CheckValue(pFindings, s, "DosDevice", IsDriveName, "a drive letter and a colon");
    BOOL bDrive = CheckValue(pFindings, s, "Drive");
    BOOL bPartition = CheckValue(pFindings, s, "Partition");
    BOOL bDiskSize = CheckValue(pFindings, s, "DiskSize");
    DWORD dwDrive = s.Value("Drive").Dword();
    DWORD dwPartition = s.Value("Partition").Dword();
    DWORD dwSize = s.Value("DiskSize").Dword();
    if (!bPartition)
        return;
    // The dialog writes partition 0 for the RAM disk only: partitions count from 1.
    if (dwPartition == 0 && bDiskSize && (dwSize < kMiB || (s.bMemory && dwSize > s.dwBudget))) {
        CText& line = pFindings->AddValue(kWeightReason, "DiskSize").AddDword(dwSize);
        if (dwSize < kMiB)
            line.Add(", less than the smallest RAM disk of ").AddDword(kMiB);
        else
            line.Add(", more than the budget of ").AddDword(s.dwBudget);
        line.AddLine(" bytes");
    } else if (dwPartition != 0 && bDosDevice && bDrive && s.bMemory) {
        // The drive the configuration mirrors, judged as the dialog would list it.
        DriveEntry entry;
        CText reason;
        if (!CheckMirrorDrive(UpperChar(s.Value("DosDevice").Text()[0]), pInstalled->Drives(),
                              s.dwBudget, TRUE, &entry, &reason)) {
            pFindings->Reason().Add(reason).AddChar('\n');
        } else if (entry.dwDiskNumber != dwDrive || entry.dwPartitionNumber != dwPartition) {
            CText& line = pFindings->Reason().Add("drive ").Add(entry.szDriveName);
            line.Add(" is disk ").AddDword(entry.dwDiskNumber).Add(" partition ");
            line.AddDword(entry.dwPartitionNumber).Add(", not Drive ").AddDword(dwDrive);
            line.Add(" Partition ").AddDword(dwPartition).AddChar('\n');
        }
    }
}
} // namespace

int PrintVerdictOf(Installed* pInstalled) {
    Findings findings;
    if (!pInstalled->bMemory)
        findings.Reason().Add("less than ").AddDword(kMinTotalPhys).AddLine(" bytes of memory");
    JudgeService(*pInstalled, &findings);
    JudgeSystemKeys(*pInstalled, &findings);
    JudgeParameters(pInstalled, &findings);

    CText out;
    if (findings.reasons.Length() == 0) {
        out.AddLine("Verdict: the disk will be built at the next start");
    } else {
        out.AddLine("Verdict: the disk will not be built at the next start, because:");
        out.Add(findings.reasons);
    }
    if (findings.notes.Length() != 0)
        out.AddLine("Notes (not as HxSetup sets it up):").Add(findings.notes);
    PrintOut(out);
    return findings.reasons.Length() == 0 ? kExitDone : kExitNotBuilt;
}
