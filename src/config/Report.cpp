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
