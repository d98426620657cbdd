// CDriverConfig: the one in-memory image of the driver's registry state, and the operations
// that prepare the system keys, read the installed configuration and write it back. Each writing
// operation first makes a plan of its registry steps, which is then applied.
#pragma once

#include <windows.h>

#include "config/RegistryPlan.h"
#include "drives/DriveEntry.h"

class CDriverConfig {
public:
    CDriverConfig();

    // The preparation of the system keys, made and applied. Each operation that can fail says
    // why to the sink it is handed.
    BOOL PrepareSystem(IReport& report);
    BOOL ReadInstalledConfig();
    // The record written back, planned and applied.
    BOOL WriteConfig(IReport& report);

    // Reads what preparation needs and adds its steps to the plan; FALSE, after the report that
    // says why, when the system cannot be prepared. No key stays open.
    BOOL PlanPreparation(CRegPlan* pPlan, IReport& report);
    // The record's steps: the pool size, then the driver's keys.
    void PlanWrite(CRegPlan* pPlan) const;
    // The pool size's steps only.
    void PlanPoolSize(CRegPlan* pPlan) const;
    // The pool size as the system has it, into NonPagedPoolSize; FALSE after the report.
    BOOL ReadPoolSize(IReport& report);
    BOOL ReadDwordValue(HKEY hKey, const char* pszName, DWORD* pdwField);

    // The user's choice of a drive from the candidate list: the driver starts at the next boot
    // and builds that disk.
    void ConfigureDrive(const DriveEntry& entry);
    // After the pool size changed: a RAM disk larger than the new budget shrinks to it. TRUE
    // when it did.
    BOOL FitRamDiskToBudget(DWORD dwUsableMemory);

    // Keys, each open only inside the operation that uses it.
    HKEY hMemoryKey;
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

    // Working fields of the registry operations; meaningless between operations.
    DWORD cbString;
    DWORD cbValue;
    DWORD dwValueType;
    BOOL bAllRead;
    LONG lLastError;
    LONG lOpenStatus;

private:
    // Preparation's plan; hGroupOrderKey stays open, as read, when the plan writes the list.
    BOOL PlanSystem(CRegPlan* pPlan, IReport& report);
    BOOL PlanServiceGroupOrder(CRegPlan* pPlan, IReport& report);
    // The values the model says this program writes into the key, from the record.
    void PlanValues(const char* pszKey, CRegPlan* pPlan) const;
    static void PlanEventSource(CRegPlan* pPlan);

    // Keeps its result code in lLastError and reports success.
    BOOL OpenKey(const char* pszPath, HKEY* phKey);
    // Closes an open key and forgets its handle.
    static void CloseKey(HKEY* phKey);
};

// What removal finds on the machine, read by its caller.
struct RemovalState {
    BOOL bService;      // the driver's service key is there
    BOOL bEventSource;  // its event log source is there
    const BYTE* pbList; // the service group order's List, read whole, and its type
    DWORD cbList;
    DWORD dwListType;
};
// The removal's steps: the service key and the event log source, whichever is there, and the
// list without the driver's group where it holds it. The pool size is left alone.
void PlanRemoval(const RemovalState& state, CRegPlan* pPlan);

// The run's one record: set by start-up before the main dialog runs, read by both dialogs.
extern CDriverConfig* g_pDriverConfig;
