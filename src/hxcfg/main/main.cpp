// hxcfg.exe: the console companion of HxSetup.exe.
#include "hxcfg/Commands.h"

// The C run-time's argv is the command line already taken through the ANSI code page, with
// look-alikes for what it lacks; hxcfg reads the line as typed instead.
int main(int, char**) {
    return HxcfgMainW(GetCommandLineW());
}
