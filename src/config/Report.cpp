#include "config/Report.h"

IReport* g_pReport = nullptr;

namespace {
IReport& Active() {
    return g_pReport != nullptr ? *g_pReport : DefaultReport();
}
} // namespace

void ReportFailure(ReportKind kind, const char* pszText) {
    Active().Report(kind, pszText);
}

void ReportWritten(const char* pszKey, const char* pszName, DWORD dwType, const BYTE* pbData,
                   DWORD cbData) {
    Active().Written(pszKey, pszName, dwType, pbData, cbData);
}
