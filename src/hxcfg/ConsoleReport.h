// hxcfg's side of the store's and the drive list's reporting: one stderr line per failure,
// counted, so that a command can tell whether a failure was already reported.
#pragma once

#include "report/Report.h"

class CConsoleReport final : public IReport {
public:
    CConsoleReport() : m_nReported(0) {}
    CConsoleReport(const CConsoleReport&) = delete;
    CConsoleReport& operator=(const CConsoleReport&) = delete;

    void Report(ReportKind kind, const char* pszText) override;

    int Reported() const { return m_nReported; }

private:
    int m_nReported;
};
