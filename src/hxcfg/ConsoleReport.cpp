#include "hxcfg/ConsoleReport.h"

#include "config/RegistryLayout.h"
#include "hxcfg/Console.h"

void CConsoleReport::Report(ReportKind kind, const char* pszText) {
    // The dialog's words say a write failed; none was made, in a dry run or a real one.
    if (kind == kReportListTooLong)
        pszText = "the service group order would pass 1024 bytes with \"" HX_GROUP_NAME
                  "\" inserted before \"" HX_GROUP_BEFORE "\"; nothing written";
    PrintError(pszText);
    ++m_nReported;
}
