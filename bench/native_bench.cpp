// Native benchmarks of the unchanged product on the simulated Windows (Google Benchmark).
// scripts/bench runs them and prints the medians; nothing here asserts a time.
//
//   BM_FullRun          start-up on a fresh Windows NT, a drive picked, OK, the registry written
//   BM_BuildDriveList26 the candidate list of a machine with 26 fixed drives, built and freed
//
// BM_FullRun also reports the registry calls the run made (registry_calls, from sim's call log)
// beside the least number the registry layout allows (registry_least; see kLeastRegistryCalls).
#include <benchmark/benchmark.h>
#include <sim/machine.h>
#include <sim/ui.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/HxSetupApp.h"
#include "drives/DriveEntry.h"
#include "hx_machine.h"
#include "res/resource.h"
#include "ui/BoxReport.h"

namespace {

// A fresh Windows NT as the Wine prefix of the start-up benchmark is seeded: the pool size left
// to the system, the group order with "filter", a large system disk, and one small fixed drive
// that fits the budget.
void SeedFreshNt() {
    hxtest::SeedNtSystem(0);
    sim::AddDrive(hxtest::FixedDrive('D', 2048).Device("\\Device\\Harddisk1\\Partition1")); // 1 MiB
}

// The administrator picks the first row (the small drive), configures it and confirms with OK.
void QueuePickAndConfirm() {
    sim::ui::OnDialog(IDD_HXSETUP_DIALOG, [](sim::ui::Dialog& d) {
        d.ClickListRow(IDC_DRIVE_LIST, 0);
        d.Click(IDC_SELECT_DRIVE);
        d.Click(IDOK); // Enter would press Select/Configure again: it has the focus now
    });
}

void RunProgram() {
    // The application object lives in a library member nothing else refers to: name it, so
    // that it is linked in and registers itself as the application.
    benchmark::DoNotOptimize(&theApp);
    sim::SetCommandLine("HxSetup.exe");
    AfxWinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
}

// The least registry traffic a first configuration can make with this layout, key by key:
//   Memory Management   open, query NonPagedPoolSize, set it, close (one handle held across
//                       the dialog)                                                        4
//   ServiceGroupOrder   open, query List, set List, close                                  4
//   EventLog source     create, set TypesSupported and EventMessageFile, close             4
//   installed config    open HxVol, which fails (Parameters lies below it, so need not be
//                       tried)                                                             1
//   HxVol               create, set ErrorControl, Start, Type, Group, close                6
//   HxVol\Parameters    create, set BreakOnEntry, DebugLevel, Drive, Partition, DiskSize,
//                       DosDevice, close                                                   8
const int kLeastRegistryCalls = 4 + 4 + 4 + 1 + 6 + 8;

int CountRegistryCalls(const std::vector<std::string>& log) {
    int n = 0;
    for (const std::string& line : log)
        n += line.compare(0, 3, "Reg") == 0;
    return n;
}

void BM_FullRun(benchmark::State& state) {
    int nRegistryCalls = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sim::Reset();
        SeedFreshNt();
        QueuePickAndConfirm();
        state.ResumeTiming();

        RunProgram();

        state.PauseTiming();
        // A run that did not get as far as the registry would flatter the figure.
        auto dosDevice = sim::GetValue(hxtest::kParametersKey, "DosDevice");
        if (!dosDevice || dosDevice->data.size() < 2 || dosDevice->data[0] != 'D' ||
            dosDevice->data[1] != ':' || sim::ui::UnscriptedDialogs() != 0 ||
            !sim::MessageBoxes().empty()) {
            state.SkipWithError("the run did not configure drive D: and write the registry");
            break;
        }
        nRegistryCalls = CountRegistryCalls(sim::CallLog());
        state.ResumeTiming();
    }
    state.counters["registry_calls"] = nRegistryCalls;
    state.counters["registry_least"] = kLeastRegistryCalls;
}
BENCHMARK(BM_FullRun)->Unit(benchmark::kMicrosecond);

void BM_BuildDriveList26(benchmark::State& state) {
    sim::Reset();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        // 1 MiB: every drive is a candidate
        sim::AddDrive(hxtest::FixedDrive(letter, 2048)
                          .Device(std::string("\\Device\\Harddisk") + std::to_string(letter - 'A') +
                                  "\\Partition1"));
    }
    const DWORD dwBudget = 16u << 20;
    int nEntries = 0;
    for (auto _ : state) {
        DriveEntry* pHead = BuildCandidateDrives(dwBudget, BoxReport());
        benchmark::DoNotOptimize(pHead);
        state.PauseTiming();
        nEntries = 0;
        for (const DriveEntry* p = pHead; p != nullptr; p = p->pNext)
            ++nEntries;
        // The call log grows with every call; keep it from dominating the memory traffic.
        sim::ClearCallLog();
        state.ResumeTiming();
        FreeDriveList(pHead);
    }
    if (nEntries != 27)
        state.SkipWithError("expected 26 drives and the RAM disk in the list");
    state.counters["entries"] = nEntries;
}
BENCHMARK(BM_BuildDriveList26)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
