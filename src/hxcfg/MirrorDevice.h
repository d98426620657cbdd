// Whether the driver can find a fixed drive's partition by the numbers the drive list read from
// its NT device name.
#pragma once

#include "drives/DriveEntry.h"
#include "hxcfg/Text.h"

// TRUE when the drive's device is \Device\Harddisk<n>\Partition<m>, m at least 1, with the very
// numbers the entry holds; otherwise FALSE, with the reason, naming the device, in *pReason.
BOOL CheckMirrorDevice(const DriveEntry& entry, CText* pReason);
