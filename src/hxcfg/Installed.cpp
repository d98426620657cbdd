// hxcfg status: the installed configuration and the figures the dialog would show, read once,
// listed, and then judged by the verdict.
#include "hxcfg/Installed.h"

#include <string.h>

#include "budget/MemoryBudget.h"
#include "config/RegistryLayout.h"
#include "config/ValueModel.h"
#include "hxcfg/Commands.h"
#include "hxcfg/Console.h"
#include "hxcfg/Registry.h"

namespace {
// Reads every value the model lists in the key through one handle; the result of opening it.
LONG ReadKey(const char* pszKey, ShownValue* pValues) {
    HKEY hKey = NULL;
    LONG lOpen = RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, KEY_READ, &hKey);
    for (int i = 0; lOpen == ERROR_SUCCESS && i < kValueRuleCount; ++i) {
        const ValueRule& rule = kValueRules[i];
        if (strcmp(rule.pszKey, pszKey) != 0 || rule.pszName == nullptr)
            continue;
        ShownValue& v = pValues[i];
        v.cb = rule.dwType == REG_EXPAND_SZ ? sizeof v.ab - 1 : 63;
        v.lResult = RegQueryValueExA(hKey, rule.pszName, nullptr, &v.dwType, v.ab, &v.cb);
        if (v.Whole())
            v.ab[v.cb] = 0;
    }
    if (lOpen == ERROR_SUCCESS)
        RegCloseKey(hKey);
    return lOpen;
}

void ShowValue(CText* pOut, const ValueRule& rule, const ShownValue& v) {
    pOut->Add("  ").Add(rule.pszName).Add(": ");
    if (!v.Present() && v.lResult == ERROR_FILE_NOT_FOUND && rule.dwType == REG_EXPAND_SZ)
        pOut->Add("none, the system's own place");
    else if (!v.Present())
        AddUnread(pOut, v.lResult);
    else if (v.dwType == REG_DWORD && v.cb == 4)
        pOut->AddDword(v.Dword());
    else if ((v.dwType == REG_SZ || v.dwType == REG_EXPAND_SZ) && v.Whole())
        v.Text()[0] == '\0' ? pOut->Add("(empty)") : pOut->AddQuoted(v.Text());
    else
        AddTypeName(&pOut->AddChar('('), v.dwType).Add(", ").AddDword(v.cb).Add(" bytes)");
    pOut->AddChar('\n');
}

void ShowKey(CText* pOut, const char* pszKey, LONG lOpen, const Installed& s) {
    pOut->Add("HKEY_LOCAL_MACHINE\\").Add(pszKey);
    if (lOpen != ERROR_SUCCESS) {
        AddUnread(&pOut->Add(": "), lOpen).AddChar('\n');
        return;
    }
    pOut->AddChar('\n');
    for (int i = 0; i < kValueRuleCount; ++i)
        if (strcmp(kValueRules[i].pszKey, pszKey) == 0 && kValueRules[i].pszName != nullptr)
            ShowValue(pOut, kValueRules[i], s.Value(kValueRules[i].pszName));
}

// Bytes and the dialog's megabytes.
void ShowBytes(CText* pOut, const char* pszLabel, DWORD dw) {
    pOut->Add(pszLabel).AddDword(dw).Add(" bytes (");
    pOut->AddDword(dw / kDisplayMegabyte).AddLine(" MB)");
}

void ShowInstalled(Installed& s) {
    CText out;
    ShowKey(&out, HX_KEY_SERVICE, s.lService, s);
    ShowKey(&out, HX_KEY_PARAMETERS, s.lParameters, s);
    static const char* const kPlaces[] = {HX_GROUP_NAME " missing", HX_GROUP_NAME " listed",
                                          HX_GROUP_NAME " after " HX_GROUP_BEFORE};
    out.Add("Service group order: ");
    if (s.lList != ERROR_SUCCESS)
        out.Add("cannot be read: ").AddError(s.lList).AddChar('\n');
    else
        out.Add(kPlaces[s.place]).Add(", ").AddDword(s.cbList).AddLine(" bytes");
    out.Add("Event log source: ");
    s.lEventSource == ERROR_SUCCESS ? out.Add("registered") : AddUnread(&out, s.lEventSource);
    out.Add("\nPool size: ");
    if (s.lPool != ERROR_SUCCESS)
        AddUnread(&out, s.lPool).Add(", ");
    int nPercent = CalcPoolPercent(s.dwTotalPhys, s.dwPoolSize, CalcMinPoolPercent(s.dwTotalPhys));
    out.AddDword(s.dwPoolSize).Add(" bytes (").AddDword(nPercent).AddLine(" %)");
    ShowBytes(&out, "Total memory: ", s.dwTotalPhys);
    if (!s.bMemory) {
        out.Add("Usable budget: none, less than ").AddDword(kMinTotalPhys);
        PrintOut(out.AddLine(" bytes of memory"));
        return;
    }
    ShowBytes(&out, "Usable budget: ", s.dwBudget);
    const DriveEntry* pDrives = s.Drives();
    out.AddLine(pDrives != nullptr ? "Drives:" : "Drives: the list could not be built");
    for (const DriveEntry* p = pDrives; p != nullptr; p = p->pNext) {
        out.Add("  ").Add(p->szDriveName).AddChar(' ');
        out.AddDword(static_cast<DWORD>(p->llSize)).Add(" bytes, ").Add(p->szFileSystem);
        if (p->bRamDisk) {
            out.AddLine(", RAM disk");
        } else {
            out.Add(", disk ").AddDword(p->dwDiskNumber).Add(" partition ");
            out.AddDword(p->dwPartitionNumber).AddChar('\n');
        }
    }
    PrintOut(out);
}
} // namespace

Installed::Installed() : m_pValues(new ShownValue[kValueRuleCount]) {
    lService = ReadKey(HX_KEY_SERVICE, m_pValues);
    lParameters = ReadKey(HX_KEY_PARAMETERS, m_pValues);
    lList = ReadWholeList(&pbList, &cbList, &dwListType);
    place = FindGroup(pbList, cbList);
    lEventSource = KeyOpenResult(HX_KEY_EVENT_SOURCE);
    dwTotalPhys = TotalPhys();
    DWORD cb = sizeof dwPoolSize;
    lPool = ReadValue(HX_KEY_MEMORY_MANAGEMENT, "NonPagedPoolSize", nullptr,
                      reinterpret_cast<BYTE*>(&dwPoolSize), &cb);
    if (lPool != ERROR_SUCCESS)
        dwPoolSize = 0;
    bMemory = CalcStartupUsableMemory(dwTotalPhys, dwPoolSize, &dwBudget);
}

Installed::~Installed() {
    FreeDriveList(m_pDrives);
    delete[] pbList;
    delete[] m_pValues;
}

const ShownValue& Installed::Value(const char* pszName) const {
    return m_pValues[FindValueRule(pszName) - kValueRules];
}

const DriveEntry* Installed::Drives() {
    if (!m_bDrivesBuilt && bMemory)
        m_pDrives = BuildCandidateDrives(dwBudget, m_report);
    m_bDrivesBuilt = TRUE;
    return m_pDrives;
}

CText& AddTypeName(CText* pOut, DWORD dwType) {
    // Types 0 to 11 by their number, each name ended by its NUL.
    const char* psz =
        "REG_NONE\0REG_SZ\0REG_EXPAND_SZ\0REG_BINARY\0REG_DWORD\0REG_DWORD_BIG_ENDIAN\0"
        "REG_LINK\0REG_MULTI_SZ\0REG_RESOURCE_LIST\0REG_FULL_RESOURCE_DESCRIPTOR\0"
        "REG_RESOURCE_REQUIREMENTS_LIST\0REG_QWORD";
    if (dwType > 11)
        return pOut->Add("type ").AddDword(dwType);
    for (DWORD i = 0; i < dwType; ++i)
        psz += strlen(psz) + 1;
    return pOut->Add(psz);
}

CText& AddUnread(CText* pOut, LONG lResult) {
    if (lResult == ERROR_FILE_NOT_FOUND)
        return pOut->Add("missing");
    return pOut->Add("cannot be read: ").AddError(lResult);
}

int RunStatus() {
    Installed installed;
    ShowInstalled(installed);
    return PrintVerdictOf(&installed);
}

int PrintVerdict() {
    Installed installed;
    return PrintVerdictOf(&installed);
}
