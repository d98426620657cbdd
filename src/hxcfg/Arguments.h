// hxcfg's command line: one command, its argument, and the options, in any order.
#pragma once

#include <windows.h>

#include "hxcfg/Text.h"

enum HxVerb { kVerbNone, kVerbStatus, kVerbRamDisk, kVerbMirror, kVerbPool, kVerbRemove };
enum HxPoolChoice { kPoolDefault, kPoolMax, kPoolPercent };

struct HxArgs {
    HxVerb verb = kVerbNone;
    BOOL bHelp = FALSE;
    BOOL bDryRun = FALSE;
    const char* pszRegFile = nullptr; // --reg FILE
    // ramdisk: the size in MiB, 1 to 4095; 0 when none was given (the whole budget).
    DWORD dwSizeMiB = 0;
    char cDrive = 0; // mirror: the drive letter, upper case
    HxPoolChoice pool = kPoolDefault;
    int nPercent = 0; // pool: 0 to 75
};

enum ParseResult { kParsed, kParsedHelp, kUsageError };

// Parses argv[0..argc-1] (the program's name left out). On kUsageError, *pError says why in one
// line; nothing of the machine is looked at here.
ParseResult ParseArguments(int argc, const char* const* argv, HxArgs* pArgs, CText* pError);

// The usage text, for -h, --help and /?.
const char* UsageText();
