// Conformance of sim's wsprintfA with user32, and of its FormatMessageA with kernel32; built for
// both.
#include "conformance.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <climits>
#include <cstring>
#include <string>

namespace {

std::string Fmt(const char* fmt, ...) {
    char buf[1100];
    va_list args;
    va_start(args, fmt);
    const int n = wvsprintfA(buf, fmt, args);
    va_end(args);
    EXPECT_EQ(n, static_cast<int>(std::strlen(buf))) << fmt;
    return buf;
}

TEST(SimWsprintf, Numbers) {
    const struct {
        const char* fmt;
        int value;
        const char* out;
    } cases[] = {
        {"%d", 42, "42"},
        {"%5d", 42, "   42"},
        {"%11d", INT_MIN, "-2147483648"},
        {"%11d", 7, "          7"},
        {"%-5d|", 42, "42   |"},
        {"%05d", -42, "-0042"},
        {"%u", -1, "4294967295"},
        {"%x", 255, "ff"},
        {"%X", 255, "FF"},
        {"%08X", 0xBEEF, "0000BEEF"},
        {"%i", 3, "3"},
        {"%c", 'A', "A"},
        {"%3c", 'A', "  A"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fmt(c.fmt, c.value), c.out) << c.fmt;
}

TEST(SimWsprintf, StringsAndPercent) {
    const struct {
        const char* fmt;
        const char* value;
        const char* out;
    } cases[] = {
        {"%s", "abc", "abc"},        {"%4s", "ab", "  ab"},     {"%-4s|", "ab", "ab  |"},
        {"%.2s", "abc", "ab"},       {"%s", nullptr, "(null)"}, {"drive %s", "C:", "drive C:"},
        {"100%% %s", "x", "100% x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fmt(c.fmt, c.value), c.out) << c.fmt;
    EXPECT_EQ(Fmt("%%"), "%");
}

TEST(SimWsprintf, OutputIsLimitedTo1024Characters) {
    // At most 1023 characters and the NUL are stored; an output that fills them reports 1024.
    const struct {
        std::size_t length; // of the output asked for
        int returned;
        std::size_t stored;
    } cases[] = {{1022, 1022, 1022}, {1023, 1024, 1023}, {1024, 1024, 1023}, {2000, 1024, 1023}};
    for (const auto& c : cases) {
        const std::string text(c.length, 'a');
        char buf[1100];
        std::memset(buf, 'x', sizeof buf);
        EXPECT_EQ(wsprintfA(buf, "%s", text.c_str()), c.returned) << c.length;
        EXPECT_EQ(std::strlen(buf), c.stored) << c.length;
        EXPECT_EQ(buf[c.stored + 1], 'x') << "nothing beyond the NUL";
        EXPECT_EQ(wsprintfA(buf, "%s%d", text.substr(1).c_str(), 5), c.returned) << c.length;
    }
}

// A system error's text: one line and its CR LF, counted without the NUL; nothing for a code
// the system has no text for, or for a buffer too small.
TEST(SimFormatMessage, SystemErrorTexts) {
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    char buf[256];
    const DWORD n =
        FormatMessageA(flags, nullptr, ERROR_ACCESS_DENIED, 0, buf, sizeof buf, nullptr);
    ASSERT_GT(n, 2u);
    EXPECT_EQ(n, std::strlen(buf));
    EXPECT_EQ(std::string(buf + n - 2), "\r\n");
    EXPECT_EQ(std::string(buf).find('\n'), n - 1) << "one line";
#if HXT_SIM
    // Windows' own words; Wine words its texts its own way ("Access denied.").
    EXPECT_STREQ(buf, "Access is denied.\r\n");
#endif
    EXPECT_EQ(FormatMessageA(flags, nullptr, ERROR_ACCESS_DENIED, 0, buf, n, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(FormatMessageA(flags, nullptr, ERROR_ACCESS_DENIED, 0, buf, n + 1, nullptr), n);
    EXPECT_EQ(FormatMessageA(flags, nullptr, 0x2000ABCD, 0, buf, sizeof buf, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
}

// The ANSI code page's size protocol, on text that every code page holds: -1 counts the NUL, an
// output size of 0 asks for the size, and too small a buffer fails. What becomes of a character
// the code page lacks differs on purpose (sim has no look-alikes; see core_text.cpp).
TEST(SimCodePage, SizeProtocol) {
    const WCHAR wide[] = {'h', 'x', '\\', '1', 0};
    char ansi[8] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr), 5);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, 4, ansi, 4, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, 4, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr), 5);
    EXPECT_STREQ(ansi, "hx\\1");
    WCHAR back[8] = {};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0), 5);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, 8), 5);
    EXPECT_EQ(std::memcmp(back, wide, sizeof wide), 0);
}

} // namespace
