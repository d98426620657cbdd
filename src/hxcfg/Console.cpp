#include "hxcfg/Console.h"

BOOL WriteText(HANDLE hFile, const char* pch, size_t cch) {
    // With a Windows console program's CR LF line ends, straight to the handle. The C runtime's
    // text mode would convert them too, but some systems then write a piece at a time, which cost
    // hxcfg more start-up time than all its registry reads; and its fclose reports success after
    // a failed flush on some systems, which would leave half a file reported as written.
    CText crlf;
    for (size_t i = 0; i < cch; ++i) {
        if (pch[i] == '\n')
            crlf.AddChar('\r');
        crlf.AddChar(pch[i]);
    }
    const char* p = crlf.Get();
    size_t cbLeft = crlf.Length();
    DWORD cbWritten = 0;
    while (cbLeft > 0 && WriteFile(hFile, p, static_cast<DWORD>(cbLeft), &cbWritten, nullptr) &&
           cbWritten > 0) {
        p += cbWritten;
        cbLeft -= cbWritten;
    }
    return cbLeft == 0;
}

namespace {
// Nothing more can be done when the output is refused: there is nowhere left to say so.
void WriteStd(DWORD nStdHandle, const char* pch, size_t cch) {
    WriteText(GetStdHandle(nStdHandle), pch, cch);
}
} // namespace

void PrintOut(const CText& text) {
    WriteStd(STD_OUTPUT_HANDLE, text.Get(), text.Length());
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
    WriteStd(STD_ERROR_HANDLE, line.Get(), line.Length());
}

void PrintKeyError(const char* pszWhat, const char* pszKey, LONG lError) {
    CText reason;
    reason.Add(pszWhat).Add(" HKEY_LOCAL_MACHINE\\").Add(pszKey).Add(" (");
    reason.AddError(lError).AddChar(')');
    PrintError(reason.Get());
}
