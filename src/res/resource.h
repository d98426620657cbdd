// Resource identifiers shared by the program's code and HxSetup.rc.
// Only plain #defines here: the resource compiler reads this file too.
#pragma once

// Main dialog and its resources.
#define IDR_MAINFRAME 128
#define IDD_HXSETUP_DIALOG 102
// Its title: a second HxSetup finds the first one's window by it.
#define HX_MAIN_DIALOG_TITLE "Tarnwell Setup Utility"
#define IDB_DRIVES 129

#define IDC_DRIVE_LIST 1000
#define IDC_DRIVE_PROPERTIES 1001
#define IDC_SELECT_DRIVE 1003
#define IDC_EXTEND_POOL 1004
#define IDC_SYSTEM_MEMORY 1005
#define IDC_USABLE_MEMORY 1006

// Pool size dialog.
#define IDD_POOLSIZE 131

#define IDC_POOL_SPIN 1006
#define IDC_POOL_PERCENT 1007
#define IDC_POOL_DEFAULT 1022
#define IDC_POOL_MAXIMUM 1025

// The framework's standard help command (0xE146).
#ifndef ID_HELP
#define ID_HELP 57670
#endif

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
