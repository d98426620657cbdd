#include "hxcfg/Console.h"

#include "hxcfg/Commands.h"

namespace {
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

namespace {
int RefuseFile(const char* pszPath, const char* pszWhat, DWORD dwError) {
    CText error;
    error.AddQuoted(pszPath).Add(pszWhat).Add(" (");
    error.AddError(static_cast<LONG>(dwError)).AddChar(')');
    PrintError(error.Get());
    return kExitRefused;
}
} // namespace

int WriteNewFile(const char* pszPath, const CText& text, const CText& summary) {
    // Never over an existing file, which may be another machine's export: CREATE_NEW tests and
    // creates in one step.
    HANDLE hFile =
        CreateFileA(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        DWORD dwError = GetLastError();
        if (dwError != ERROR_FILE_EXISTS)
            return RefuseFile(pszPath, " could not be created", dwError);
        CText error;
        error.AddQuoted(pszPath).Add(" exists already: not overwritten");
        PrintError(error.Get());
        return kExitRefused;
    }
    // A full disk may show first at the flush or at the close.
    BOOL bWritten = WriteText(hFile, text.Get(), text.Length()) && FlushFileBuffers(hFile);
    DWORD dwError = bWritten ? ERROR_SUCCESS : GetLastError();
    if (!CloseHandle(hFile) && bWritten) {
        bWritten = FALSE;
        dwError = GetLastError();
    }
    if (!bWritten) {
        DeleteFileA(pszPath); // no half a change left for someone to import
        return RefuseFile(pszPath, " could not be written, and is deleted", dwError);
    }
    CText out;
    out.Add(summary).Add("Change written to ").AddQuoted(pszPath).AddChar('\n');
    PrintOut(out);
    return kExitDone;
}
