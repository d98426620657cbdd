#include "ui/BoxReport.h"

#include "config/RegistryLayout.h"
#include "platform/MessageBoxes.h"

namespace {
class CBoxReport final : public IReport {
public:
    void Report(ReportKind kind, const char* pszText) override {
        switch (kind) {
        case kReportStoreError:
            OwnerlessMessageBox(pszText, HX_CAPTION_NOT_CONFIGURED, MB_ICONERROR | MB_OK);
            break;
        case kReportStoreWarning:
        case kReportListTooLong:
            AfxMessageBox(pszText);
            break;
        case kReportDriveList:
            AfxMessageBox(pszText, MB_ICONERROR);
            break;
        }
    }
};

CBoxReport g_boxReport;
} // namespace

IReport& BoxReport() {
    return g_boxReport;
}
