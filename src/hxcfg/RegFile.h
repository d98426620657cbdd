// --reg FILE: the change, written to a new file whole or not at all.
#pragma once

#include "hxcfg/Text.h"

// Writes the text to a new file with CR LF line ends and says so on stdout, after the summary of
// the change: kExitDone. An
// existing file is never replaced, and a file that could not be written, flushed and closed is
// deleted: kExitRefused, after one line that says why.
int WriteNewFile(const char* pszPath, const CText& text, const CText& summary);
