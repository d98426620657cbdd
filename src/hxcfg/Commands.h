// hxcfg's commands. Each prints its results on stdout and its errors, one line each, on stderr,
// and returns the program's exit status.
#pragma once

#include "config/RegistryPlan.h"
#include "hxcfg/Arguments.h"
#include "hxcfg/ConsoleReport.h"

enum HxExit {
    kExitDone = 0, // done; for status and a configuring command, the disk will be built
    // status, or a configuring command after writing, found reasons why the disk will not be built
    kExitNotBuilt = 1,
    kExitUsage = 2,       // the command line is wrong; nothing written
    kExitRefused = 3,     // this machine refuses the change; nothing written
    kExitWriteFailed = 4, // a write failed; what was written before it stays
};

// A writing command refused for want of rights says where to run it: hxcfg asks for no
// elevation itself (status needs none), and under User Account Control an administrator's
// console has the rights only when it was started elevated.
#define HX_RUN_ELEVATED "; run hxcfg from an elevated command prompt"

int RunStatus();
// The verdict as status ends with it: prints it; returns kExitDone or kExitNotBuilt.
int PrintVerdict();
// ramdisk, mirror and pool.
int RunConfigure(const HxArgs& args, CConsoleReport& report);
int RunRemove(const HxArgs& args);

// The end of a writing command's first stage, the plan made: --reg FILE writes the change to a
// new file; otherwise each key of the plan is opened as applying it will (a refusal ends the
// command), and --dry-run then prints the summary and the change. Returns the exit status then,
// or -1 when the plan is to be applied.
int DeliverUnapplied(const HxArgs& args, const CText& summary, const CRegPlan& plan);
// The second stage: the summary, the plan applied, and what it wrote; on failure, what stays,
// then one line naming the key or value that failed and why. kExitDone or kExitWriteFailed.
int ApplyPlan(const CText& summary, CRegPlan* pPlan);
// A key that will not open for the change: one line, which says to run elevated where access was
// denied, and "would" for a dry run. kExitRefused.
int RefuseAccess(const char* pszKey, LONG lError, BOOL bDryRun);

// The entry point: argv[0] is the program's name. The host build's tests call it in-process.
int HxcfgMain(int argc, char** argv);
// The program's entry: the command line as typed (GetCommandLineW), refused with exit status 2
// when an argument cannot be taken into the ANSI code page exactly, else HxcfgMain.
int HxcfgMainW(LPCWSTR pszCommandLine);
