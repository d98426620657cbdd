// hxcfg on the simulated machine: its command line, its refusals, its verdict, and that it leaves
// the registry exactly as the dialog does for the same choice.
#include <cstdio>

#include "hx_test_support.h"
#include "hxcfg_run.h"

using namespace hxtest;

namespace {

const DWORD kMiB = 1048576;

class Hxcfg : public MachineTest {
protected:
    // 32 MiB, the system's default pool: an 8 MiB budget. C: is far too large, D: fits.
    void SetUp() override {
        MachineTest::SetUp();
        SeedNtSystem(0);
        SeedParents();
        AddSmallDrive();
    }
};

TEST_F(Hxcfg, CommandLinesThatAreWrongChangeNothing) {
    const struct {
        std::vector<std::string> args;
        int exit;
        const char* err; // a part of the one stderr line
    } rows[] = {
        {{}, 2, "no command"},
        {{"stat"}, 2, "unknown command: \"stat\""},
        {{"status", "--force"}, 2, "unknown option: \"--force\""},
        {{"status", "now"}, 2, "one argument too many"},
        {{"status", "--dry-run"}, 2, "status writes nothing"},
        {{"ramdisk", "0M"}, 2, "at least 1M"},
        {{"ramdisk", "64K"}, 2, "whole number of MiB"},
        {{"ramdisk", "M"}, 2, "whole number of MiB"},
        {{"ramdisk", "1", "2"}, 2, "one argument too many"},
        {{"mirror"}, 2, "needs a drive"},
        {{"mirror", "DD:"}, 2, "letter and a colon"},
        {{"pool"}, 2, "default, max or a percentage"},
        {{"pool", "76"}, 2, "at most 75"},
        {{"pool", "-5"}, 2, "unknown option"},
        {{"remove", "--reg"}, 2, "--reg needs a file name"},
        {{"remove", "--dry-run", "--reg", "x.reg"}, 2, "exclude each other"},
        // ... and what this machine refuses: 8 MiB budget, minimum pool 35 %.
        {{"ramdisk", "9M"}, 3, "SIZE 9M is above the budget of 8388608 bytes"},
        {{"ramdisk", "4294967296G"}, 3, "above the budget"},
        {{"mirror", "C:"}, 3, "drive C: is too large for the budget of 8388608 bytes"},
        {{"mirror", "e:"}, 3, "drive E: is not a fixed drive"},
        {{"mirror", "Q:"}, 3, "drive Q: is not present"},
        {{"mirror", "S:"}, 3, "drive S: is not present"}, // the RAM disk is no drive to mirror
        {{"pool", "34"}, 3, "at least 35 % on this machine"},
    };
    sim::Drive cd;
    cd.letter = 'E';
    cd.type = DRIVE_CDROM;
    sim::AddDrive(cd);
    const sim::Hive seed = sim::Snapshot();
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.args));
        HxcfgRun r = RunHxcfg(row.args);
        EXPECT_EQ(r.exit, row.exit);
        EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
        EXPECT_EQ(r.err.rfind("hxcfg: ", 0), 0u);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
        EXPECT_EQ(sim::Snapshot(), seed);
    }
    EXPECT_EQ(RunHxcfg({"/?"}).exit, 0);
    EXPECT_NE(RunHxcfg({"pool", "max", "--help"}).out.find("Usage: hxcfg"), std::string::npos);
}

TEST_F(Hxcfg, MachinesThatRefuseEveryChangeAreLeftAlone) {
    const struct {
        const char* name;
        std::function<void()> machine;
        const char* err;
    } rows[] = {
        {"not an administrator", [] { sim::SetToken({false}); }, "elevated command prompt"},
        {"15,999,999 bytes", [] { sim::SetTotalPhys(15999999); }, "at least 16000000 bytes"},
        {"no pool size",
         [] {
             sim::SeedValue(kMemoryKey, "NonPagedPoolSize", REG_BINARY, {1, 2, 3, 4, 5});
         },
         "Fatal Error Unable to query session manager"}, // the dialog's own words
    };
    for (const auto& row : rows) {
        for (const char* command : {"ramdisk", "pool"}) {
            SCOPED_TRACE(std::string(row.name) + ", " + command);
            SetUp();
            row.machine();
            const sim::Hive seed = sim::Snapshot();
            HxcfgRun r = RunHxcfg({command, command == std::string("pool") ? "max" : "1M"});
            EXPECT_EQ(r.exit, 3);
            EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
            EXPECT_EQ(sim::Snapshot(), seed);
        }
    }
}

// The same choice made in the dialog and with hxcfg, on the same machine, fresh or with a RAM
// disk installed, leaves the same registry, byte for byte.
TEST_F(Hxcfg, BothWaysLeaveTheSameRegistry) {
    auto extend = [](std::function<void(sim::ui::Dialog&)> choose) {
        return [choose](sim::ui::Dialog& d) {
            sim::ui::OnDialog(IDD_POOLSIZE, [choose](sim::ui::Dialog& p) {
                choose(p);
                p.Click(IDOK);
            });
            d.Click(IDC_EXTEND_POOL);
            d.Click(IDOK);
        };
    };
    auto select = [](int row) {
        return [row](sim::ui::Dialog& d) {
            d.ClickListRow(IDC_DRIVE_LIST, row);
            d.Click(IDC_SELECT_DRIVE);
            d.Click(IDOK);
        };
    };
    const struct {
        std::vector<std::string> args;
        std::function<void(sim::ui::Dialog&)> dialog;
    } choices[] = {
        {{"ramdisk"}, select(1)},
        {{"mirror", "d:"}, select(0)},
        {{"pool", "max"}, extend([](sim::ui::Dialog& p) { p.Click(IDC_POOL_MAXIMUM); })},
        {{"pool", "default"}, extend([](sim::ui::Dialog& p) { p.Click(IDC_POOL_DEFAULT); })},
        {{"pool", "36"}, extend([](sim::ui::Dialog& p) {
             p.Click(IDC_POOL_DEFAULT);
             p.SpinArrow(IDC_POOL_SPIN, 1);
         })},
    };
    // Installed: a RAM disk of 12 MiB under a pool of 16 MiB (budget 12 MiB), so that the pool's
    // default shrinks it to 8 MiB.
    auto installed = [] {
        sim::SeedDword(kMemoryKey, "NonPagedPoolSize", 16 * kMiB);
        SeedInstalled(0, 0, 0, 12 * kMiB, "S:");
        sim::SeedDword(kParametersKey, "DebugLevel", 3);
    };
    for (bool bInstalled : {false, true}) {
        for (const auto& c : choices) {
            SCOPED_TRACE(::testing::PrintToString(c.args) + (bInstalled ? " installed" : " fresh"));
            SetUp();
            if (bInstalled)
                installed();
            RunDialog(c.dialog);
            ASSERT_TRUE(sim::MessageBoxes().empty());
            const sim::Hive byDialog = sim::Snapshot();

            SetUp();
            if (bInstalled)
                installed();
            HxcfgRun r = RunHxcfg(c.args);
            EXPECT_EQ(r.exit, 0) << r.err;
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(sim::Snapshot(), byDialog);
            EXPECT_TRUE(sim::MessageBoxes().empty());
        }
    }
}

TEST_F(Hxcfg, DryRunPrintsWhatTheRunWritesAndWritesNothing) {
    for (const char* command : {"ramdisk", "pool", "remove"}) {
        SCOPED_TRACE(command);
        SetUp();
        sim::SeedDword(kParametersKey, "BreakOnEntry", 1); // an incomplete installation
        sim::SeedKey(kEventSourceKey);
        const sim::Hive seed = sim::Snapshot();
        std::vector<std::string> args = {command};
        if (args[0] == "pool")
            args.push_back("40");
        args.push_back("--dry-run");
        HxcfgRun dry = RunHxcfg(args);
        EXPECT_EQ(dry.exit, 0);
        EXPECT_EQ(sim::Snapshot(), seed);
        args.pop_back();
        HxcfgRun real = RunHxcfg(args);
        EXPECT_EQ(real.exit, 0) << real.err;
        // The run lists what it wrote, after its summary.
        EXPECT_NE(real.out.find(dry.out), std::string::npos) << dry.out << "---\n" << real.out;
    }
}

TEST_F(Hxcfg, DryRunTextOfARamDisk) {
    HxcfgRun r = RunHxcfg({"--dry-run", "ramdisk", "2M"});
    EXPECT_EQ(r.exit, 0);
    for (const char* line : {"REGEDIT4\n\n[HKEY_LOCAL_"
                             "MACHINE\\SYSTEM\\CurrentControlSet\\Control\\ServiceGroupOrder]\n",
                             "\"EventMessageFile\"=hex(2):25,53,79,",
                             "\"TypesSupported\"=dword:00000007\n", "\"Group\"=\"Halcyonix\"\n",
                             "\"Start\"=dword:00000000\n", "\"Partition\"=dword:00000000\n",
                             "\"DiskSize\"=dword:00200000\n", "\"DosDevice\"=\"S:\"\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n---\n" << r.out;
}

TEST_F(Hxcfg, RegFileIsWrittenOnceAndNeverOverwritten) {
    std::string path = ::testing::TempDir() + "hxcfg_test.reg";
    std::remove(path.c_str());
    const sim::Hive seed = sim::Snapshot();
    HxcfgRun first = RunHxcfg({"pool", "max", "--reg", path});
    EXPECT_EQ(first.exit, 0) << first.err;
    HxcfgRun again = RunHxcfg({"--reg", path, "remove"});
    EXPECT_EQ(again.exit, 3);
    EXPECT_NE(again.err.find("exists already"), std::string::npos);
    EXPECT_EQ(sim::Snapshot(), seed);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char head[9] = {};
    EXPECT_EQ(std::fread(head, 1, 8, f), 8u);
    std::fclose(f);
    EXPECT_STREQ(head, "REGEDIT4");
    std::remove(path.c_str());
}

TEST_F(Hxcfg, AFailedWriteSaysWhyAndListsWhatStays) {
    sim::InjectFault({sim::Api::RegSetValueEx, 0, kParametersKey, "DiskSize"});
    HxcfgRun r = RunHxcfg({"ramdisk"});
    EXPECT_EQ(r.exit, 4);
    EXPECT_EQ(r.err, "hxcfg: Error, unable to write Halcyonix registry value\n");
    const size_t at = r.out.find("Written before the failure");
    ASSERT_NE(at, std::string::npos) << r.out;
    const std::string listed = r.out.substr(at);
    EXPECT_NE(listed.find("\"Partition\"=dword:00000000\n"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("DiskSize"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("DosDevice"), std::string::npos) << listed;
    EXPECT_EQ(sim::GetDword(kParametersKey, "Partition"), 0u);
}

TEST_F(Hxcfg, RemoveAfterConfiguringLeavesTheSeedButThePool) {
    const sim::Hive seed = sim::Snapshot();
    ASSERT_EQ(RunHxcfg({"pool", "max"}).exit, 0);
    ASSERT_EQ(RunHxcfg({"ramdisk"}).exit, 0);
    sim::SeedDword(kServiceKey + "\\Enum", "Count", 1); // the system's own, once the driver ran
    HxcfgRun r = RunHxcfg({"remove"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("NonPagedPoolSize: 16777216, left as it is"), std::string::npos);
    EXPECT_NE(r.out.find("hxcfg pool default"), std::string::npos);
    EXPECT_EQ(sim::GetDword(kMemoryKey, "NonPagedPoolSize"), 16 * kMiB);
    sim::SeedDword(kMemoryKey, "NonPagedPoolSize", 0);
    EXPECT_EQ(sim::Snapshot(), seed);
    // Every spelling of the group goes; nothing left to remove is no failure.
    std::vector<std::string> groups = kNtGroups;
    groups.insert(groups.begin(), "HALCYONIX");
    groups.push_back("halcyonix");
    sim::SeedMultiSz(kGroupOrderKey, "List", groups);
    EXPECT_EQ(RunHxcfg({"remove"}).exit, 0);
    EXPECT_EQ(sim::Snapshot(), seed);
    EXPECT_NE(RunHxcfg({"remove"}).out.find("Nothing to remove"), std::string::npos);
}

// What status finds wrong with a configuration the dialog wrote, one change at a time.
TEST_F(Hxcfg, StatusListsEveryReasonTheDiskWillNotBeBuilt) {
    auto groupsWith = [](std::vector<std::string> groups, size_t at) {
        groups.insert(groups.begin() + static_cast<long>(at), "Halcyonix");
        sim::SeedMultiSz(kGroupOrderKey, "List", groups);
    };
    const struct {
        const char* name;
        std::vector<std::string> configure; // the hxcfg command that writes the configuration
        std::function<void()> change;
        std::vector<std::string> reasons;
    } rows[] = {
        {"RAM disk as configured", {"ramdisk"}, [] {}, {}},
        {"mirror as configured", {"mirror", "D:"}, [] {}, {}},
        {"nothing configured",
         {},
         [] {},
         {"no service key", "\"Halcyonix\" is missing from the service group order",
          "no event log source", "no Parameters key"}},
        {"disabled",
         {"ramdisk"},
         [] { sim::SeedDword(kServiceKey, "Start", 4); },
         {"Start is 4, not 0"}},
        {"another group",
         {"ramdisk"},
         [] { sim::SeedString(kServiceKey, "Group", "Base"); },
         {"Group is not \"Halcyonix\""}},
        {"group after filter",
         {"ramdisk"},
         [&] { groupsWith(kNtGroups, 8); },
         {"\"Halcyonix\" is placed after \"filter\" in the service group order"}},
        {"no DosDevice",
         {"ramdisk"},
         [] {
             sim::SeedValue(kParametersKey, "DosDevice", REG_SZ, {0, 0});
         },
         {"DosDevice is empty"}},
        {"RAM disk of 0",
         {"ramdisk"},
         [] { sim::SeedDword(kParametersKey, "DiskSize", 0); },
         {"the RAM disk's size is 0"}},
        {"RAM disk over the budget",
         {"ramdisk"},
         [] { sim::SeedDword(kParametersKey, "DiskSize", 8 * kMiB + 1); },
         {"the RAM disk's size, 8388609 bytes, is larger than the budget of 8388608 bytes"}},
        {"mirror of another partition",
         {"mirror", "D:"},
         [] { sim::SeedDword(kParametersKey, "Partition", 1); },
         {"drive D: is disk 1 partition 2, not Drive 1 Partition 1"}},
        {"mirror of a drive gone",
         {"mirror", "D:"},
         [] { sim::SeedValue(kParametersKey, "DosDevice", REG_SZ, Bytes("Q:")); },
         {"drive Q: no longer exists"}},
        {"mirror that no longer fits",
         {"mirror", "D:"},
         [] { sim::SeedDword(kMemoryKey, "NonPagedPoolSize", 6 * kMiB); }, // budget 2 MiB
         {"drive D: no longer fits the budget"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        if (!row.configure.empty()) {
            ASSERT_EQ(RunHxcfg(row.configure).exit, 0);
        }
        row.change();
        HxcfgRun r = RunHxcfg({"status"});
        std::string expected;
        for (const std::string& reason : row.reasons)
            expected += "  " + reason + "\n";
        EXPECT_EQ(r.exit, row.reasons.empty() ? 0 : 1) << r.out;
        size_t at = r.out.find("Verdict: ");
        ASSERT_NE(at, std::string::npos) << r.out;
        std::string verdict = r.out.substr(r.out.find('\n', at) + 1);
        EXPECT_EQ(verdict, expected) << r.out;
    }
}

TEST_F(Hxcfg, StatusShowsTheDialogsFiguresWithoutRights) {
    ASSERT_EQ(RunHxcfg({"ramdisk", "3M"}).exit, 0);
    sim::SetToken({false});
    HxcfgRun r = RunHxcfg({"status"});
    EXPECT_EQ(r.exit, 0) << r.out;
    for (const char* line :
         {"  DiskSize: 3145728\n", "  DosDevice: \"S:\"\n", "Pool size: 0 bytes (35 %)\n",
          "Total memory: 33554432 bytes (32 MB)\n", "Usable budget: 8388608 bytes (8 MB)\n",
          "  D: 2097152 bytes, FAT, disk 1 partition 2\n", "  S: 8388608 bytes, FAT, RAM disk\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n---\n" << r.out;
}

} // namespace
