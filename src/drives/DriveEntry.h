// One candidate drive for the memory disk: a plain record in a singly linked chain that always
// ends with the RAM-disk entry.
#pragma once

#include <windows.h>

#include "report/Report.h"

struct DriveEntry {
    LONGLONG llSize; // bytes; the budget for the RAM-disk entry
    DWORD dwSectorsPerCluster;
    DWORD dwBytesPerSector;
    DWORD dwClustersFree;
    DWORD dwClustersTotal;
    DWORD dwDiskNumber;      // n of \Device\Harddisk<n>\Partition<m>
    DWORD dwPartitionNumber; // m
    char szDeviceName[64];
    char szFileSystem[8];
    char szDriveName[4]; // letter and colon
    BOOL bHardDisk;
    BOOL bRamDisk;
    DriveEntry* pNext;
};

// The fixed drives whose whole size lies below the budget, in drive-letter order, then the
// RAM-disk entry "S:" as large as the budget; nullptr when the list could not be built (the
// failure has been reported to the sink, where it has a message) with nothing left allocated.
DriveEntry* BuildCandidateDrives(DWORD dwUsableMemory, IReport& report);

// Frees a chain entry by entry, following pNext.
void FreeDriveList(DriveEntry* pHead);

// Reads the disk and partition numbers at their fixed places in a device name of the form
// \Device\Harddisk<n>\Partition<m>; a name of another form is read at the same places.
void ReadDeviceNumbers(const char* pszDeviceName, DWORD* pdwDisk, DWORD* pdwPartition);
