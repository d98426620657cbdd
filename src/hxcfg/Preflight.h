// Before a writing command changes anything: can it? Each key the plan touches is opened, and
// closed again, with the access that applying the plan will ask for; nothing is changed, so a
// refusal here leaves the machine as it was.
#pragma once

#include "config/RegistryPlan.h"
#include "hxcfg/Registry.h"
#include "hxcfg/Text.h"

// Every key of the plan, in its order: a key it opens or creates, with the access the plan asks
// for it; for a key still to be created, its nearest existing parent, with the right to create
// a subkey; for a tree to delete, every key in it, with the access its deletion needs.
// ERROR_SUCCESS, or the first refusal, with the key that refused in *pKey.
LONG ProbePlan(const CRegPlan& plan, CText* pKey);
