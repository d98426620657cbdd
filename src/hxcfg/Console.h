// Where hxcfg's results and errors go: stdout for results, one line on stderr per error.
#pragma once

#include "hxcfg/Text.h"

void PrintOut(const CText& text);
// "hxcfg: " and the reason on one line: line breaks inside the reason become blanks.
void PrintError(const char* pszReason);
// Writes the text whole, with CR LF line ends; FALSE, with the system's error, when it could not.
BOOL WriteText(HANDLE hFile, const char* pch, size_t cch);
// "hxcfg: WHAT HKEY_LOCAL_MACHINE\KEY (error N: the system's text)".
void PrintKeyError(const char* pszWhat, const char* pszKey, LONG lError);
