// hxcfg's commands. Each prints its results on stdout and its errors, one line each, on stderr,
// and returns the program's exit status.
#pragma once

#include "hxcfg/Arguments.h"
#include "hxcfg/ConsoleReport.h"
#include "hxcfg/RegText.h"

enum HxExit {
    kExitDone = 0,        // done; for status, the disk will be built
    kExitNotBuilt = 1,    // status found reasons why the disk will not be built
    kExitUsage = 2,       // the command line is wrong; nothing written
    kExitRefused = 3,     // this machine refuses the change; nothing written
    kExitWriteFailed = 4, // a write failed; what was written before it stays
};

int RunStatus();
// The verdict as status ends with it: prints it; returns kExitDone or kExitNotBuilt.
int PrintVerdict();
// ramdisk, mirror and pool.
int RunConfigure(const HxArgs& args, CConsoleReport& report);
int RunRemove(const HxArgs& args);

// The first stage's end for a writing command: --dry-run prints the change, --reg FILE writes it
// to a new file. Returns the exit status then, or -1 when the change is to be applied.
int DeliverUnapplied(const HxArgs& args, const CRegText& change);
// After the second stage: what was written, and on failure that the rest was not.
void PrintWritten(const CRegText& written, BOOL bComplete);

// The entry point: argv[0] is the program's name. The host build's tests call it in-process.
int HxcfgMain(int argc, char** argv);
