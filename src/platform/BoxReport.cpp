// The dialog program reports the store's and the drive list's failures in message boxes.
#include "config/RegistryLayout.h"
#include "config/Report.h"
#include "platform/MessageBoxes.h"

namespace {
class CBoxReport : public IReport {
public:
    void Report(ReportKind kind, const char* pszText) override {
        switch (kind) {
        case kReportStoreError:
            OwnerlessMessageBox(pszText, HX_CAPTION_NOT_CONFIGURED, MB_ICONERROR | MB_OK);
            break;
        case kReportStoreWarning:
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

IReport& DefaultReport() {
    return g_boxReport;
}
