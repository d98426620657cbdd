// Whether the driver can mirror a drive: one rule for the drive that mirror is asked to configure
// and for the drive that status finds configured.
#pragma once

#include "drives/DriveEntry.h"
#include "hxcfg/Text.h"

// TRUE when the drive is fixed, the dialog lists it in pDrives (its list for dwBudget; nullptr
// when it could not be built), and its device is \Device\Harddisk<n>\Partition<m>, m at least 1,
// with the very numbers the entry holds: *pEntry receives the entry, unchained. Otherwise FALSE,
// with the reason in *pReason; for a drive configured before (bConfigured), what it no longer is.
BOOL CheckMirrorDrive(char cLetter, const DriveEntry* pDrives, DWORD dwBudget, BOOL bConfigured,
                      DriveEntry* pEntry, CText* pReason);
