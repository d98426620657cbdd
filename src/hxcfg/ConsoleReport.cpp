#include "hxcfg/ConsoleReport.h"

#include "hxcfg/Console.h"

void CConsoleReport::Report(ReportKind, const char* pszText) {
    PrintError(pszText);
    ++m_nReported;
}

namespace {
class CStderrReport final : public IReport {
public:
    void Report(ReportKind, const char* pszText) override { PrintError(pszText); }
};
CStderrReport g_stderrReport;
} // namespace

IReport& ConsoleDefaultReport() {
    return g_stderrReport;
}
