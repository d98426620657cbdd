#include <new>
#include <string.h>

#include "report/Report.h"
#include "drives/DriveEntry.h"

namespace {
const DWORD kDriveStringsLength = 512;
const DWORD kFileSystemNameLength = 32;

DriveEntry* NewEntry() {
    DriveEntry* p = new (std::nothrow) DriveEntry;
    if (p != nullptr)
        memset(p, 0, sizeof *p);
    return p;
}

// Copies at most cbField - 1 characters and always terminates.
void CopyTruncated(char* pszField, size_t cbField, const char* pszText) {
    size_t n = strlen(pszText);
    if (n > cbField - 1)
        n = cbField - 1;
    memcpy(pszField, pszText, n);
    pszField[n] = '\0';
}

// Releases what was built and reports none.
DriveEntry* Fail(DriveEntry* pHead, const char* pszMessage, IReport& report) {
    FreeDriveList(pHead);
    if (pszMessage != nullptr)
        report.Report(kReportDriveList, pszMessage);
    return nullptr;
}
} // namespace

void FreeDriveList(DriveEntry* pHead) {
    while (pHead != nullptr) {
        DriveEntry* pNext = pHead->pNext;
        delete pHead;
        pHead = pNext;
    }
}

DriveEntry* BuildCandidateDrives(DWORD dwUsableMemory, IReport& report) {
    char szRoots[kDriveStringsLength];
    DWORD nRoots = GetLogicalDriveStringsA(kDriveStringsLength, szRoots);
    if (nRoots == 0 || nRoots >= kDriveStringsLength)
        return Fail(nullptr, "Internal error: GetDriveLogicalStrings() failed", report);

    DriveEntry* pHead = nullptr;
    DriveEntry** ppTail = &pHead;
    for (const char* pszRoot = szRoots; *pszRoot != '\0'; pszRoot += strlen(pszRoot) + 1) {
        if (GetDriveTypeA(pszRoot) != DRIVE_FIXED)
            continue;

        DWORD dwSectorsPerCluster, dwBytesPerSector, dwClustersFree, dwClustersTotal;
        if (!GetDiskFreeSpaceA(pszRoot, &dwSectorsPerCluster, &dwBytesPerSector, &dwClustersFree,
                               &dwClustersTotal))
            return Fail(pHead, "Internal error: GetDiskFreeSpace() failed", report);

        // Exact: two 32-bit factors fit in 64 bits; a third that would carry the product past
        // 64 bits makes the drive far larger than any 32-bit budget.
        ULONGLONG ullSize = static_cast<ULONGLONG>(dwClustersTotal) * dwBytesPerSector;
        if (dwSectorsPerCluster != 0 && ullSize > ~0ULL / dwSectorsPerCluster)
            continue;
        ullSize *= dwSectorsPerCluster;
        if (ullSize >= dwUsableMemory)
            continue;

        DriveEntry* pEntry = NewEntry();
        if (pEntry == nullptr)
            return Fail(pHead, nullptr, report);
        *ppTail = pEntry;
        ppTail = &pEntry->pNext;
        pEntry->bHardDisk = TRUE;
        pEntry->llSize = static_cast<LONGLONG>(ullSize);
        pEntry->dwSectorsPerCluster = dwSectorsPerCluster;
        pEntry->dwBytesPerSector = dwBytesPerSector;
        pEntry->dwClustersFree = dwClustersFree;
        pEntry->dwClustersTotal = dwClustersTotal;

        char szFileSystem[kFileSystemNameLength];
        if (!GetVolumeInformationA(pszRoot, nullptr, 0, nullptr, nullptr, nullptr, szFileSystem,
                                   kFileSystemNameLength))
            return Fail(pHead, nullptr, report); // no message for this one: the build just ends
        szFileSystem[kFileSystemNameLength - 1] = '\0';

        pEntry->szDriveName[0] = pszRoot[0];
        pEntry->szDriveName[1] = pszRoot[1];
        pEntry->szDriveName[2] = '\0';
        // Names of 8 or more characters keep their first 7: the field holds no more.
        CopyTruncated(pEntry->szFileSystem, sizeof pEntry->szFileSystem, szFileSystem);

        if (QueryDosDeviceA(pEntry->szDriveName, pEntry->szDeviceName,
                            sizeof pEntry->szDeviceName) == 0) {
            static const char kPrefix[] = "Internal error: QueryDosDevice() failed, drive ";
            char szMessage[sizeof kPrefix + sizeof pEntry->szDriveName];
            memcpy(szMessage, kPrefix, sizeof kPrefix);
            strcat(szMessage, pEntry->szDriveName);
            return Fail(pHead, szMessage, report);
        }
        pEntry->szDeviceName[sizeof pEntry->szDeviceName - 1] = '\0';
        ReadDeviceNumbers(pEntry->szDeviceName, &pEntry->dwDiskNumber, &pEntry->dwPartitionNumber);
    }

    DriveEntry* pRamDisk = NewEntry();
    if (pRamDisk == nullptr)
        return Fail(pHead, nullptr, report);
    pRamDisk->llSize = dwUsableMemory;
    pRamDisk->bRamDisk = TRUE;
    memcpy(pRamDisk->szDriveName, "S:", 3);
    memcpy(pRamDisk->szFileSystem, "FAT", 4);
    *ppTail = pRamDisk;
    return pHead;
}
