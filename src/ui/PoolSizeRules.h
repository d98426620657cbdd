// The pool size dialog's rules, apart from its windows: which of "&Default" and "&Maximum" can
// be pressed, how a position the arrows propose is held on the scale, and which percentages OK
// takes. The scale runs from the machine's minimum, which stands for the platform default, to
// kMaxPoolPercent.
#pragma once

#include <windows.h>

struct PoolButtons {
    BOOL bDefault;
    BOOL bMaximum;
};

// For the percentage the dialog opens with: each button unless the percentage is already
// where it leads. A percentage off the scale leaves both enabled.
PoolButtons ButtonsForPercent(int nPercent, int nMinPercent);

// For a position the arrows propose, judged before it is held on the scale: "&Default" while it
// is above the minimum, "&Maximum" while it is below the maximum.
PoolButtons ButtonsForProposal(int nProposed, int nMinPercent);

// The proposed position brought back onto the scale.
int HoldOnScale(int nProposed, int nMinPercent);

// OK takes a percentage on the scale, both ends included.
BOOL IsOnScale(int nPercent, int nMinPercent);
