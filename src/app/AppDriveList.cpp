#include "app/HxSetupApp.h"
#include "drives/DriveEntry.h"

// The dialog reaches the drive list through the application object; the console companion,
// which has none, calls BuildCandidateDrives itself.
DriveEntry* CHxSetupApp::BuildDriveList(DWORD dwUsableMemory) {
    return BuildCandidateDrives(dwUsableMemory);
}
