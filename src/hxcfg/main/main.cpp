// hxcfg.exe: the console companion of HxSetup.exe.
#include "hxcfg/Commands.h"
#include "hxcfg/ConsoleReport.h"

IReport& DefaultReport() {
    return ConsoleDefaultReport();
}

int main(int argc, char** argv) {
    return HxcfgMain(argc, argv);
}
