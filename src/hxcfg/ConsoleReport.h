// hxcfg's side of the store's and the drive list's reporting: one stderr line per failure, and a
// record of every value the store wrote, so that a failed run can list what it left behind.
#pragma once

#include "config/Report.h"
#include "hxcfg/RegText.h"

class CConsoleReport final : public IReport {
public:
    // Reports through this object until it is destroyed.
    CConsoleReport() : m_pPrevious(g_pReport), m_nReported(0) { g_pReport = this; }
    ~CConsoleReport() { g_pReport = m_pPrevious; }
    CConsoleReport(const CConsoleReport&) = delete;
    CConsoleReport& operator=(const CConsoleReport&) = delete;

    void Report(ReportKind kind, const char* pszText) override;
    void Written(const char* pszKey, const char* pszName, DWORD dwType, const BYTE* pbData,
                 DWORD cbData) override;

    int Reported() const { return m_nReported; }
    CRegText& WrittenText() { return m_written; }

private:
    IReport* m_pPrevious;
    int m_nReported;
    CRegText m_written;
};

// The console program's reporting outside a run of HxcfgMain: stderr lines.
IReport& ConsoleDefaultReport();
