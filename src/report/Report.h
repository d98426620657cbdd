// How the configuration store and the drive list tell the user why an operation failed. The
// dialog program shows message boxes; the console companion prints one line on stderr. Each
// operation that can fail is handed the program's sink.
#pragma once

#include <windows.h>

enum ReportKind {
    kReportStoreError,   // the store's own error: it cannot go on
    kReportStoreWarning, // the store's lighter notice, in the application's own box
    // The driver's group would not fit the service group order's area, so the list was left
    // alone. The dialog shows it as a warning, in the store's words for a failed write.
    kReportListTooLong,
    kReportDriveList, // the candidate drive list could not be built
};

class IReport {
public:
    virtual void Report(ReportKind kind, const char* pszText) = 0;

protected:
    ~IReport() = default;
};
