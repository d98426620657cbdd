// How the configuration store and the drive list tell the user why an operation failed. The
// dialog program shows message boxes; the console companion prints one line on stderr.
#pragma once

#include <windows.h>

enum ReportKind {
    kReportStoreError,   // the store's own error: it cannot go on
    kReportStoreWarning, // the store's lighter notice, in the application's own box
    kReportDriveList,    // the candidate drive list could not be built
};

class IReport {
public:
    virtual void Report(ReportKind kind, const char* pszText) = 0;

protected:
    ~IReport() = default;
};

// Each program links its own; the store and the drive list use it unless g_pReport is set.
IReport& DefaultReport();

// Set by a program that reports in its own way for a while; null: DefaultReport().
extern IReport* g_pReport;

void ReportFailure(ReportKind kind, const char* pszText);
