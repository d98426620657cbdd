#include "hxcfg/Commands.h"
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
    switch (args.verb) {
    case kVerbStatus:
        return RunStatus();
    case kVerbRemove:
        return RunRemove(args);
    default:
        return RunConfigure(args, report);
    }
}
