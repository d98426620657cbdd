#include "hxcfg/ConsoleReport.h"

#include "hxcfg/Console.h"

void CConsoleReport::Report(ReportKind, const char* pszText) {
    PrintError(pszText);
    ++m_nReported;
}

void CConsoleReport::Written(const char* pszKey, const char* pszName, DWORD dwType,
                             const BYTE* pbData, DWORD cbData) {
    m_written.SetValue(pszKey, pszName, dwType, pbData, cbData);
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
