#include "hxcfg/ConsoleReport.h"

#include "config/DriverConfig.h"
#include "config/RegistryLayout.h"
#include "hxcfg/Console.h"

void CConsoleReport::Report(ReportKind, const char* pszText) {
    // The dialog's words say a write failed; none was made, in a dry run or a real one.
    if (pszText == g_szListTooLong)
        pszText = "the service group order would pass 1024 bytes with \"" HX_GROUP_NAME
                  "\" inserted before \"" HX_GROUP_BEFORE "\"; nothing written";
    PrintError(pszText);
    ++m_nReported;
}
