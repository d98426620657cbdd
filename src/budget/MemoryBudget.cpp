#include "budget/MemoryBudget.h"

namespace {
const DWORD kPoolSizeGranule = 8192;
const DWORD kMemoryOutsidePool = 16777216;
const LONGLONG kMinPercentMemoryTerm = 157286400;
} // namespace

DWORD TotalPhysBytes(const MEMORYSTATUS& status) {
    return status.dwTotalPhys > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(status.dwTotalPhys);
}

DWORD CalcUsableMemory(DWORD dwTotalPhys, DWORD dwPoolSize) {
    if (dwPoolSize != 0) {
        // A pool smaller than the reserve leaves nothing for the disk; the unsigned difference
        // would wrap to nearly 4 GiB and let every drive through.
        return dwPoolSize > kPoolReserve ? dwPoolSize - kPoolReserve : 0;
    }
    DWORD dwQuarter = dwTotalPhys >> 2;
    DWORD dwBudget = dwQuarter & ~(kMiB - 1);
    if (dwBudget != dwQuarter)
        dwBudget += kMiB;
    return dwBudget;
}

BOOL CalcStartupUsableMemory(DWORD dwTotalPhys, DWORD dwPoolSize, DWORD* pdwBudget) {
    if (dwTotalPhys < kMinTotalPhys)
        return FALSE;
    *pdwBudget = dwTotalPhys <= kSmallMachineTotalPhys ? kSmallMachineBudget
                                                       : CalcUsableMemory(dwTotalPhys, dwPoolSize);
    return TRUE;
}

int CalcMinPoolPercent(DWORD dwTotalPhys) {
    LONGLONG llNumerator = 40LL * dwTotalPhys - kMinPercentMemoryTerm;
    return static_cast<int>(static_cast<double>(llNumerator) / static_cast<double>(dwTotalPhys));
}

int CalcPoolPercent(DWORD dwTotalPhys, DWORD dwPoolSize, int nMinPercent) {
    if (dwPoolSize == 0)
        return nMinPercent;
    // Two separately rounded steps, in this order: the result can differ from 100 * pool / total.
    volatile double dQuotient = static_cast<double>(dwPoolSize) / static_cast<double>(dwTotalPhys);
    volatile double dPercent = dQuotient * 100.0;
    return static_cast<int>(dPercent);
}

DWORD CalcPoolSize(DWORD dwTotalPhys, int nPercent, int nMinPercent) {
    if (nPercent == nMinPercent)
        return 0;
    DWORD p = static_cast<DWORD>(nPercent);
    DWORD dwAcc = 0;
    if (p >= 25) {
        dwAcc = (dwTotalPhys / 4) * (p / 25);
        p %= 25;
    }
    dwAcc += p * (dwTotalPhys / 100);
    if (dwAcc % kPoolSizeGranule != 0)
        dwAcc += kPoolSizeGranule - dwAcc % kPoolSizeGranule;
    if (dwTotalPhys >= kMemoryOutsidePool && dwAcc > dwTotalPhys - kMemoryOutsidePool)
        dwAcc = dwTotalPhys - kMemoryOutsidePool;
    return dwAcc;
}
