#include "hxcfg/Commands.h"

#include "config/WriterLock.h"
#include "hxcfg/Console.h"
#include "hxcfg/Preflight.h"
#include "hxcfg/RegText.h"

namespace {
// Holds what the store reports while the plan is applied, so that the one line that says why the
// run stopped carries the store's words together with what failed and the system's reason.
class CHeldReport final : public IReport {
public:
    CHeldReport() : m_pszText(nullptr) {}
    CHeldReport(const CHeldReport&) = delete;
    CHeldReport& operator=(const CHeldReport&) = delete;

    void Report(ReportKind, const char* pszText) override { m_pszText = pszText; }
    const char* Text() const { return m_pszText; }

private:
    const char* m_pszText;
};

// "STORE'S WORDS: cannot write NAME in HKEY_LOCAL_MACHINE\KEY (error N: the system's text)".
void PrintFailedStep(const CRegPlan& plan, const char* pszStoreText) {
    const RegStep& step = plan.Step(plan.Applied());
    CText line;
    if (pszStoreText != nullptr)
        line.Add(pszStoreText).Add(": ");
    switch (step.kind) {
    case kStepOpenKey:
        line.Add("cannot open");
        break;
    case kStepCreateKey:
        line.Add("cannot create");
        break;
    case kStepSetValue:
        line.Add("cannot write ").Add(step.pszName).Add(" in");
        break;
    case kStepDeleteTree:
        line.Add("cannot delete");
        break;
    }
    line.Add(" HKEY_LOCAL_MACHINE\\").Add(plan.FailedKey()).Add(" (");
    line.AddError(plan.LastError()).AddChar(')');
    PrintError(line.Get());
}
} // namespace

int RefuseAccess(const char* pszKey, LONG lError, BOOL bDryRun) {
    CText line;
    if (bDryRun)
        line.Add("the change would be refused: ");
    line.Add("cannot open HKEY_LOCAL_MACHINE\\").Add(pszKey).Add(" to change it (");
    line.AddError(lError).AddChar(')');
    if (lError == ERROR_ACCESS_DENIED)
        line.Add(HX_RUN_ELEVATED);
    PrintError(line.Get());
    return kExitRefused;
}

int DeliverUnapplied(const HxArgs& args, const CText& summary, const CRegPlan& plan) {
    CRegText change;
    change.AddSteps(plan, plan.Count());
    CText text;
    change.Render(&text);
    // A file may be meant for other machines: this one's permissions are not asked.
    if (args.pszRegFile != nullptr)
        return WriteNewFile(args.pszRegFile, text, summary);
    CText key;
    LONG lError = ProbePlan(plan, &key);
    if (lError != ERROR_SUCCESS)
        return RefuseAccess(key.Get(), lError, args.bDryRun);
    if (!args.bDryRun)
        return -1;
    CText out;
    out.Add(summary).Add(text);
    PrintOut(out);
    return kExitDone;
}

int ApplyPlan(const CText& summary, CRegPlan* pPlan) {
    PrintOut(summary);
    CHeldReport held;
    BOOL bDone = pPlan->Apply(held);
    const char* pszStoreText = held.Text();
    CRegText written;
    written.AddSteps(*pPlan, pPlan->Applied());
    if (!bDone) {
        // The subkeys of a tree that its deletion took before it stopped.
        for (int i = 0; i < pPlan->DeletedCount(); ++i)
            written.DeleteKey(pPlan->Deleted(i));
    }
    CText out;
    if (!bDone)
        out.AddLine(written.Empty() ? "Nothing was written before the failure."
                                    : "Written before the failure, and left so:");
    if (!written.Empty())
        written.Render(&out);
    PrintOut(out);
    if (bDone)
        return kExitDone;
    PrintFailedStep(*pPlan, pszStoreText);
    return kExitWriteFailed;
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
        AddUsage(&usage);
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
