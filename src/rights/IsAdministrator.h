// The rights check of every run that changes the configuration.
#pragma once

#include <windows.h>

// 1 when the calling user belongs to the built-in Administrators group, else 0.
BOOL IsAdministrator();
