// What status reads of the installed configuration, once, for its listing and for the verdict:
// the values as the system stores them, and the figures the dialog would show.
#pragma once

#include "config/ServiceGroupList.h"
#include "drives/DriveEntry.h"
#include "hxcfg/ConsoleReport.h"
#include "hxcfg/Text.h"

// One value as read: its type and length also when it is longer than the bytes kept (a path,
// up to two of the longest; any other value, 63), and a NUL after what was read whole.
struct ShownValue {
    BYTE ab[2 * MAX_PATH] = {};
    DWORD cb = 0;
    DWORD dwType = REG_NONE;
    LONG lResult = ERROR_FILE_NOT_FOUND;
    BOOL Present() const { return lResult == ERROR_SUCCESS || lResult == ERROR_MORE_DATA; }
    BOOL Whole() const { return lResult == ERROR_SUCCESS; }
    DWORD Dword() const {
        return ab[0] | ab[1] << 8 | ab[2] << 16 | static_cast<DWORD>(ab[3]) << 24;
    }
    // The text up to its NUL or its end; "" unless read whole.
    const char* Text() const { return Whole() ? reinterpret_cast<const char*>(ab) : ""; }
};

class Installed {
public:
    Installed();
    ~Installed();
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;

    // A value the model lists in the service or the Parameters key.
    const ShownValue& Value(const char* pszName) const;
    // The dialog's drive list for the budget, built when first asked for; nullptr when there is
    // no budget or the list could not be built (the failure has been reported).
    const DriveEntry* Drives();

    LONG lService;
    LONG lParameters;
    LONG lEventSource;
    BYTE* pbList = nullptr;
    DWORD cbList = 0;
    DWORD dwListType = REG_NONE;
    LONG lList;
    GroupPlace place;
    // The figures as the dialog computes them at its start.
    DWORD dwTotalPhys;
    DWORD dwPoolSize = 0;
    LONG lPool;
    DWORD dwBudget = 0;
    BOOL bMemory;

private:
    ShownValue* m_pValues; // by the model's rows
    DriveEntry* m_pDrives = nullptr;
    BOOL m_bDrivesBuilt = FALSE;
    CConsoleReport m_report;
};

// A value type as the Win32 headers name it.
CText& AddTypeName(CText* pOut, DWORD dwType);
// "missing" only for what is not there: anything else that failed is said with its error.
CText& AddUnread(CText* pOut, LONG lResult);
// The verdict on what was read, printed: kExitDone or kExitNotBuilt.
int PrintVerdictOf(Installed* pInstalled);
