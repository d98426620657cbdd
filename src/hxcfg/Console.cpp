#include "hxcfg/Console.h"

#include <stdio.h>

void PrintOut(const CText& text) {
    fwrite(text.Get(), 1, text.Length(), stdout);
    fflush(stdout);
}

void PrintError(const char* pszReason) {
    CText line;
    line.Add("hxcfg: ");
    for (const char* p = pszReason; *p != '\0'; ++p) {
        if (*p == '\n') {
            // "Fatal Error\n Unable to ...": one blank between the two halves.
            if (p[1] != ' ')
                line.AddChar(' ');
            continue;
        }
        line.AddChar(*p);
    }
    line.AddChar('\n');
    fwrite(line.Get(), 1, line.Length(), stderr);
    fflush(stderr);
}
