// The checks that both programs make before a change, in their order: the rights, the system's
// preparation, the installed configuration and the memory budget. Each program says in its own
// words why a check stopped the change.
#pragma once

#include <windows.h>

#include "config/DriverConfig.h"
#include "report/Report.h"

enum StartResult {
    kStartReady,
    kStartNotAdministrator,
    kStartStopped, // a program's own check or the preparation stopped it, and said why
    kStartTooLittleMemory,
};

// How much of the system is prepared.
enum StartPreparation {
    kPrepareNow,      // made and applied at once
    kPreparePlanned,  // planned only, into the plan the change is added to
    kPreparePoolOnly, // nothing: only the pool size is read, and the installed record is not
};

class CChangeStart {
public:
    CChangeStart() : memStatus(), dwTotalPhys(0), dwBudget(0), m_how(kPrepareNow) {}
    virtual ~CChangeStart() = default;

    // Runs the checks on the record; pPlan is used when preparation is planned.
    StartResult Run(StartPreparation how, CDriverConfig* pConfig, CRegPlan* pPlan, IReport& report);

    // How much was prepared, once a program's own checks had their say.
    StartPreparation How() const { return m_how; }
    // What the budget's check read, however it ended.
    MEMORYSTATUS memStatus;
    DWORD dwTotalPhys;
    DWORD dwBudget;

protected:
    // A program's own checks, between the rights and the preparation, which may ask for less
    // to be prepared. FALSE, after saying why, stops the change.
    virtual BOOL CheckBeforePreparation(StartPreparation*) { return TRUE; }

private:
    StartPreparation m_how;
};
