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

// The command line as typed, in Unicode, split as the C run-time's start-up splits it and each
// argument taken into the ANSI code page, in which the rest of hxcfg and the system's "A" calls
// read it. An argument with a character that the code page cannot hold exactly is refused: the
// system would hand over a look-alike (U+2215 for a backslash, a full-width digit for a digit),
// and a path or a size that was never typed would be used.
class CAnsiArguments {
public:
    CAnsiArguments() : m_argv(nullptr), m_argc(0) {}
    ~CAnsiArguments();
    CAnsiArguments(const CAnsiArguments&) = delete;
    CAnsiArguments& operator=(const CAnsiArguments&) = delete;

    // FALSE, with *pError saying which argument and character, when one cannot be taken.
    BOOL Take(LPCWSTR pszCommandLine, CText* pError);
    int Argc() const { return m_argc; }
    char** Argv() const { return m_argv; } // argv[0] is the program's name; argv[argc] is NULL

private:
    char** m_argv;
    int m_argc;
};

// The usage text, for -h, --help and /?.
void AddUsage(CText* pOut);
