// hxcfg's side of the store's and the drive list's reporting: one stderr line per failure,
// counted, so that a command can tell whether a failure was already reported.
#pragma once

#include "config/Report.h"

class CConsoleReport final : public IReport {
public:
    // Reports through this object until it is destroyed.
    CConsoleReport() : m_pPrevious(g_pReport), m_nReported(0) { g_pReport = this; }
    ~CConsoleReport() { g_pReport = m_pPrevious; }
    CConsoleReport(const CConsoleReport&) = delete;
    CConsoleReport& operator=(const CConsoleReport&) = delete;

    void Report(ReportKind kind, const char* pszText) override;

    int Reported() const { return m_nReported; }

private:
    IReport* m_pPrevious;
    int m_nReported;
};

// The console program's reporting outside a run of HxcfgMain: stderr lines.
IReport& ConsoleDefaultReport();
