#include <stdio.h>

#include "hxcfg/Commands.h"
#include "hxcfg/Console.h"

int DeliverUnapplied(const HxArgs& args, const CRegText& change) {
    CText text;
    change.Render(&text);
    if (args.bDryRun) {
        PrintOut(text);
        return kExitDone;
    }
    if (args.pszRegFile == nullptr)
        return -1;

    // Never over an existing file: it may be another machine's export.
    FILE* pFile = fopen(args.pszRegFile, "rb");
    if (pFile != nullptr) {
        fclose(pFile);
        CText error;
        error.AddQuoted(args.pszRegFile).Add(" exists already: not overwritten");
        PrintError(error.Get());
        return kExitRefused;
    }
    pFile = fopen(args.pszRegFile, "w"); // text mode: the lines end as the system's do
    BOOL bWritten =
        pFile != nullptr && fwrite(text.Get(), 1, text.Length(), pFile) == text.Length();
    if (pFile != nullptr && fclose(pFile) != 0)
        bWritten = FALSE;
    if (!bWritten) {
        if (pFile != nullptr)
            remove(args.pszRegFile); // no half a change left for someone to import
        CText error;
        error.AddQuoted(args.pszRegFile).Add(" could not be written");
        PrintError(error.Get());
        return kExitRefused;
    }
    CText out;
    out.Add("Change written to ").AddQuoted(args.pszRegFile).AddChar('\n');
    PrintOut(out);
    return kExitDone;
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
