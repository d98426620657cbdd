#include "hxcfg/RegFile.h"

#include "hxcfg/Commands.h"
#include "hxcfg/Console.h"

namespace {
int Refuse(const char* pszPath, const char* pszWhat, DWORD dwError) {
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
            return Refuse(pszPath, " could not be created", dwError);
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
        return Refuse(pszPath, " could not be written, and is deleted", dwError);
    }
    CText out;
    out.Add(summary).Add("Change written to ").AddQuoted(pszPath).AddChar('\n');
    PrintOut(out);
    return kExitDone;
}
