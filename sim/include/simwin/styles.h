// Window, dialog and control styles, with their real values: those the program, its tests and
// sim's dialog manager read. The templates themselves are compiled by windres with its own
// headers.
//
// Written without an L suffix on purpose: on the LP64 host a long is 64 bits, and these must
// behave as the 32-bit LONG constants they are on Windows (0x80000000 stays an unsigned 32-bit
// value, so ~WS_POPUP still fits a DWORD).
#pragma once

#include "types.h"

// ---- window styles ----
#define WS_POPUP 0x80000000
#define WS_CHILD 0x40000000
#define WS_MINIMIZE 0x20000000
#define WS_VISIBLE 0x10000000
#define WS_DISABLED 0x08000000
#define WS_CAPTION 0x00C00000
#define WS_TABSTOP 0x00010000

// ---- extended window styles ----
#define WS_EX_APPWINDOW 0x00040000

// ---- dialog styles ----
#define DS_SETFONT 0x40
#define DS_MODALFRAME 0x80

// ---- button styles ----
#define BS_DEFPUSHBUTTON 0x00000001
#define BS_GROUPBOX 0x00000007
#define BS_TYPEMASK 0x0000000F

// ---- list view styles ----
#define LVS_SINGLESEL 0x4
#define LVS_SHAREIMAGELISTS 0x40

// ---- up-down styles ----
#define UDS_SETBUDDYINT 0x2
#define UDS_AUTOBUDDY 0x10
