#include "hxcfg/MirrorDevice.h"

BOOL CheckMirrorDevice(const DriveEntry& entry, CText* pReason) {
    // The drive list reads the numbers at fixed places whatever the name is: a volume name such
    // as \Device\HarddiskVolume2, which every fixed drive has from Windows 2000 on, reads as
    // disk 0 partition 0, and a partition 0 is the whole disk. Only a name spelt back from the
    // numbers is one the driver opens as the partition they give.
    CText expected;
    expected.Add("\\Device\\Harddisk").AddDword(entry.dwDiskNumber);
    expected.Add("\\Partition").AddDword(entry.dwPartitionNumber);
    if (entry.dwPartitionNumber >= 1 && EqualNoCase(entry.szDeviceName, expected.Get()))
        return TRUE;
    pReason->Add("drive ").Add(entry.szDriveName).Add(" is ").Add(entry.szDeviceName);
    pReason->Add(", not a partition of a hard disk (\\Device\\Harddisk<n>\\Partition<m>)");
    return FALSE;
}
