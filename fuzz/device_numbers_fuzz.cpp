// Reading the disk and partition numbers at their fixed places in any device name, against the
// rule: 16 characters skipped by count, a number ('0' alone, or a run of digits, wrapping as
// 32-bit arithmetic does), 10 more skipped, the second number; past the end is no digit.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "drives/DriveEntry.h"

namespace {

DWORD NumberAt(const char* s, size_t n, size_t* pos) {
    if (*pos >= n)
        return 0;
    if (s[*pos] == '0') {
        ++*pos;
        return 0;
    }
    DWORD v = 0;
    while (*pos < n && s[*pos] >= '0' && s[*pos] <= '9')
        v = v * 10 + static_cast<DWORD>(s[(*pos)++] - '0');
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The name as QueryDosDevice leaves it: text up to the first NUL, in an exact-size buffer.
    const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    size_t n = nul ? static_cast<size_t>(nul - data) : size;
    char* name = new char[n + 1];
    std::memcpy(name, data, n);
    name[n] = '\0';

    DWORD disk = 0xDEADBEEF, partition = 0xDEADBEEF;
    ReadDeviceNumbers(name, &disk, &partition);

    size_t pos = 16;
    DWORD wantDisk = NumberAt(name, n, &pos);
    pos += 10;
    DWORD wantPartition = NumberAt(name, n, &pos);
    if (disk != wantDisk || partition != wantPartition)
        __builtin_trap();

    delete[] name;
    return 0;
}
