// What the main dialog shows and which entry a click picks, worked out apart from its windows:
// a row of the drive list, the lines of the two information panels and where they start, and
// the status texts. The dialog only carries them out.
#pragma once

#include <windows.h>

#include "drives/DriveEntry.h"

// Images of the drive list's strip.
const int kImageMemoryChip = 2;
const int kImageHardDisk = 3;

struct DriveRow {
    char szText[64];
    int nImage;
};

// The entry's row: its name and its size in kilobytes, of which only the low 32 bits are shown.
void MakeDriveRow(const DriveEntry& entry, DriveRow& row);

// A line of a panel and where it starts, in client pixels.
struct PanelLine {
    int x;
    int y;
    char szText[120];
};

// The properties panel for an entry: its name and kind, its file system, then three lines on
// what choosing it would do.
const int kPropertiesLineCount = 5;
void MakePropertiesLines(const DriveEntry& entry, PanelLine (&lines)[kPropertiesLineCount]);

// The status panel's first and optional second line.
const int kStatusLine1Y = 120;
const int kStatusLine2Y = 136;

// Where a status line of that width in pixels starts: centred on the panel; a line wider than the
// panel runs out on the left.
int StatusLineX(int nTextWidth);

// After Select/Configure Drive: the drive configured, then the second line below.
void FormatConfiguredLine(const DriveEntry& entry, char (&szLine)[64]);
const char* ConfirmLine();

// After Extend Pool Memory: the new usable budget in display megabytes, then whether the RAM
// disk had to shrink to fit it.
void FormatPoolResetLine(DWORD dwUsableMemory, char (&szLine)[64]);
const char* PoolResetSecondLine(BOOL bRamDiskResized);

// The entry of the row that holds the focus, row 0 being the chain's head; none when no row has
// it (nFocusedRow < 0) or the chain has no such entry.
DriveEntry* EntryAtRow(DriveEntry* pChain, int nFocusedRow);
