// user32's wsprintfA/wvsprintfA, kernel32's FormatMessageA for system error texts, and its
// conversions between the ANSI code page and UTF-16.
//
// FormatMessageA knows the texts of the errors the programs meet, as English Windows words them,
// each ending in CR LF. Only FORMAT_MESSAGE_FROM_SYSTEM (with or without
// FORMAT_MESSAGE_IGNORE_INSERTS) into the caller's buffer is simulated; other flags fail with
// ERROR_INVALID_PARAMETER. An unknown code fails with ERROR_MR_MID_NOT_FOUND, a text that does
// not fit nSize characters with its NUL with ERROR_INSUFFICIENT_BUFFER; both return 0.
//
// The conversions know only CP_ACP, which here is ISO 8859-1 (byte n is U+00nn): a character
// above U+00FF becomes the default character '?', with no best-fit look-alike, so that what the
// program makes of a character the code page lacks is its own doing. A count of -1 takes the
// text and its NUL; an output size of 0 asks for the size needed; too small a buffer fails with
// ERROR_INSUFFICIENT_BUFFER. The flags are not looked at.
//
// wsprintf follows Windows' own formatter (as Wine's dlls/user32/wsprintf.c models it), which is
// not C's printf:
// - a conversion is %[-][#][0][width][.precision][l|h|w|I|I32|I64]type, flags only in that
//   order; there is no '+', ' ' or '*', and no floating point;
// - types c C d i u x X p s S; l, h and I32 change nothing for numbers (LONG is 32 bits), I64 and
//   I take a 64-bit / pointer-sized argument; %ls and %S take a wide (16-bit) string;
// - the precision of a number is its minimum length counting the '-' sign ("%.3d" of -5 is
//   "-05"); the '0' flag pads numbers (after the sign) up to the width, never strings;
// - a NULL %s is "(null)"; an unknown type prints the padding and then itself as a plain
//   character; a lone '%' at the end prints nothing;
// - the output holds at most 1024 characters with its NUL: longer output is cut to 1023, and an
//   output that fills those 1023 returns 1024, one more than it stored (as Wine does; MSDN speaks
//   only of the count stored).
// Each number's digits come from snprintf; the padding rules above are applied around them.
#include "internal.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace sim {
namespace {

constexpr std::size_t kMaxOut = 1024; // characters, the NUL included

enum Flag : unsigned {
    kLeft = 1,
    kPrefixHex = 2,
    kZeroPad = 4,
    kLong = 8,
    kShort = 16,
    kWide = 32,
    kIntPtr = 64,
    kI64 = 128,
    kUpper = 256,
};

enum class Type { Unknown, Char, WChar, String, WString, Signed, Unsigned, Hex };

std::string Format(const char* fmt, va_list args) {
    std::string out;
    while (*fmt && out.size() < kMaxOut) {
        if (*fmt != '%') {
            out += *fmt++;
            continue;
        }
        ++fmt;
        if (*fmt == '%') {
            out += *fmt++;
            continue;
        }
        unsigned flags = 0;
        std::size_t width = 0, precision = 0;
        if (*fmt == '-')
            flags |= kLeft, ++fmt;
        if (*fmt == '#')
            flags |= kPrefixHex, ++fmt;
        if (*fmt == '0')
            flags |= kZeroPad, ++fmt;
        while (*fmt >= '0' && *fmt <= '9')
            width = std::min<std::size_t>(width * 10 + (*fmt++ - '0'), kMaxOut);
        if (*fmt == '.') {
            ++fmt;
            while (*fmt >= '0' && *fmt <= '9')
                precision = std::min<std::size_t>(precision * 10 + (*fmt++ - '0'), kMaxOut);
        }
        if (*fmt == 'l')
            flags |= kLong, ++fmt;
        else if (*fmt == 'h')
            flags |= kShort, ++fmt;
        else if (*fmt == 'w')
            flags |= kWide, ++fmt;
        else if (*fmt == 'I') {
            if (fmt[1] == '6' && fmt[2] == '4')
                flags |= kI64, fmt += 3;
            else if (fmt[1] == '3' && fmt[2] == '2')
                fmt += 3;
            else
                flags |= kIntPtr, ++fmt;
        }
        Type type = Type::Unknown;
        switch (*fmt) {
        case 'c':
            type = (flags & kLong) ? Type::WChar : Type::Char;
            break;
        case 'C':
            type = (flags & kShort) ? Type::Char : Type::WChar;
            break;
        case 'd':
        case 'i':
            type = Type::Signed;
            break;
        case 's':
            type = (flags & (kLong | kWide)) ? Type::WString : Type::String;
            break;
        case 'S':
            type = (flags & (kShort | kWide)) ? Type::String : Type::WString;
            break;
        case 'u':
            type = Type::Unsigned;
            break;
        case 'p':
            width = 2 * sizeof(void*);
            flags |= kZeroPad | kIntPtr | kUpper;
            type = Type::Hex;
            break;
        case 'X':
            flags |= kUpper;
            type = Type::Hex;
            break;
        case 'x':
            type = Type::Hex;
            break;
        default:
            break;
        }
        if (type != Type::Unknown)
            ++fmt; // an unknown type character is printed as text next
        if (flags & kLeft)
            flags &= ~kZeroPad;

        std::string body;      // what stands between the padding
        std::size_t shown = 0; // Windows' "precision" after adjustment: the body's padded length
        switch (type) {
        case Type::Char:
        case Type::WChar: {
            int c = va_arg(args, int);
            if (type == Type::WChar && (c & 0xFFFF) > 0xFF)
                c = '?';
            body.assign(1, static_cast<char>(c));
            shown = 1;
            break;
        }
        case Type::String: {
            const char* s = va_arg(args, const char*);
            if (!s)
                s = "(null)";
            std::size_t n = 0;
            while ((!precision || n < precision) && s[n])
                ++n;
            body.assign(s, n);
            shown = n;
            break;
        }
        case Type::WString: {
            const uint16_t* s = va_arg(args, const uint16_t*);
            static const uint16_t kNull[] = {'(', 'n', 'u', 'l', 'l', ')', 0};
            if (!s)
                s = kNull;
            for (std::size_t n = 0; (!precision || n < precision) && s[n]; ++n)
                body += s[n] > 0xFF ? '?' : static_cast<char>(s[n]);
            shown = body.size();
            break;
        }
        case Type::Signed:
        case Type::Unsigned:
        case Type::Hex: {
            long long v;
            if (flags & kIntPtr)
                v = static_cast<long long>(va_arg(args, intptr_t));
            else if (flags & kI64)
                v = va_arg(args, long long);
            else
                v = va_arg(args, int);
            unsigned long long mag = static_cast<unsigned long long>(v);
            std::string sign;
            if (type == Type::Signed && v < 0) {
                sign = "-";
                mag = 0ULL - mag;
            }
            if (!(flags & (kIntPtr | kI64)))
                mag = static_cast<uint32_t>(mag);
            else if (flags & kIntPtr)
                mag = static_cast<uintptr_t>(mag);
            char digits[32];
            std::snprintf(digits, sizeof digits,
                          type == Type::Hex ? ((flags & kUpper) ? "%llX" : "%llx") : "%llu", mag);
            const std::size_t len = sign.size() + std::strlen(digits);
            shown = std::max(precision, len);
            if ((flags & kZeroPad) && width > shown)
                shown = width;
            std::string prefix;
            if (type == Type::Hex && (flags & kPrefixHex))
                prefix = (flags & kUpper) ? "0X" : "0x";
            body = prefix + sign + std::string(shown - len, '0') + digits;
            break;
        }
        case Type::Unknown:
            break;
        }
        const std::string pad(width > shown ? width - shown : 0, ' ');
        if (type == Type::Unknown) {
            if (!(flags & kLeft))
                out += pad;
            continue;
        }
        out += (flags & kLeft) ? body + pad : pad + body;
    }
    return out;
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

DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                            LPSTR lpBuffer, DWORD nSize, va_list* Arguments) {
    (void)lpSource;
    (void)dwLanguageId;
    (void)Arguments;
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
    va_list args;
    va_copy(args, arglist);
    const std::string s = sim::Format(lpFmt ? lpFmt : "", args);
    va_end(args);
    const std::size_t stored = std::min(s.size(), sim::kMaxOut - 1);
    std::memcpy(lpOut, s.data(), stored);
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
    if (n < 0) {
        for (n = 0; lpWideCharStr[n] != 0; ++n) {
        }
        ++n;
    }
    if (cbMultiByte != 0 && cbMultiByte < n) {
        sim::detail::SetError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    BOOL bDefault = FALSE;
    for (int i = 0; i < n; ++i) {
        bool bFits = static_cast<unsigned long>(lpWideCharStr[i]) <= 0xFF;
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
    int n = cbMultiByte < 0 ? static_cast<int>(std::strlen(lpMultiByteStr)) + 1 : cbMultiByte;
    if (cchWideChar != 0 && cchWideChar < n) {
        sim::detail::SetError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (cchWideChar != 0)
        for (int i = 0; i < n; ++i)
            lpWideCharStr[i] = static_cast<unsigned char>(lpMultiByteStr[i]);
    return n;
}

} // extern "C"
