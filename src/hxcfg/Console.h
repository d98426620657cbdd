// Where hxcfg's results and errors go: stdout for results, one line on stderr per error, and
// --reg FILE's change to a new file. All with CR LF line ends.
#pragma once

#include "hxcfg/Text.h"

void PrintOut(const CText& text);
// "hxcfg: " and the reason on one line: line breaks inside the reason become blanks.
void PrintError(const char* pszReason);
// "hxcfg: WHAT HKEY_LOCAL_MACHINE\KEY (error N: the system's text)".
void PrintKeyError(const char* pszWhat, const char* pszKey, LONG lError);

// Writes the change's text to a new file, whole or not at all, and says so on stdout after the
// summary of the change: kExitDone. An existing file is never replaced, and a file that could not
// be written, flushed and closed is deleted: kExitRefused, after one line that says why.
int WriteNewFile(const char* pszPath, const CText& text, const CText& summary);
