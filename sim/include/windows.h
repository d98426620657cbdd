// The simulated Windows: the subset of the Win32 API that HxSetup calls, with the real names,
// signatures and constant values. Product code includes this as <windows.h> in the host build.
#pragma once

#include "simwin/types.h"
#include "simwin/kernel.h"
#include "simwin/registry.h"
#include "simwin/security.h"
#include "simwin/user.h"
#include "simwin/gdi.h"
#include "simwin/styles.h"
