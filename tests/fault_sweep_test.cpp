// Fault sweep: whole runs through AfxWinMain in which one fallible OS call fails, once or from
// then on, for every such call a clean run makes. What the user must see and what must stay
// written follow from WHICH call failed (its api, key and value, as sim recorded the clean run's
// fallible calls), never from what the program happened to do.
//
// The clean run's fallible-call count is pinned per scenario: a new call site changes it, and
// the sweep must then be looked at again before the constant is updated.
#include <gtest/gtest.h>
#include <sim/machine.h>
#include <sim/ui.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/HxSetupApp.h"
#include "hx_test_support.h"
#include "res/resource.h"

using namespace hxtest;

namespace {

const DWORD kMiB = 1048576;
const DWORD kRamDiskBudget = 8 * kMiB; // 32 MiB of memory, the system's own pool size
const DWORD kMaximumPool = 16 * kMiB;  // "Maximum" on 32 MiB

// ---- the boxes of the failure tables ----
const Box kNotAdmin = {true, "You must be an Administrator to\ninstall or reconfigure Halcyonix.",
                       "Insufficient Privileges", MB_ICONERROR};
const Box kRegistryError = {true, "Error writing registry!", "System registry error", MB_ICONERROR};
const Box kPoolNotAltered = AppBox("Warning, unable to alter NonPagedPool setting");

// ---- one fallible call of the clean run ----
enum class Phase {
    Rights,       // the token check
    Prepare,      // PrepareSystem's keys
    Read,         // ReadInstalledConfig
    BeforeDialog, // between the read and the main dialog (the dialog's font)
    MainDialog,   // the main dialog's own DialogBoxParamA
    Dialog,       // anything while the main dialog runs
    Write,        // WriteConfig
};

struct Call {
    sim::Api api = sim::Api::RegOpenKeyEx;
    std::string key;   // registry key (one of hxtest's), drive root or device, dialog template
    std::string value; // registry value name; "" if none
    Phase phase = Phase::Rights;
    bool afterPoolDialog = false;
};

bool IsRegistry(sim::Api api) {
    return api == sim::Api::RegOpenKeyEx || api == sim::Api::RegCreateKeyEx ||
           api == sim::Api::RegQueryValueEx || api == sim::Api::RegSetValueEx ||
           api == sim::Api::RegCloseKey;
}

// The calls that draw rather than configure: the dialog's font and device contexts.
bool IsDrawing(sim::Api api) {
    return api == sim::Api::GetDC || api == sim::Api::CreateFontIndirect;
}

// The error a failing call of that api plausibly reports.
DWORD ErrorFor(const Call& c) {
    switch (c.api) {
    case sim::Api::RegQueryValueEx:
        return ERROR_MORE_DATA;
    case sim::Api::RegSetValueEx:
    case sim::Api::RegCloseKey:
        return ERROR_REGISTRY_IO_FAILED;
    case sim::Api::LocalAlloc:
    case sim::Api::DialogBoxParam:
    case sim::Api::GetDC:
    case sim::Api::CreateFontIndirect:
        return ERROR_NOT_ENOUGH_MEMORY;
    case sim::Api::GetLogicalDriveStrings:
    case sim::Api::GetDriveType:
    case sim::Api::GetDiskFreeSpace:
    case sim::Api::GetVolumeInformation:
    case sim::Api::QueryDosDevice:
        return ERROR_NOT_READY;
    case sim::Api::SetTimer:
        return ERROR_NOT_ENOUGH_MEMORY;
    case sim::Api::WinHelp:
        return ERROR_FILE_NOT_FOUND;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

std::string Describe(const Call& c) {
    return std::string(sim::ApiName(c.api)) + " " + c.key + " " + c.value;
}

// ---- scenarios ----
using Overrides = std::map<std::pair<std::string, std::string>, sim::RegValue>;

sim::RegValue Dword(DWORD v) {
    return {REG_DWORD,
            std::vector<BYTE>(reinterpret_cast<BYTE*>(&v), reinterpret_cast<BYTE*>(&v) + 4)};
}
// Two bytes are written from the field; Windows stores the NUL that follows them in memory too.
sim::RegValue DosDevice(const char (&two)[3]) {
    return {REG_SZ, {BYTE(two[0]), BYTE(two[1]), 0}};
}

// What the record writes when nothing was read into it and no drive was chosen.
Overrides DefaultRecord() {
    return {{{kServiceKey, "Start"}, Dword(4)},
            {{kParametersKey, "Drive"}, Dword(0)},
            {{kParametersKey, "Partition"}, Dword(1)},
            {{kParametersKey, "DiskSize"}, Dword(0)},
            {{kParametersKey, "BreakOnEntry"}, Dword(0)},
            {{kParametersKey, "DebugLevel"}, Dword(0)},
            {{kParametersKey, "DosDevice"}, {REG_SZ, {0, 0}}}};
}
// The RAM disk chosen on a machine of 32 MiB.
Overrides RamDiskRecord() {
    return {{{kServiceKey, "Start"}, Dword(0)},
            {{kParametersKey, "Drive"}, Dword(0)},
            {{kParametersKey, "Partition"}, Dword(0)},
            {{kParametersKey, "DiskSize"}, Dword(kRamDiskBudget)},
            {{kParametersKey, "DosDevice"}, DosDevice("S:")}};
}

struct Scenario {
    const char* name;
    std::size_t cleanCalls; // pinned: see the file comment
    std::function<void()> seed;
    std::function<void(sim::ui::Dialog&)> script;
    // What is written instead when the run goes on after a transient failure of `c`; nullopt:
    // exactly what the clean run writes.
    std::function<Overrides(const Call& c)> overrides;
};

void Extend(sim::ui::Dialog& d) {
    sim::ui::OnDialog(IDD_POOLSIZE, [](sim::ui::Dialog& p) {
        p.Click(IDC_POOL_MAXIMUM);
        p.Enter();
    });
    d.Click(IDC_EXTEND_POOL);
}

bool IsListCall(const Call& c) {
    return c.api == sim::Api::GetLogicalDriveStrings || c.api == sim::Api::GetDriveType ||
           c.api == sim::Api::GetDiskFreeSpace || c.api == sim::Api::GetVolumeInformation ||
           c.api == sim::Api::QueryDosDevice;
}

// The installed configuration's fields that a failed read leaves at their defaults.
Overrides UnreadFields(const Call& c) {
    Overrides all = DefaultRecord();
    if (c.api == sim::Api::RegOpenKeyEx)
        return all; // either key not open: nothing at all is read
    if (c.api == sim::Api::RegQueryValueEx) {
        auto it = all.find({c.key, c.value});
        if (it != all.end())
            return {*it};
    }
    return {};
}

const Scenario kScenarios[] = {
    {"fresh system, OK", 44, [] { SeedNtSystem(); },
     [](sim::ui::Dialog& d) {
         sim::ui::AdvanceClock(250);
         d.Enter();
     },
     [](const Call&) { return Overrides{}; }},
    {"installed RAM disk S:, OK", 52,
     [] {
         SeedNtSystem();
         std::vector<std::string> groups = kNtGroups;
         groups.insert(std::find(groups.begin(), groups.end(), "filter"), "Halcyonix");
         sim::SeedMultiSz(kGroupOrderKey, "List", groups);
         sim::SeedKey(kEventSourceKey, "REG_EXPAND_SZ");
         sim::SeedDword(kEventSourceKey, "TypesSupported", 7);
         SeedInstalled(0, 0, 0, kRamDiskBudget, "S:");
         sim::SeedDword(kParametersKey, "BreakOnEntry", 1);
         sim::SeedDword(kParametersKey, "DebugLevel", 2);
     },
     [](sim::ui::Dialog& d) {
         sim::ui::AdvanceClock(250);
         d.Enter();
     },
     [](const Call& c) { return c.phase == Phase::Read ? UnreadFields(c) : Overrides{}; }},
    {"drive D: configured, OK", 50,
     [] {
         SeedNtSystem();
         sim::AddDrive(FixedDrive('D', 4096)); // 2 MiB on disk 1, partition 2
     },
     [](sim::ui::Dialog& d) {
         sim::ui::AdvanceClock(250);
         d.ClickListRow(IDC_DRIVE_LIST, 0);
         d.Click(IDC_SELECT_DRIVE);
         d.Click(IDOK); // the OK button: Enter would press the button that has the focus
     },
     [](const Call& c) {
         if (c.phase != Phase::Dialog || !IsListCall(c))
             return Overrides{};
         // D: left out: the first row is the RAM disk, and that is what gets configured.
         if (c.api == sim::Api::GetDriveType)
             return c.key == "D:\\" ? RamDiskRecord() : Overrides{};
         return DefaultRecord(); // no list, no pick: the record as read
     }},
    {"Extend Pool Memory (Maximum), OK", 58,
     [] {
         SeedNtSystem();
         sim::AddDrive(FixedDrive('D', 4096)); // 2 MiB on disk 1, partition 2
     },
     [](sim::ui::Dialog& d) {
         sim::ui::AdvanceClock(250);
         Extend(d);
         d.Click(IDOK);
     },
     [](const Call& c) {
         // The pool dialog never ran: the pool size read at start is written back.
         if (c.api == sim::Api::DialogBoxParam && c.key == std::to_string(IDD_POOLSIZE))
             return Overrides{{{kMemoryKey, "NonPagedPoolSize"}, Dword(0)}};
         return Overrides{};
     }},
};

// ---- one run and what it left ----
struct Observed {
    std::vector<sim::FallibleCall> calls;
    std::vector<sim::MessageBoxCall> boxes;
    std::vector<bool> ownerWasActive;  // per box: owner == GetActiveWindow() when shown
    std::vector<std::size_t> openKeys; // per box: registry handles open while it was shown
    sim::Hive hive;
};

Observed RunOnce(const Scenario& s, const std::function<void()>& faults) {
    sim::Reset();
    s.seed();
    faults();
    auto active = std::make_shared<std::vector<bool>>();
    auto openKeys = std::make_shared<std::vector<std::size_t>>();
    for (int i = 0; i < 8; ++i)
        sim::ui::OnMessageBox([active, openKeys](const sim::MessageBoxCall& box) {
            active->push_back(box.owner == GetActiveWindow());
            openKeys->push_back(sim::OpenKeyCount());
            return IDOK;
        });
    sim::ui::OnDialog(IDD_HXSETUP_DIALOG, s.script);
    sim::SetCommandLine("HxSetup.exe");
    AfxWinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 1);

    Observed o;
    o.calls = sim::FallibleCalls();
    o.boxes = sim::MessageBoxes();
    o.ownerWasActive = *active;
    o.openKeys = *openKeys;
    o.hive = sim::Snapshot();
    return o;
}

// Nothing may be left held, whatever failed.
void ExpectNothingHeld() {
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
    EXPECT_EQ(sim::OpenTokenCount(), 0u);
    EXPECT_EQ(sim::LiveSidCount(), 0u);
    EXPECT_EQ(sim::LiveLocalAllocCount(), 0u);
    EXPECT_EQ(sim::OpenMutexCount(), 0u);
    EXPECT_EQ(sim::ui::OutstandingDCs(), 0u);
    EXPECT_EQ(sim::ui::OutstandingGdiObjects(), 0u);
    EXPECT_EQ(sim::ui::LiveTimerCount(), 0u);
    EXPECT_TRUE(sim::Misuses().empty()) << sim::Misuses().front();
}

void ExpectBoxesSeen(const Observed& o, const std::vector<Box>& expected) {
    std::ostringstream shown;
    for (const auto& b : o.boxes)
        shown << "\n  [" << b.caption << "] " << b.text;
    ASSERT_EQ(o.boxes.size(), expected.size()) << "boxes shown:" << shown.str();
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(o.boxes[i].text, expected[i].text) << "box " << i;
        EXPECT_EQ(o.boxes[i].caption, expected[i].caption) << "box " << i;
        EXPECT_EQ(o.boxes[i].type, expected[i].type | MB_OK) << "box " << i;
        // A box may stay up for long: the failed step's key is released before it is shown.
        EXPECT_TRUE(i < o.openKeys.size() && o.openKeys[i] == 0) << "box " << i << ": keys open";
        if (expected[i].ownerless) {
            EXPECT_EQ(o.boxes[i].owner, nullptr) << "box " << i;
        } else {
            EXPECT_TRUE(i < o.ownerWasActive.size() && o.ownerWasActive[i])
                << "box " << i << ": the application box belongs to the active window";
        }
        // The drive list's errors come while the main dialog is up: they must be owned by it.
        if (expected[i].text.rfind("Internal error", 0) == 0) {
            EXPECT_NE(o.boxes[i].owner, nullptr) << "box " << i;
        }
    }
}

// ---- the expected outcome of a failure, from the failure tables ----

// The box of a failure that ends PrepareSystem or WriteConfig; nullopt for a call whose failure
// the program rightly ignores (closing a key).
std::optional<Box> EndingBox(const Call& c) {
    if (c.api == sim::Api::RegCloseKey)
        return std::nullopt;
    if (c.phase == Phase::Prepare) {
        if (c.key == kMemoryKey)
            return ErrorBox(c.api == sim::Api::RegOpenKeyEx
                                ? "Fatal Error\n Unable to open session manager key"
                                : "Fatal Error\n Unable to query session manager");
        if (c.key == kGroupOrderKey) {
            if (c.api == sim::Api::RegOpenKeyEx)
                return AppBox("Error, unable to open service group order key");
            if (c.api == sim::Api::RegQueryValueEx)
                return AppBox("Warning, unable to query service group order");
            return AppBox("Error, couldn't write to Service Group Order");
        }
        return ErrorBox("Error, unable to register Halcyonix with event logger");
    }
    if (c.phase == Phase::Write) {
        if (c.key == kMemoryKey)
            return kPoolNotAltered;
        if (c.api == sim::Api::RegCreateKeyEx)
            return ErrorBox(c.key == kServiceKey
                                ? "Error, couldn't create Halcyonix registry key"
                                : "Error, couldn't create Halcyonix Parameters registry key");
        return ErrorBox("Error, unable to write Halcyonix registry value");
    }
    return std::nullopt;
}

// The message of a failed drive-list query, if it has one.
std::optional<Box> ListBox(const Call& c) {
    switch (c.api) {
    case sim::Api::GetLogicalDriveStrings:
        return AppBox("Internal error: GetDriveLogicalStrings() failed", MB_ICONERROR);
    case sim::Api::GetDiskFreeSpace:
        return AppBox("Internal error: GetDiskFreeSpace() failed", MB_ICONERROR);
    case sim::Api::QueryDosDevice:
        return AppBox("Internal error: QueryDosDevice() failed, drive " + c.key, MB_ICONERROR);
    default:
        return std::nullopt;
    }
}

struct Expected {
    std::vector<Box> boxes;
    std::size_t writesUpTo = 0; // the clean run's registry changes before this call index stay
    bool allWrites = false;     // ... or all of them, with the overrides
    Overrides overrides;
};

Expected ExpectTransient(const Scenario& s, const std::vector<Call>& calls, std::size_t i) {
    const Call& c = calls[i - 1];
    Expected e;
    e.writesUpTo = i;
    switch (c.phase) {
    case Phase::Rights:
        e.boxes = {kNotAdmin};
        return e;
    case Phase::Prepare:
    case Phase::Write:
        if (auto box = EndingBox(c)) {
            e.boxes = {*box};
            if (c.phase == Phase::Write)
                e.boxes.push_back(kRegistryError);
            return e;
        }
        break;
    case Phase::MainDialog:
        return e; // no dialog, no message, nothing of the user's written
    case Phase::Dialog:
        if (auto box = ListBox(c))
            e.boxes = {*box};
        break;
    default:
        break;
    }
    e.allWrites = true;
    e.overrides = s.overrides(c);
    return e;
}

Expected ExpectPersistent(const std::vector<Call>& calls, std::size_t i) {
    const Call& c = calls[i - 1];
    Expected e;
    e.writesUpTo = i; // no registry change can succeed from i on
    auto firstEnding = [&](Phase phase) -> std::optional<Box> {
        for (std::size_t j = i; j <= calls.size() && calls[j - 1].phase == phase; ++j)
            if (auto box = EndingBox(calls[j - 1]))
                return box;
        return std::nullopt;
    };
    switch (c.phase) {
    case Phase::Rights:
        e.boxes = {kNotAdmin};
        break;
    case Phase::Prepare:
        if (auto box = firstEnding(Phase::Prepare))
            e.boxes = {*box};
        break; // else: the main dialog cannot open, nothing more is shown
    case Phase::Read:
    case Phase::BeforeDialog:
    case Phase::MainDialog:
        break;
    case Phase::Dialog:
        // A list build that fails at its first query shows that query's message; every later
        // build needs the pool dialog, which cannot open. Then OK: the first write fails.
        if (auto box = ListBox(c))
            e.boxes.push_back(*box);
        e.boxes.push_back(kPoolNotAltered);
        e.boxes.push_back(kRegistryError);
        break;
    case Phase::Write:
        if (auto box = firstEnding(Phase::Write)) {
            e.boxes = {*box, kRegistryError};
        }
        break;
    }
    return e;
}

// The registry as the scenario seeds it plus the clean run's changes before call index `upTo`
// (or all of them), then the overrides.
struct CleanWrites {
    std::map<std::string, std::string> classes; // created key -> its class
    std::map<std::pair<std::string, std::string>, sim::RegValue> values;
};

sim::Hive ExpectedHive(const Scenario& s, const std::vector<Call>& calls, const CleanWrites& clean,
                       const Expected& e) {
    sim::Reset();
    s.seed();
    std::size_t end = e.allWrites ? calls.size() + 1 : e.writesUpTo;
    for (std::size_t j = 1; j < end; ++j) {
        const Call& c = calls[j - 1];
        if (c.api == sim::Api::RegCreateKeyEx && !sim::KeyExists(c.key))
            sim::SeedKey(c.key, clean.classes.at(c.key));
        if (c.api == sim::Api::RegSetValueEx) {
            const sim::RegValue& v = clean.values.at({c.key, c.value});
            sim::SeedValue(c.key, c.value, v.type, v.data);
        }
    }
    if (e.allWrites)
        for (const auto& [where, v] : e.overrides)
            sim::SeedValue(where.first, where.second, v.type, v.data);
    return sim::Snapshot();
}

// The clean run's fallible calls, each with the phase of the run it belongs to.
std::vector<Call> Classify(const std::vector<sim::FallibleCall>& records) {
    std::vector<Call> calls;
    for (const sim::FallibleCall& r : records)
        calls.push_back(Call{r.api, r.key, r.value});
    const std::string mainDialog = std::to_string(IDD_HXSETUP_DIALOG);
    Phase phase = Phase::Rights;
    bool afterPool = false;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        Call& c = calls[i];
        if (IsDrawing(c.api)) {
            // The main dialog's font comes before its DialogBoxParamA; any other drawing call
            // happens inside the dialog.
            bool beforeMain = false;
            for (std::size_t j = i + 1; j < calls.size(); ++j)
                if (!IsDrawing(calls[j].api)) {
                    beforeMain =
                        calls[j].api == sim::Api::DialogBoxParam && calls[j].key == mainDialog;
                    break;
                }
            c.phase = beforeMain ? Phase::BeforeDialog : Phase::Dialog;
            c.afterPoolDialog = afterPool;
            continue;
        }
        bool dialogDone = phase == Phase::Dialog || phase == Phase::Write;
        if (IsRegistry(c.api)) {
            if (dialogDone)
                phase = Phase::Write;
            else if (c.key == kServiceKey || c.key == kParametersKey)
                phase = Phase::Read;
            else
                phase = Phase::Prepare;
        } else if (c.api == sim::Api::DialogBoxParam && c.key == mainDialog) {
            phase = Phase::MainDialog;
        } else if (phase == Phase::MainDialog || phase == Phase::Dialog) {
            phase = Phase::Dialog;
        }
        c.phase = phase;
        if (c.api == sim::Api::DialogBoxParam && c.key == std::to_string(IDD_POOLSIZE))
            afterPool = true;
        c.afterPoolDialog = afterPool;
    }
    return calls;
}

class FaultSweep : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override { sim::Reset(); }
};

TEST_P(FaultSweep, EveryFallibleCallFailsOnceAndFromThenOn) {
    const Scenario& s = kScenarios[GetParam()];
    SCOPED_TRACE(s.name);

    const Observed clean = RunOnce(s, [] {});
    ExpectNothingHeld();
    ASSERT_TRUE(clean.boxes.empty());
    if (getenv("HX_SWEEP_DUMP"))
        for (const sim::FallibleCall& c : clean.calls)
            std::cout << sim::ApiName(c.api) << " " << c.key << " " << c.value << "\n";
    ASSERT_EQ(clean.calls.size(), s.cleanCalls)
        << "the clean run's fallible calls changed: review the sweep's expectations for the "
           "new or removed call sites, then update the constant";
    CleanWrites cleanWrites;
    for (const sim::FallibleCall& c : clean.calls) {
        if (c.api == sim::Api::RegCreateKeyEx)
            cleanWrites.classes[c.key] = sim::KeyClass(c.key).value_or("");
        if (c.api == sim::Api::RegSetValueEx)
            cleanWrites.values[{c.key, c.value}] = *sim::GetValue(c.key, c.value);
    }
    const sim::Hive cleanHive = clean.hive;
    const std::vector<Call> calls = Classify(clean.calls);

    // The replay of the clean run's changes is the clean run's registry.
    {
        Expected all;
        all.allWrites = true;
        ASSERT_EQ(ExpectedHive(s, calls, cleanWrites, all), cleanHive);
    }

    std::size_t points = 0;
    for (bool persistent : {false, true}) {
        for (std::size_t i = 1; i <= calls.size(); ++i) {
            const Call& c = calls[i - 1];
            SCOPED_TRACE(std::string(persistent ? "from call " : "only call ") + std::to_string(i) +
                         ": " + Describe(c));
            const Observed o = RunOnce(s, [&] { sim::FailNthCall(i, ErrorFor(c), persistent); });
            ++points;
            ExpectNothingHeld();
            Expected e = persistent ? ExpectPersistent(calls, i) : ExpectTransient(s, calls, i);
            ExpectBoxesSeen(o, e.boxes);
            // The failure struck the call it was meant for.
            ASSERT_GE(o.calls.size(), i);
            EXPECT_EQ(o.calls[i - 1].api, c.api);
            EXPECT_TRUE(o.calls[i - 1].failed);
            EXPECT_EQ(o.hive, ExpectedHive(s, calls, cleanWrites, e));
        }
    }
    std::cout << "[ fault sweep ] " << s.name << ": " << calls.size() << " fallible calls, "
              << points << " fault points exercised" << std::endl;
    RecordProperty("fault_points", static_cast<int>(points));
    RecordProperty("fallible_calls", static_cast<int>(calls.size()));
}

std::string ScenarioName(const ::testing::TestParamInfo<int>& info) {
    const char* const names[] = {"Fresh", "Installed", "DriveConfigured", "ExtendPool"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultSweep, ::testing::Range(0, 4), ScenarioName);

} // namespace
