// Fault sweep: whole runs through AfxWinMain in which one fallible OS call fails, once or from
// then on, for every such call a clean run makes. What the user must see and what must stay
// written follow from WHICH call failed (its api, key and value, taken from the clean run's call
// log), never from what the program happened to do.
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
    bool logged = false; // false: a call that leaves no line in the call log (GetDC, fonts)
    std::string line;
    sim::Api api = sim::Api::RegOpenKeyEx;
    std::string key;   // registry key (one of hxtest's), drive root or device; "" if none
    std::string value; // registry value name, or the dialog template for DialogBoxParamA
    int nth = 0;       // among this api's calls
    Phase phase = Phase::Rights;
    bool afterPoolDialog = false;
};

struct ApiPrefix {
    const char* prefix;
    sim::Api api;
};
const ApiPrefix kFallible[] = {
    {"RegOpenKeyExA ", sim::Api::RegOpenKeyEx},
    {"RegCreateKeyExA ", sim::Api::RegCreateKeyEx},
    {"RegQueryValueExA ", sim::Api::RegQueryValueEx},
    {"RegSetValueExA ", sim::Api::RegSetValueEx},
    {"RegCloseKey ", sim::Api::RegCloseKey},
    {"OpenThreadToken ", sim::Api::OpenThreadToken},
    {"OpenProcessToken", sim::Api::OpenProcessToken},
    {"GetTokenInformation ", sim::Api::GetTokenInformation},
    {"AllocateAndInitializeSid ", sim::Api::AllocateAndInitializeSid},
    {"LocalAlloc ", sim::Api::LocalAlloc},
    {"GetLogicalDriveStringsA ", sim::Api::GetLogicalDriveStrings},
    {"GetDriveTypeA ", sim::Api::GetDriveType},
    {"GetDiskFreeSpaceA ", sim::Api::GetDiskFreeSpace},
    {"GetVolumeInformationA ", sim::Api::GetVolumeInformation},
    {"QueryDosDeviceA ", sim::Api::QueryDosDevice},
    {"SetTimer ", sim::Api::SetTimer},
    {"DialogBoxParamA ", sim::Api::DialogBoxParam},
    {"WinHelpA ", sim::Api::WinHelp},
};

bool IsRegistry(sim::Api api) {
    return api == sim::Api::RegOpenKeyEx || api == sim::Api::RegCreateKeyEx ||
           api == sim::Api::RegQueryValueEx || api == sim::Api::RegSetValueEx ||
           api == sim::Api::RegCloseKey;
}

// Parses a log line of a fallible call; nullopt for any other line.
std::optional<Call> ParseLine(const std::string& line) {
    for (const ApiPrefix& p : kFallible) {
        std::string prefix = p.prefix;
        bool exact = prefix.back() != ' ';
        if (exact ? line != prefix : line.compare(0, prefix.size(), prefix) != 0)
            continue;
        Call c;
        c.logged = true;
        c.line = line;
        c.api = p.api;
        std::string rest = exact ? "" : line.substr(prefix.size());
        if (IsRegistry(p.api)) {
            // Key paths hold blanks: match the known keys, the longest first.
            for (const std::string* k :
                 {&kParametersKey, &kEventSourceKey, &kServiceKey, &kMemoryKey, &kGroupOrderKey}) {
                if (rest.compare(0, k->size(), *k) == 0 &&
                    (rest.size() == k->size() || rest[k->size()] == ' ')) {
                    c.key = *k;
                    rest = rest.substr(std::min(rest.size(), k->size() + 1));
                    break;
                }
            }
            if (p.api == sim::Api::RegQueryValueEx || p.api == sim::Api::RegSetValueEx)
                c.value = rest.substr(0, rest.find(' '));
            if (p.api == sim::Api::RegCreateKeyEx)
                c.value = rest.substr(rest.find("class=") + 6); // the class
        } else if (p.api == sim::Api::DialogBoxParam || p.api == sim::Api::GetDriveType ||
                   p.api == sim::Api::GetDiskFreeSpace || p.api == sim::Api::GetVolumeInformation ||
                   p.api == sim::Api::QueryDosDevice) {
            c.key = rest;
        }
        return c;
    }
    return std::nullopt;
}

// The error a failing call of that api plausibly reports.
DWORD ErrorFor(const Call& c) {
    if (!c.logged)
        return ERROR_NOT_ENOUGH_MEMORY;
    switch (c.api) {
    case sim::Api::RegQueryValueEx:
        return ERROR_MORE_DATA;
    case sim::Api::RegSetValueEx:
    case sim::Api::RegCloseKey:
        return ERROR_REGISTRY_IO_FAILED;
    case sim::Api::LocalAlloc:
    case sim::Api::DialogBoxParam:
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
    return c.logged ? c.line : "(a call with no log line: GetDC or CreateFontIndirect)";
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

// A fixed drive that fits the budget: 2 MiB on disk 1, partition 2.
void AddSmallDrive() {
    sim::Drive d;
    d.letter = 'D';
    d.sectorsPerCluster = 1;
    d.bytesPerSector = 512;
    d.totalClusters = 4096;
    d.fileSystem = "FAT";
    d.device = "\\Device\\Harddisk1\\Partition2";
    sim::AddDrive(d);
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
         AddSmallDrive();
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
         AddSmallDrive();
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
    std::vector<std::string> log;
    std::vector<sim::MessageBoxCall> boxes;
    std::vector<bool> ownerWasActive; // per box: owner == GetActiveWindow() when shown
    sim::Hive hive;
    std::size_t calls = 0;
    bool operator==(const Observed& o) const {
        if (log != o.log || !(hive == o.hive) || calls != o.calls || boxes.size() != o.boxes.size())
            return false;
        for (size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].text != o.boxes[i].text || boxes[i].caption != o.boxes[i].caption ||
                boxes[i].type != o.boxes[i].type)
                return false;
        return true;
    }
};

Observed RunOnce(const Scenario& s, const std::function<void()>& faults) {
    sim::Reset();
    s.seed();
    faults();
    auto active = std::make_shared<std::vector<bool>>();
    for (int i = 0; i < 8; ++i)
        sim::ui::OnMessageBox([active](const sim::MessageBoxCall& box) {
            active->push_back(box.owner == GetActiveWindow());
            return IDOK;
        });
    sim::ui::OnDialog(IDD_HXSETUP_DIALOG, s.script);
    sim::SetCommandLine("HxSetup.exe");
    AfxWinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 1);

    Observed o;
    o.log = sim::CallLog();
    // Token handle values run on across sim::Reset(); only the fact of the close matters.
    for (std::string& line : o.log)
        if (line.rfind("CloseHandle ", 0) == 0)
            line = "CloseHandle";
    o.boxes = sim::MessageBoxes();
    o.ownerWasActive = *active;
    o.hive = sim::Snapshot();
    o.calls = sim::FallibleCallCount();
    return o;
}

// Nothing may be left held, whatever failed.
void ExpectNothingHeld() {
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
    EXPECT_EQ(sim::OpenTokenCount(), 0u);
    EXPECT_EQ(sim::LiveSidCount(), 0u);
    EXPECT_EQ(sim::LiveLocalAllocCount(), 0u);
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
        if (c.logged && IsListCall(c))
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
        if (c.logged && IsListCall(c))
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
sim::Hive ExpectedHive(const Scenario& s, const std::vector<Call>& calls,
                       const std::map<std::pair<std::string, std::string>, sim::RegValue>& clean,
                       const Expected& e) {
    sim::Reset();
    s.seed();
    std::size_t end = e.allWrites ? calls.size() + 1 : e.writesUpTo;
    for (std::size_t j = 1; j < end; ++j) {
        const Call& c = calls[j - 1];
        if (c.api == sim::Api::RegCreateKeyEx && c.logged && !sim::KeyExists(c.key))
            sim::SeedKey(c.key, c.value);
        if (c.api == sim::Api::RegSetValueEx && c.logged) {
            const sim::RegValue& v = clean.at({c.key, c.value});
            sim::SeedValue(c.key, c.value, v.type, v.data);
        }
    }
    if (e.allWrites)
        for (const auto& [where, v] : e.overrides)
            sim::SeedValue(where.first, where.second, v.type, v.data);
    return sim::Snapshot();
}

// Gives every fallible call of the clean run its identity. A logged call is matched to its
// index by failing it through its api's count (InjectFault) and through the overall count
// (FailNthCall): the two runs must be the same run. Indices no logged line claims are the calls
// that leave no line (GetDC, CreateFontIndirect).
std::vector<Call> Identify(const Scenario& s, const Observed& clean) {
    std::vector<Call> logged;
    std::map<sim::Api, int> seen;
    for (const std::string& line : clean.log)
        if (auto c = ParseLine(line)) {
            c->nth = ++seen[c->api];
            logged.push_back(*c);
        }
    std::vector<Call> calls(clean.calls);
    std::vector<bool> claimed(clean.calls, false);
    std::size_t next = 1;
    for (const Call& c : logged) {
        Observed byApi = RunOnce(s, [&] { sim::InjectFault({c.api, c.nth, "", "", ErrorFor(c)}); });
        std::size_t found = 0;
        for (std::size_t i = next; i <= clean.calls && found == 0; ++i) {
            Observed byIndex = RunOnce(s, [&] { sim::FailNthCall(i, ErrorFor(c), false); });
            if (byIndex == byApi)
                found = i;
        }
        EXPECT_NE(found, 0u) << "no call index behaves like " << c.line;
        if (found == 0)
            return {};
        calls[found - 1] = c;
        claimed[found - 1] = true;
        next = found + 1;
    }

    // Phases, in the order of the run.
    Phase phase = Phase::Rights;
    bool afterPool = false;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        Call& c = calls[i];
        if (!claimed[i]) {
            c.logged = false;
            // The main dialog's font comes before its DialogBoxParamA; anything else unlogged
            // happens inside the dialog.
            bool beforeMain = false;
            for (std::size_t j = i + 1; j < calls.size(); ++j)
                if (claimed[j]) {
                    beforeMain = calls[j].api == sim::Api::DialogBoxParam &&
                                 calls[j].key == std::to_string(IDD_HXSETUP_DIALOG);
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
        } else if (c.api == sim::Api::DialogBoxParam &&
                   c.key == std::to_string(IDD_HXSETUP_DIALOG)) {
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
        for (const auto& l : clean.log)
            std::cout << l << "\n";
    ASSERT_EQ(clean.calls, s.cleanCalls)
        << "the clean run's fallible calls changed: review the sweep's expectations for the "
           "new or removed call sites, then update the constant";
    std::map<std::pair<std::string, std::string>, sim::RegValue> cleanValues;
    for (const std::string& line : clean.log)
        if (auto c = ParseLine(line); c && c->api == sim::Api::RegSetValueEx)
            cleanValues[{c->key, c->value}] = *sim::GetValue(c->key, c->value);
    const sim::Hive cleanHive = clean.hive;

    const std::vector<Call> calls = Identify(s, clean);
    ASSERT_EQ(calls.size(), s.cleanCalls);

    // The replay of the clean run's changes is the clean run's registry.
    {
        Expected all;
        all.allWrites = true;
        ASSERT_EQ(ExpectedHive(s, calls, cleanValues, all), cleanHive);
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
            EXPECT_EQ(o.hive, ExpectedHive(s, calls, cleanValues, e));
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
