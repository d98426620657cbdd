// hxcfg ramdisk, mirror and pool: the dialog's choices without the dialog. The whole change is
// planned and checked first, before anything is written, by the dialog's own operations; then the
// plan is applied, so the registry ends exactly as the dialog would leave it.
#include "budget/MemoryBudget.h"
#include "config/ChangeStart.h"
#include "config/DriverConfig.h"
#include "config/RegistryLayout.h"
#include "hxcfg/Commands.h"
#include "hxcfg/Console.h"
#include "hxcfg/MirrorDrive.h"
#include "hxcfg/Preflight.h"
#include "hxcfg/Registry.h"

namespace {
// What the user chose, once checked: applied to the record in both stages.
struct Choice {
    BOOL bDrive = FALSE;
    DriveEntry entry = {};
    BOOL bPool = FALSE;
    DWORD dwPoolSize = 0;
    DWORD dwBudget = 0; // after the pool change
};

// The dialog's record changes for the choice; TRUE when a RAM disk had to shrink.
BOOL ApplyChoice(const Choice& choice, CDriverConfig* pConfig) {
    if (choice.bDrive)
        pConfig->ConfigureDrive(choice.entry);
    if (!choice.bPool)
        return FALSE;
    pConfig->NonPagedPoolSize = choice.dwPoolSize;
    return pConfig->FitRamDiskToBudget(choice.dwBudget);
}

int Refuse(const CText& reason) {
    PrintError(reason.Get());
    return kExitRefused;
}

int Refuse(const char* pszReason) {
    PrintError(pszReason);
    return kExitRefused;
}

// The drive list as the dialog builds it; nullptr after the one line that says why not.
DriveEntry* ListDrives(DWORD dwBudget, CConsoleReport& report) {
    int nBefore = report.Reported();
    DriveEntry* pDrives = BuildCandidateDrives(dwBudget, report);
    if (pDrives == nullptr && report.Reported() == nBefore)
        PrintError("the drive list could not be built");
    return pDrives;
}

int ChooseRamDisk(const HxArgs& args, DWORD dwBudget, CConsoleReport& report, Choice* pChoice,
                  CText* pOut) {
    DriveEntry* pDrives = ListDrives(dwBudget, report);
    if (pDrives == nullptr)
        return kExitRefused;
    const DriveEntry* pRamDisk = pDrives;
    while (pRamDisk->pNext != nullptr)
        pRamDisk = pRamDisk->pNext; // the list always ends with the RAM disk
    pChoice->bDrive = TRUE;
    pChoice->entry = *pRamDisk;
    pChoice->entry.pNext = nullptr;
    FreeDriveList(pDrives);

    // A size that would not fit 32 bits is above every budget too.
    if (args.dwSizeMiB != 0) {
        if (args.dwSizeMiB > dwBudget / kMiB) {
            CText reason;
            reason.Add("SIZE ").AddDword(args.dwSizeMiB).Add("M is above the budget of ");
            reason.AddDword(dwBudget).Add(" bytes (").AddDword(dwBudget / kMiB).Add("M)");
            return Refuse(reason);
        }
        pChoice->entry.llSize = static_cast<LONGLONG>(args.dwSizeMiB) * kMiB;
    } else if (dwBudget < kMiB) {
        CText reason;
        reason.Add("the budget of ").AddDword(dwBudget).Add(" bytes leaves no room for a RAM disk");
        return Refuse(reason);
    }
    pOut->Add("RAM disk S: of ").AddDword(static_cast<DWORD>(pChoice->entry.llSize));
    pOut->AddLine(" bytes");
    return kExitDone;
}

int ChooseMirror(const HxArgs& args, DWORD dwBudget, CConsoleReport& report, Choice* pChoice,
                 CText* pOut) {
    DriveEntry* pDrives = ListDrives(dwBudget, report);
    if (pDrives == nullptr)
        return kExitRefused;
    CText reason;
    pChoice->bDrive =
        CheckMirrorDrive(args.cDrive, pDrives, dwBudget, FALSE, &pChoice->entry, &reason);
    FreeDriveList(pDrives);
    if (!pChoice->bDrive)
        return Refuse(reason);
    pOut->Add("Mirror of drive ").Add(pChoice->entry.szDriveName).Add(", disk ");
    pOut->AddDword(pChoice->entry.dwDiskNumber).Add(" partition ");
    pOut->AddDword(pChoice->entry.dwPartitionNumber).AddChar('\n');
    return kExitDone;
}

int ChoosePool(const HxArgs& args, DWORD dwTotalPhys, Choice* pChoice, CText* pOut) {
    int nMin = CalcMinPoolPercent(dwTotalPhys);
    int nPercent = args.pool == kPoolDefault ? nMin
                   : args.pool == kPoolMax   ? kMaxPoolPercent
                                             : args.nPercent;
    if (nPercent < nMin) {
        CText reason;
        reason.Add("the pool size is at least ").AddDword(static_cast<DWORD>(nMin));
        reason.Add(" % on this machine");
        return Refuse(reason);
    }
    pChoice->bPool = TRUE;
    pChoice->dwPoolSize = CalcPoolSize(dwTotalPhys, nPercent, nMin);
    pChoice->dwBudget = CalcUsableMemory(dwTotalPhys, pChoice->dwPoolSize);
    // The percentage the pool size stands for, as status and the pool dialog read it back: the
    // system keeps 16 MiB outside the pool, so on a small machine a large percentage is cut down,
    // and a size rounded to its granule may read back one lower.
    int nStored = CalcPoolPercent(dwTotalPhys, pChoice->dwPoolSize, nMin);
    pOut->Add("Pool size: ").AddDword(pChoice->dwPoolSize).Add(" bytes (");
    pOut->AddDword(static_cast<DWORD>(nStored)).Add(" %");
    if (nStored != nPercent)
        pOut->Add("; ").AddDword(static_cast<DWORD>(nPercent)).Add(" % asked");
    pOut->AddLine(")");
    pOut->Add("Usable budget: ").AddDword(pChoice->dwBudget).AddLine(" bytes");
    return kExitDone;
}

// hxcfg's own checks before preparation. The pool alone where the driver has no service key,
// never configured or removed: preparing the system and writing the record would install the
// driver again. A key that merely failed to open must not be taken for one that is not there.
// Membership is all the rights check asks, as the dialog's does; an administrator's console that
// is not elevated passes it and is then refused the keys that planning opens to change. Refused
// here, that says what to do, where the store's words would not.
class CConsoleStart final : public CChangeStart {
public:
    explicit CConsoleStart(const HxArgs& args) : m_args(args) {}

protected:
    BOOL CheckBeforePreparation(StartPreparation* pHow) override {
        LONG lService = m_args.verb == kVerbPool ? KeyOpenResult(HX_KEY_SERVICE) : ERROR_SUCCESS;
        if (lService != ERROR_SUCCESS && lService != ERROR_FILE_NOT_FOUND) {
            PrintKeyError("cannot open", HX_KEY_SERVICE, lService);
            return FALSE;
        }
        if (m_args.verb == kVerbPool && lService == ERROR_FILE_NOT_FOUND)
            *pHow = kPreparePoolOnly;
        static const char* const kPlannedKeys[] = {HX_KEY_MEMORY_MANAGEMENT, HX_KEY_GROUP_ORDER};
        for (int i = 0; i < (*pHow == kPreparePoolOnly ? 1 : 2); ++i) {
            LONG lError = ProbeKey(kPlannedKeys[i], KEY_ALL_ACCESS);
            if (lError == ERROR_ACCESS_DENIED) {
                RefuseAccess(kPlannedKeys[i], lError, m_args.bDryRun);
                return FALSE;
            }
        }
        return TRUE;
    }

private:
    const HxArgs& m_args;
};
} // namespace

int RunConfigure(const HxArgs& args, CConsoleReport& report) {
    // Stage 1: the plan. Every refusal comes here, before anything is written.
    CDriverConfig config;
    CRegPlan plan;
    CConsoleStart start(args);
    switch (start.Run(kPreparePlanned, &config, &plan, report)) {
    case kStartReady:
        break;
    case kStartNotAdministrator:
        return Refuse("you must be an administrator to configure Halcyonix" HX_RUN_ELEVATED);
    case kStartStopped:
        return kExitRefused;
    case kStartTooLittleMemory: {
        CText reason;
        reason.Add("the system needs at least ").AddDword(kMinTotalPhys);
        reason.Add(" bytes of memory for Halcyonix");
        return Refuse(reason);
    }
    }
    BOOL bPoolOnly = start.How() == kPreparePoolOnly;
    DWORD dwTotalPhys = start.dwTotalPhys;
    DWORD dwBudget = start.dwBudget;

    Choice choice;
    CText out;
    int nExit = args.verb == kVerbRamDisk  ? ChooseRamDisk(args, dwBudget, report, &choice, &out)
                : args.verb == kVerbMirror ? ChooseMirror(args, dwBudget, report, &choice, &out)
                                           : ChoosePool(args, dwTotalPhys, &choice, &out);
    if (nExit != kExitDone)
        return nExit;
    if (ApplyChoice(choice, &config)) {
        out.Add("RAM disk S: resized to ").AddDword(config.DiskSize);
        out.AddLine(" bytes, the new budget");
    }
    if (bPoolOnly)
        config.PlanPoolSize(&plan);
    else
        config.PlanWrite(&plan);
    nExit = DeliverUnapplied(args, out, plan);
    if (nExit >= 0)
        return nExit;

    // Stage 2: the plan applied, and what the driver will make of it.
    nExit = ApplyPlan(out, &plan);
    if (nExit != kExitDone || bPoolOnly)
        return nExit;
    return PrintVerdict();
}
