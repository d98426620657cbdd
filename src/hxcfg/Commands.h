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

// A writing command refused for want of rights says where to run it: hxcfg asks for no
// elevation itself (status needs none), and under User Account Control an administrator's
// console has the rights only when it was started elevated.
#define HX_RUN_ELEVATED "; run hxcfg from an elevated command prompt"

int RunStatus();
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
