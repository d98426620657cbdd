#include "drives/DriveEntry.h"

namespace {
// The prefixes are skipped by their length only; the names are not compared.
const size_t kDiskPrefixLength = 16;      // "\Device\Harddisk"
const size_t kPartitionPrefixLength = 10; // "\Partition"

// Reads the number at p[*pos], consuming it; past the end of the name counts as no digit.
DWORD ReadNumberAt(const char* psz, size_t nLength, size_t* pPos) {
    size_t i = *pPos;
    if (i >= nLength)
        return 0;
    if (psz[i] == '0') {
        *pPos = i + 1; // a leading '0' is the whole number
        return 0;
    }
    DWORD dwValue = 0;
    while (i < nLength && psz[i] >= '0' && psz[i] <= '9') {
        dwValue = dwValue * 10 + static_cast<DWORD>(psz[i] - '0');
        ++i;
    }
    *pPos = i;
    return dwValue;
}
} // namespace

void ReadDeviceNumbers(const char* pszDeviceName, DWORD* pdwDisk, DWORD* pdwPartition) {
    size_t nLength = 0;
    while (pszDeviceName[nLength] != '\0')
        ++nLength;
    size_t pos = kDiskPrefixLength;
    *pdwDisk = ReadNumberAt(pszDeviceName, nLength, &pos);
    pos += kPartitionPrefixLength;
    *pdwPartition = ReadNumberAt(pszDeviceName, nLength, &pos);
}
