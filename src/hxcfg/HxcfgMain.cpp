#include "hxcfg/Commands.h"
#include "hxcfg/Console.h"
#include "hxcfg/RegFile.h"

int DeliverUnapplied(const HxArgs& args, const CRegText& change) {
    CText text;
    change.Render(&text);
    if (args.bDryRun) {
        PrintOut(text);
        return kExitDone;
    }
    if (args.pszRegFile == nullptr)
        return -1;

    return WriteNewFile(args.pszRegFile, text);
}

void PrintWritten(const CRegText& written, BOOL bComplete) {
    CText out;
    if (!bComplete)
        out.AddLine(written.Empty() ? "Nothing was written before the failure."
                                    : "Written before the failure, and left so:");
    if (!written.Empty())
        written.Render(&out);
    PrintOut(out);
}

int HxcfgMain(int argc, char** argv) {
    CConsoleReport report;
    HxArgs args;
    CText error;
    ParseResult parsed =
        ParseArguments(argc > 0 ? argc - 1 : 0, argc > 0 ? argv + 1 : argv, &args, &error);
    if (parsed == kUsageError) {
        PrintError(error.Get());
        return kExitUsage;
    }
    if (parsed == kParsedHelp) {
        CText usage;
        usage.Add(UsageText());
        PrintOut(usage);
        return kExitDone;
    }
    switch (args.verb) {
    case kVerbStatus:
        return RunStatus();
    case kVerbRemove:
        return RunRemove(args);
    default:
        return RunConfigure(args, report);
    }
}
