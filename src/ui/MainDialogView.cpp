#include "ui/MainDialogView.h"

#include "budget/MemoryBudget.h"

namespace {
const int kPropertiesX = 28;
// A gap between the drive and what choosing it would do.
const int kPropertiesY[kPropertiesLineCount] = {180, 195, 240, 252, 264};
const char* const kRamDiskOutcome[] = {"If selected, this device is created",
                                       "automatically during the next", "system reboot."};
const char* const kMirrorOutcome[] = {"If selected, a mirror image of",
                                      "this drive is created in memory",
                                      "the next time your system boots."};
const int kStatusLeft = 234;
const int kStatusWidth = 170;
} // namespace

void MakeDriveRow(const DriveEntry& entry, DriveRow& row) {
    int nKilobytes = static_cast<int>(static_cast<DWORD>(entry.llSize / 1024));
    wsprintfA(row.szText, " %s        %11d               ...", entry.szDriveName, nKilobytes);
    row.nImage = entry.bHardDisk ? kImageHardDisk : kImageMemoryChip;
}

void MakePropertiesLines(const DriveEntry& entry, PanelLine (&lines)[kPropertiesLineCount]) {
    for (int i = 0; i < kPropertiesLineCount; ++i) {
        lines[i].x = kPropertiesX;
        lines[i].y = kPropertiesY[i];
    }
    wsprintfA(lines[0].szText, entry.bRamDisk ? "%s      (Ram Disk)" : "%s     (Hard Disk)",
              entry.szDriveName);
    wsprintfA(lines[1].szText, "Drive type:   %4s", entry.szFileSystem);
    const char* const* ppszOutcome = entry.bRamDisk ? kRamDiskOutcome : kMirrorOutcome;
    for (int i = 2; i < kPropertiesLineCount; ++i)
        wsprintfA(lines[i].szText, "%s", ppszOutcome[i - 2]);
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
