#include "hxcfg/Commands.h"

#include "config/WriterLock.h"
#include "hxcfg/Console.h"
#include "hxcfg/RegFile.h"

void RenderPlan(const CRegPlan& plan, int nSteps, CRegText* pText) {
    for (int i = 0; i < nSteps; ++i) {
        const RegStep& step = plan.Step(i);
        switch (step.kind) {
        case kStepOpenKey: // opening writes nothing
            break;
        case kStepCreateKey:
            pText->CreateKey(step.pszKey);
            break;
        case kStepSetValue:
            pText->SetValue(step.pszKey, step.pszName, step.dwType, step.pbData, step.cbData);
            break;
        case kStepDeleteTree:
            pText->DeleteKey(step.pszKey);
            break;
        }
    }
}

int DeliverUnapplied(const HxArgs& args, const CText& summary, const CRegPlan& plan) {
    CRegText change;
    RenderPlan(plan, plan.Count(), &change);
    CText text;
    change.Render(&text);
    if (args.bDryRun) {
        CText out;
        out.Add(summary).Add(text);
        PrintOut(out);
        return kExitDone;
    }
    if (args.pszRegFile == nullptr)
        return -1;

    return WriteNewFile(args.pszRegFile, text, summary);
}

BOOL ApplyPlan(const CText& summary, CRegPlan* pPlan) {
    PrintOut(summary);
    BOOL bDone = pPlan->Apply();
    CRegText written;
    RenderPlan(*pPlan, pPlan->Applied(), &written);
    CText out;
    if (!bDone)
        out.AddLine(written.Empty() ? "Nothing was written before the failure."
                                    : "Written before the failure, and left so:");
    if (!written.Empty())
        written.Render(&out);
    PrintOut(out);
    return bDone;
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
    if (args.verb == kVerbStatus)
        return RunStatus();
    // Only a run that writes the registry takes the lock: status, --dry-run and --reg read it.
    CWriterLock lock;
    if (!args.bDryRun && args.pszRegFile == nullptr) {
        switch (lock.TakeForCommand()) {
        case kLockTaken:
            break;
        case kLockDialogOpen:
            // Its OK would write back the whole record as it read it at its start.
            PrintError("HxSetup is open on this machine; close it first, then run hxcfg again");
            return kExitRefused;
        case kLockBusy: {
            CText busy;
            busy.Add("another hxcfg is changing the configuration and did not finish in ");
            busy.AddDword(kWriterWaitMs / 1000).Add(" seconds; run hxcfg again when it has");
            PrintError(busy.Get());
            return kExitRefused;
        }
        }
    }
    switch (args.verb) {
    case kVerbRemove:
        return RunRemove(args);
    default:
        return RunConfigure(args, report);
    }
}

int HxcfgMainW(LPCWSTR pszCommandLine) {
    CAnsiArguments args;
    CText error;
    if (!args.Take(pszCommandLine, &error)) {
        PrintError(error.Get());
        return kExitUsage;
    }
    return HxcfgMain(args.Argc(), args.Argv());
}
