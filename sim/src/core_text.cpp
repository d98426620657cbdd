// user32's wsprintfA/wvsprintfA, kernel32's FormatMessageA for system error texts, and its
// conversions between the ANSI code page and UTF-16.
//
// wsprintf is Windows' own formatter, not C's printf, but for the conversions the program writes
// (%d %i %u %x %X %c %s with '-', '0' for numbers, a width, a precision for strings, and %%) the
// two print the same, so C's does the work. Anything else (a precision of a number, which
// Windows counts with the sign; 'h', 'l', 'I64'; '#'; wide strings) is recorded as a misuse
// rather than given C's different answer. The output holds at most 1024 characters with its NUL:
// longer output is cut to 1023, and an output that fills those 1023 returns 1024, one more than
// it stored (as Wine does).
//
// FormatMessageA knows the texts of the errors the programs meet, as English Windows words them,
// each ending in CR LF; only FORMAT_MESSAGE_FROM_SYSTEM (with or without
// FORMAT_MESSAGE_IGNORE_INSERTS). An unknown code fails with ERROR_MR_MID_NOT_FOUND, a text that
// does not fit nSize characters with its NUL with ERROR_INSUFFICIENT_BUFFER.
//
// The conversions know only CP_ACP, which here is ISO 8859-1 (byte n is U+00nn): a character
// above U+00FF becomes the default character '?', with no best-fit look-alike, so that what the
// program makes of a character the code page lacks is its own doing. A count of -1 takes the
// text and its NUL; an output size of 0 asks for the size needed; too small a buffer fails with
// ERROR_INSUFFICIENT_BUFFER.
#include "internal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace sim {
namespace {

constexpr std::size_t kMaxOut = 1024; // characters, the NUL included

// Whether every conversion is one that C's formatter prints as Windows' does.
bool SharedWithC(const char* fmt) {
    for (const char* p = std::strchr(fmt, '%'); p; p = std::strchr(p + 1, '%')) {
        if (*++p == '%')
            continue;
        p += std::strspn(p, "-");
        const bool zero = *p == '0'; // pads numbers only; Windows pads a string with spaces
        p += std::strspn(p, "0123456789");
        const bool precision = *p == '.';
        p += std::strspn(p, ".0123456789");
        if (!*p || !std::strchr(precision ? "s" : zero ? "diuxX" : "diuxXcs", *p))
            return false;
    }
    return true;
}

struct SystemText {
    DWORD code;
    const char* text;
};
const SystemText kSystemTexts[] = {
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {ERROR_NOT_READY, "The device is not ready."},
    {ERROR_WRITE_FAULT, "The system cannot write to the specified device."},
    {ERROR_GEN_FAILURE, "A device attached to the system is not functioning."},
    {ERROR_SHARING_VIOLATION,
     "The process cannot access the file because it is being used by another process."},
    {ERROR_HANDLE_DISK_FULL, "The disk is full."},
    {ERROR_FILE_EXISTS, "The file exists."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_BAD_PATHNAME, "The specified path is invalid."},
    {ERROR_MORE_DATA, "More data is available."},
    {ERROR_NO_MORE_ITEMS, "No more data is available."},
    {ERROR_CANTWRITE, "The configuration registry key could not be written."},
    {ERROR_REGISTRY_IO_FAILED,
     "An I/O operation initiated by the registry failed unrecoverably. The registry could not "
     "read in, or write out, or flush, one of the files that contain the system's image of the "
     "registry."},
    {ERROR_NOACCESS, "Invalid access to memory location."},
};

} // namespace
} // namespace sim

extern "C" {

DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID, DWORD dwMessageId, DWORD, LPSTR lpBuffer,
                            DWORD nSize, va_list*) {
    if ((dwFlags & ~static_cast<DWORD>(FORMAT_MESSAGE_IGNORE_INSERTS)) !=
            FORMAT_MESSAGE_FROM_SYSTEM ||
        !lpBuffer) {
        sim::detail::SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    for (const sim::SystemText& t : sim::kSystemTexts) {
        if (t.code != dwMessageId)
            continue;
        const std::string text = std::string(t.text) + "\r\n";
        if (text.size() + 1 > nSize) {
            sim::detail::SetError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::memcpy(lpBuffer, text.c_str(), text.size() + 1);
        return static_cast<DWORD>(text.size());
    }
    sim::detail::SetError(ERROR_MR_MID_NOT_FOUND);
    return 0;
}

int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist) {
    if (!sim::SharedWithC(lpFmt))
        sim::detail::RecordMisuse(std::string("wsprintfA format sim does not know: ") + lpFmt);
    char buf[sim::kMaxOut];
    va_list args;
    va_copy(args, arglist);
    const int n = std::vsnprintf(buf, sizeof buf, lpFmt, args);
    va_end(args);
    const std::size_t stored = std::min<std::size_t>(n < 0 ? 0 : n, sim::kMaxOut - 1);
    std::memcpy(lpOut, buf, stored);
    lpOut[stored] = '\0';
    return static_cast<int>(stored == sim::kMaxOut - 1 ? sim::kMaxOut : stored);
}

int WINAPIV wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...) {
    va_list args;
    va_start(args, lpFmt);
    const int n = wvsprintfA(lpOut, lpFmt, args);
    va_end(args);
    return n;
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
    if (CodePage != CP_ACP || lpWideCharStr == nullptr || cbMultiByte < 0) {
        sim::detail::SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int n = cchWideChar;
    if (n < 0)
        for (n = 1; lpWideCharStr[n - 1] != 0; ++n) {
        }
    if (cbMultiByte != 0 && cbMultiByte < n) {
        sim::detail::SetError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    BOOL bDefault = FALSE;
    for (int i = 0; i < n; ++i) {
        const bool bFits = static_cast<unsigned long>(lpWideCharStr[i]) <= 0xFF;
        bDefault |= !bFits;
        if (cbMultiByte != 0)
            lpMultiByteStr[i] = bFits ? static_cast<char>(lpWideCharStr[i])
                                      : (lpDefaultChar ? *lpDefaultChar : '?');
    }
    if (lpUsedDefaultChar)
        *lpUsedDefaultChar = bDefault;
    return n;
}

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
    if (CodePage != CP_ACP || lpMultiByteStr == nullptr || cchWideChar < 0) {
        sim::detail::SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int n = cbMultiByte < 0 ? static_cast<int>(std::strlen(lpMultiByteStr)) + 1 : cbMultiByte;
    if (cchWideChar != 0 && cchWideChar < n) {
        sim::detail::SetError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (int i = 0; cchWideChar != 0 && i < n; ++i)
        lpWideCharStr[i] = static_cast<unsigned char>(lpMultiByteStr[i]);
    return n;
}

} // extern "C"
