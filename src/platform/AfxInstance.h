// The module whose resources the dialogs, icons and bitmaps come from.
#pragma once

#include <windows.h>

// The application's instance, or the executable's own module when the application object has
// none (a dialog run before or without the framework's entry).
HINSTANCE AfxGetInstanceHandle();
