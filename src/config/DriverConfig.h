// CDriverConfig: the one in-memory image of the driver's registry state, and the operations
// that prepare the system keys, read the installed configuration and write it back.
#pragma once

#include <windows.h>

#include "drives/DriveEntry.h"

class CDriverConfig {
public:
    CDriverConfig();

    BOOL PrepareSystem();
    BOOL ReadInstalledConfig();
    BOOL WriteConfig(BOOL bSkipPoolSize);
    BOOL ReadDwordValue(HKEY hKey, const char* pszName, DWORD* pdwField);

    // The user's choice of a drive from the candidate list: the driver starts at the next boot
    // and builds that disk.
    void ConfigureDrive(const DriveEntry& entry);
    // After the pool size changed: a RAM disk larger than the new budget shrinks to it. TRUE
    // when it did.
    BOOL FitRamDiskToBudget(DWORD dwUsableMemory);

    // Keys, each open only inside the operation that uses it.
    HKEY hMemoryKey;
    HKEY hEventSourceKey;
    HKEY hGroupOrderKey;
    HKEY hServiceKey;
    HKEY hParametersKey;

    // What the driver reads at the next boot.
    DWORD Start;            // 4 = disabled, 0 = started by the boot loader
    DWORD Drive;            // hard disk number of the mirrored partition; 0 for the RAM disk
    DWORD Partition;        // partition number; 0 for the RAM disk
    DWORD DiskSize;         // RAM disk size in bytes; 0 when a partition is mirrored
    DWORD NonPagedPoolSize; // 0 = the system chooses
    DWORD BreakOnEntry;
    DWORD DebugLevel;
    char DosDevice[8]; // drive letter and colon

    // A dry run of the writing operations: every value is reported as written and none reaches
    // the registry, and a key to be created is only named. Reads are real.
    BOOL bPlanOnly;

    // Working fields of the registry operations; meaningless between operations.
    DWORD cbString;
    DWORD cbValue;
    DWORD dwValueType;
    DWORD dwDisposition;
    BOOL bAllRead;
    LONG lLastError;
    LONG lOpenStatus;

private:
    BOOL PrepareServiceGroupOrder();
    BOOL RegisterEventSource();

    // Each registry step keeps its result code in lLastError and reports success.
    BOOL OpenKey(const char* pszPath, HKEY* phKey);
    BOOL CreateKey(const char* pszPath, const char* pszClass, HKEY* phKey);
    BOOL SetValue(HKEY hKey, const char* pszName, DWORD dwType, const void* pData, DWORD cbData);
    BOOL SetDword(HKEY hKey, const char* pszName, DWORD dwValue);
    // The path of one of the record's open keys.
    const char* PathOf(HKEY hKey) const;
    // Closes an open key and forgets its handle; a key only named in a dry run has none.
    static void CloseKey(HKEY* phKey);
    // The configuration store's own error: a box in the dialog program.
    static void ShowErrorBox(const char* pszText);
};

// The run's one record: set by start-up before the main dialog runs, read by both dialogs.
extern CDriverConfig* g_pDriverConfig;
