#include <string.h>

#include "config/DriverConfig.h"

void CDriverConfig::ConfigureDrive(const DriveEntry& entry) {
    Drive = entry.dwDiskNumber;
    Partition = entry.dwPartitionNumber;
    size_t nName = strnlen(entry.szDriveName, sizeof(entry.szDriveName) - 1);
    memcpy(DosDevice, entry.szDriveName, nName);
    DosDevice[nName] = '\0';
    DiskSize = entry.bRamDisk ? static_cast<DWORD>(entry.llSize) : 0;
    Start = 0; // started by the boot loader
}

BOOL CDriverConfig::FitRamDiskToBudget(DWORD dwUsableMemory) {
    if (DiskSize <= dwUsableMemory)
        return FALSE;
    DiskSize = dwUsableMemory;
    return TRUE;
}
