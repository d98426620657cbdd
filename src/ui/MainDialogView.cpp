#include "ui/MainDialogView.h"

#include "budget/MemoryBudget.h"

namespace {
const int kPropertiesX = 28;
const int kStatusLeft = 234;
const int kStatusWidth = 170;

void SetLine(PanelLine& line, int y, const char* psz) {
    line.x = kPropertiesX;
    line.y = y;
    wsprintfA(line.szText, "%s", psz);
}
} // namespace

void MakeDriveRow(const DriveEntry& entry, DriveRow& row) {
    int nKilobytes = static_cast<int>(static_cast<DWORD>(entry.llSize / 1024));
    wsprintfA(row.szText, " %s        %11d               ...", entry.szDriveName, nKilobytes);
    row.nImage = entry.bHardDisk ? kImageHardDisk : kImageMemoryChip;
}

void MakePropertiesLines(const DriveEntry& entry, PanelLine (&lines)[kPropertiesLineCount]) {
    lines[0].x = kPropertiesX;
    lines[0].y = 180;
    wsprintfA(lines[0].szText, entry.bRamDisk ? "%s      (Ram Disk)" : "%s     (Hard Disk)",
              entry.szDriveName);
    lines[1].x = kPropertiesX;
    lines[1].y = 195;
    wsprintfA(lines[1].szText, "Drive type:   %4s", entry.szFileSystem);

    // A gap between the drive and what choosing it would do.
    if (entry.bRamDisk) {
        SetLine(lines[2], 240, "If selected, this device is created");
        SetLine(lines[3], 252, "automatically during the next");
        SetLine(lines[4], 264, "system reboot.");
    } else {
        SetLine(lines[2], 240, "If selected, a mirror image of");
        SetLine(lines[3], 252, "this drive is created in memory");
        SetLine(lines[4], 264, "the next time your system boots.");
    }
}

// Centred on kStatusLeft + kStatusWidth / 2; the half of a negative difference truncates
// toward zero, as the division always has.
int StatusLineX(int nTextWidth) {
    return (kStatusWidth - nTextWidth) / 2 + kStatusLeft;
}

void FormatConfiguredLine(const DriveEntry& entry, char (&szLine)[64]) {
    wsprintfA(szLine, "Drive %s configured", entry.szDriveName);
}

const char* ConfirmLine() {
    return "Click on \"OK\" to confirm";
}

void FormatPoolResetLine(DWORD dwUsableMemory, char (&szLine)[64]) {
    wsprintfA(szLine, "Non-Paged Pool reset to %dMB", dwUsableMemory / kDisplayMegabyte);
}

const char* PoolResetSecondLine(BOOL bRamDiskResized) {
    return bRamDiskResized ? "Ram Disk auto resized" : "Device choice list updated";
}

DriveEntry* EntryAtRow(DriveEntry* pChain, int nFocusedRow) {
    if (nFocusedRow < 0)
        return nullptr;
    DriveEntry* pEntry = pChain;
    for (int i = 0; i < nFocusedRow && pEntry != nullptr; ++i)
        pEntry = pEntry->pNext;
    return pEntry;
}
