// The arithmetic that ties physical memory, the non-paged pool size and the usable memory
// budget together. Byte counts are 32-bit unsigned; percentages are signed.
#pragma once

#include <windows.h>

// Lowest total physical memory with which start-up goes on (decimal, not a power of two).
const DWORD kMinTotalPhys = 16000000;
// At or below this total, start-up uses the fixed small-machine budget.
const DWORD kSmallMachineTotalPhys = 17000000;
const DWORD kSmallMachineBudget = 3145728;
// Share of a configured pool that the budget never counts.
const DWORD kPoolReserve = 4194304;
const int kMaxPoolPercent = 75;
// The arithmetic's megabyte: the budget's rounding unit and the RAM disk's sizes.
const DWORD kMiB = 1048576;
// Every megabyte figure shown to the user divides by this.
const DWORD kDisplayMegabyte = 1024000;

// The total physical memory the system reports, as a byte count: a 64-bit system with 4 GiB or
// more reports a larger figure, which saturates rather than wrapping to a small one.
DWORD TotalPhysBytes(const MEMORYSTATUS& status);

// The budget for a pool size; 0 means the system chooses its default pool.
DWORD CalcUsableMemory(DWORD dwTotalPhys, DWORD dwPoolSize);

// Start-up's budget: FALSE (a refusal) below kMinTotalPhys, otherwise TRUE and the budget.
BOOL CalcStartupUsableMemory(DWORD dwTotalPhys, DWORD dwPoolSize, DWORD* pdwBudget);

// The lowest percentage of the pool scale; it stands for the system's default pool.
int CalcMinPoolPercent(DWORD dwTotalPhys);

// The percentage that a stored pool size stands for; not clamped.
int CalcPoolPercent(DWORD dwTotalPhys, DWORD dwPoolSize, int nMinPercent);

// The pool size for a percentage between nMinPercent and 75; 0 at nMinPercent.
DWORD CalcPoolSize(DWORD dwTotalPhys, int nPercent, int nMinPercent);
