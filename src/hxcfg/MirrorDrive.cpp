#include "hxcfg/MirrorDrive.h"

#include <string.h>

BOOL CheckMirrorDrive(char cLetter, const DriveEntry* pDrives, DWORD dwBudget, BOOL bConfigured,
                      DriveEntry* pEntry, CText* pReason) {
    char szName[4] = {cLetter, ':', '\\', '\0'};
    UINT nType = GetDriveTypeA(szName);
    szName[2] = '\0';
    const DriveEntry* p = pDrives;
    while (p != nullptr && (!p->bHardDisk || strcmp(p->szDriveName, szName) != 0))
        p = p->pNext;
    if (nType == DRIVE_FIXED && pDrives == nullptr) {
        pReason->Add("the drive list could not be built");
        return FALSE;
    }
    pReason->Add("drive ").Add(szName);
    if (nType == DRIVE_NO_ROOT_DIR || nType == DRIVE_UNKNOWN)
        pReason->Add(bConfigured ? " no longer exists" : " is not present");
    else if (nType != DRIVE_FIXED)
        pReason->Add(" is not a fixed drive");
    else if (p == nullptr && bConfigured)
        pReason->Add(" no longer fits the budget");
    else if (p == nullptr)
        pReason->Add(" is too large for the budget of ").AddDword(dwBudget).Add(" bytes");
    if (nType != DRIVE_FIXED || p == nullptr)
        return FALSE;
    // The drive list reads the numbers at fixed places whatever the name is: a volume name such
    // as \Device\HarddiskVolume2, which every fixed drive has from Windows 2000 on, reads as
    // disk 0 partition 0, and a partition 0 is the whole disk. Only a name spelt back from the
    // numbers is one the driver opens as the partition they give.
    CText expected;
    expected.Add("\\Device\\Harddisk").AddDword(p->dwDiskNumber);
    expected.Add("\\Partition").AddDword(p->dwPartitionNumber);
    if (p->dwPartitionNumber >= 1 && EqualNoCase(p->szDeviceName, expected.Get())) {
        *pEntry = *p;
        pEntry->pNext = nullptr;
        return TRUE;
    }
    pReason->Add(" is ").Add(p->szDeviceName);
    pReason->Add(", not a partition of a hard disk (\\Device\\Harddisk<n>\\Partition<m>)");
    return FALSE;
}
