#include "ui/PoolSizeRules.h"

#include "budget/MemoryBudget.h"

PoolButtons ButtonsForPercent(int nPercent, int nMinPercent) {
    PoolButtons buttons = {nPercent != nMinPercent, nPercent != kMaxPoolPercent};
    return buttons;
}

PoolButtons ButtonsForProposal(int nProposed, int nMinPercent) {
    PoolButtons buttons = {nMinPercent < nProposed, nProposed < kMaxPoolPercent};
    return buttons;
}

int HoldOnScale(int nProposed, int nMinPercent) {
    if (nProposed < nMinPercent)
        return nMinPercent;
    if (nProposed > kMaxPoolPercent)
        return kMaxPoolPercent;
    return nProposed;
}

BOOL IsOnScale(int nPercent, int nMinPercent) {
    return nPercent >= nMinPercent && nPercent <= kMaxPoolPercent;
}
