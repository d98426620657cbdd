// hxcfg on the simulated machine: its command line, its refusals, its verdict, and that it leaves
// the registry exactly as the dialog does for the same choice.
#include <strings.h>

#include <cstdio>

#include "hx_test_support.h"
#include "hxcfg_run.h"

using namespace hxtest;

namespace {

const DWORD kMiB = 1048576;
// The machine-wide names of the writers' lock and of HxSetup's mark that a dialog is open.
const char kWriterLock[] = "Global\\Halcyonix.ConfigurationWriter";
const char kDialogMark[] = "Global\\Halcyonix.SetupDialogOpen";

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
        {{"status", "--reg", "x.reg"}, 2, "status writes nothing"},
        {{"ramdisk", "0M"}, 2, "at least 1M"},
        {{"ramdisk", "64K"}, 2, "whole number of MiB"},
        {{"ramdisk", "M"}, 2, "whole number of MiB"},
        {{"ramdisk", "-1"}, 2, "SIZE must be a whole number of MiB, such as 64M or 1G: \"-1\""},
        {{"ramdisk", "99999999999"}, 2, "SIZE must be at most 4095M: \"99999999999\""},
        {{"ramdisk", "4096M"}, 2, "at most 4095M"},
        {{"ramdisk", "4g"}, 2, "at most 4095M"},
        {{"ramdisk", "4294967296G"}, 2, "at most 4095M"},
        {{"ramdisk", "1", "2"}, 2, "one argument too many"},
        {{"mirror"}, 2, "needs a drive"},
        {{"mirror", "DD:"}, 2, "hxcfg: a drive is a letter and a colon (such as D:): \"DD:\"\n"},
        {{"pool"}, 2, "default, max or a percentage"},
        {{"pool", "76"}, 2, "at most 75"},
        {{"pool", "-5"}, 2, "default, max or a whole percentage: \"-5\""},
        {{"pool", "maximum"}, 2, "default, max or a whole percentage"},
        {{"remove", "--reg"}, 2, "--reg needs a file name"},
        {{"remove", "--dry-run", "--reg", "x.reg"}, 2, "exclude each other"},
        {{"ramdisk", "--reg", "--dry-run", "1M"}, 2, "a file name, not an option: \"--dry-run\""},
        {{"ramdisk", "--reg", "--reg", "x.reg"}, 2, "a file name, not an option: \"--reg\""},
        {{"pool", "max", "--reg", "/?"}, 2, "a file name, not an option: \"/?\""},
        // ... and what this machine refuses: 8 MiB budget, minimum pool 35 %.
        {{"ramdisk", "9M"}, 3, "SIZE 9M is above the budget of 8388608 bytes"},
        {{"ramdisk", "1G"}, 3, "SIZE 1024M is above the budget"},
        {{"ramdisk", "4095M"}, 3, "SIZE 4095M is above the budget"},
        {{"mirror", "C:"}, 3, "drive C: is too large for the budget of 8388608 bytes"},
        {{"mirror", "e:"}, 3, "drive E: is not a fixed drive"},
        {{"mirror", "Q:"}, 3, "drive Q: is not present"},
        {{"mirror", "S:"}, 3, "drive S: is not present"}, // the RAM disk is no drive to mirror
        {{"mirror", "F:"}, 3, "drive F: is \\Device\\HarddiskVolume2, not a partition"},
        {{"mirror", "G:"}, 3, "drive G: is \\Device\\Harddisk1\\Partition0, not a partition"},
        {{"mirror", "h:"}, 3, "drive H: is \\Device\\Harddisk1\\Partition1b, not a partition"},
        {{"pool", "34"}, 3, "at least 35 % on this machine"},
    };
    sim::Drive cd;
    cd.letter = 'E';
    cd.type = DRIVE_CDROM;
    sim::AddDrive(cd);
    // Device names the driver cannot open as a partition (H: only begins as one), and one it can.
    sim::AddDrive(FixedDrive('F', 4096).Device("\\Device\\HarddiskVolume2"));
    sim::AddDrive(FixedDrive('G', 4096).Device("\\Device\\Harddisk1\\Partition0"));
    sim::AddDrive(FixedDrive('H', 4096).Device("\\Device\\Harddisk1\\Partition1b"));
    sim::AddDrive(FixedDrive('I', 4096).Device("\\device\\harddisk1\\partition1"));
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
    EXPECT_EQ(RunHxcfg({"mirror", "I:", "--dry-run"}).exit, 0);
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
        // One writer at a time: refused at once while a dialog is open, after the wait while
        // another hxcfg writes, on Windows NT 4.0's namespace too.
        {"HxSetup open", [] { sim::HoldElsewhere(kDialogMark); }, "HxSetup is open"},
        {"HxSetup open, Windows NT 4.0",
         [] {
             sim::SetNoGlobalNamespace(true);
             sim::HoldElsewhere("Halcyonix.SetupDialogOpen");
         },
         "HxSetup is open"},
        {"another hxcfg writing", [] { sim::HoldElsewhere(kWriterLock); },
         "another hxcfg is changing the configuration and did not finish in 5 seconds"},
        {"another hxcfg writing, Windows NT 4.0",
         [] {
             sim::SetNoGlobalNamespace(true);
             sim::HoldElsewhere("Halcyonix.ConfigurationWriter");
         },
         "another hxcfg"},
    };
    for (const auto& row : rows) {
        for (const char* command : {"ramdisk", "pool"}) {
            SCOPED_TRACE(std::string(row.name) + ", " + command);
            SetUp();
            row.machine();
            const sim::Hive seed = sim::Snapshot();
            sim::ClearCallLog();
            HxcfgRun r = RunHxcfg({command, command == std::string("pool") ? "max" : "1M"});
            EXPECT_EQ(r.exit, 3);
            EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
            EXPECT_EQ(sim::Snapshot(), seed);
            EXPECT_EQ(sim::OpenMutexCount(), 0u);
            // An open dialog is not waited for; another hxcfg for the time the message gives.
            bool waited = false;
            for (const std::string& line : sim::CallLog())
                waited |= line == "WaitForSingleObject 5000";
            EXPECT_EQ(waited, std::string(row.name).rfind("HxSetup open", 0) != 0);
        }
    }
}

// What writes no registry takes no lock: status, --dry-run and --reg run beside any writer.
TEST_F(Hxcfg, ReadersRunBesideAWriter) {
    for (const char* held : {kDialogMark, kWriterLock}) {
        SCOPED_TRACE(held);
        SetUp();
        sim::HoldElsewhere(held);
        const std::string path = ::testing::TempDir() + "hxcfg_beside.reg";
        std::remove(path.c_str());
        EXPECT_EQ(RunHxcfg({"status"}).exit, 1);
        EXPECT_EQ(RunHxcfg({"ramdisk", "1M", "--dry-run"}).exit, 0);
        EXPECT_EQ(RunHxcfg({"pool", "max", "--reg", path}).exit, 0);
        std::remove(path.c_str());
        EXPECT_EQ(RunHxcfg({"ramdisk", "1M"}).exit, 3);
        sim::ReleaseHeldElsewhere(held);
        EXPECT_EQ(RunHxcfg({"ramdisk", "1M"}).exit, 0); // the lock taken, and given back
        EXPECT_EQ(sim::OpenMutexCount(), 0u);
        EXPECT_TRUE(sim::Misuses().empty());
    }
}

// The command line as the C run-time splits it, each argument taken into the ANSI code page.
// sim's code page is ISO 8859-1: U+00FF has its exact form there, U+0100 none.
TEST(HxcfgArguments, SplitAsTheRuntimeDoesAndTakenExactly) {
    const struct {
        std::wstring line;
        std::vector<std::string> argv; // empty: refused
        const char* err;               // a part of the refusal
    } rows[] = {
        {L"hxcfg", {"hxcfg"}, ""},
        {L"\"C:\\Program Files\\hxcfg.exe\" status",
         {"C:\\Program Files\\hxcfg.exe", "status"},
         ""},
        {L"x \"a b c\" d e", {"x", "a b c", "d", "e"}, ""},
        {L"x \"ab\\\"c\" \"\\\\\" d", {"x", "ab\"c", "\\", "d"}, ""},
        {L"x a\\\\\\b d\"e f\"g h", {"x", "a\\\\\\b", "de fg", "h"}, ""},
        {L"x a\\\\\\\"b c d", {"x", "a\\\"b", "c", "d"}, ""},
        {L"x a\\\\\\\\\"b c\" d e", {"x", "a\\\\b c", "d", "e"}, ""},
        {L"x a\"b\"\" c d", {"x", "ab\" c d"}, ""},
        {L"x \t \"\"  y ", {"x", "", "y"}, ""},
        {L"x \u00ff", {"x", "\xff"}, ""},
        {L"x \u0100", {}, "argument 1, character 1 (U+0100) has no exact form"},
        {L"x --reg \"C:\\out\\sub\u2215x.reg\" ramdisk", {}, "argument 2, character 11 (U+2215)"},
        {L"x ramdisk \uff11M", {}, "argument 2, character 1 (U+FF11)"},
        {L"x \U0001F600", {}, "argument 1, character 1 (U+1F600)"},
        {L"C:\\\u2215\\hxcfg.exe status", {"", "status"}, ""}, // the name is not read
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.line.begin(), row.line.end()));
        CAnsiArguments args;
        CText error;
        BOOL taken = args.Take(row.line.c_str(), &error);
        EXPECT_EQ(taken, row.argv.empty() ? FALSE : TRUE) << error.Get();
        if (!taken) {
            EXPECT_NE(std::string(error.Get()).find(row.err), std::string::npos) << error.Get();
            continue;
        }
        std::vector<std::string> got(args.Argv(), args.Argv() + args.Argc());
        EXPECT_EQ(got, row.argv);
        EXPECT_EQ(args.Argv()[args.Argc()], nullptr);
    }
}

// A refused argument ends the run before anything is looked at: exit 2, one line, no file.
TEST_F(Hxcfg, AnArgumentOutsideTheCodePageChangesNothing) {
    const std::string dir = ::testing::TempDir();
    const std::wstring wdir(dir.begin(), dir.end());
    const sim::Hive seed = sim::Snapshot();
    const std::pair<std::wstring, std::string> lines[] = {
        {L"hxcfg ramdisk \uff11M", "hxcfg: argument 2, character 1 (U+FF11) "},
        {L"hxcfg pool max --reg \"" + wdir + L"\u2215x.reg\"",
         "hxcfg: argument 4, character " + std::to_string(dir.size() + 1) + " (U+2215) "},
    };
    for (const auto& [line, refusal] : lines) {
        sim::ClearCallLog();
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(HxcfgMainW(line.c_str()), 2);
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.rfind(refusal, 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
        EXPECT_EQ(sim::Snapshot(), seed);
        EXPECT_TRUE(sim::CallLog().empty()) << sim::CallLog().front();
    }
    // The same line with its characters typed as the code page has them runs.
    EXPECT_EQ(HxcfgMainW(L"hxcfg ramdisk 1M --dry-run"), 0);
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
        {{"pool", "75"}, extend([](sim::ui::Dialog& p) { p.Click(IDC_POOL_MAXIMUM); })},
        {{"pool", "default"}, extend([](sim::ui::Dialog& p) { p.Click(IDC_POOL_DEFAULT); })},
        {{"Pool", "DEFAULT"}, extend([](sim::ui::Dialog& p) { p.Click(IDC_POOL_DEFAULT); })},
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
            // Without the driver installed, the dialog's pool change installs it; hxcfg's
            // changes only the pool (WritingCommandsEndWithTheVerdict).
            if (!bInstalled && strcasecmp(c.args[0].c_str(), "pool") == 0)
                continue;
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
    // The pool changed alone leaves the incomplete installation that the verdict finds.
    const std::pair<const char*, int> commands[] = {{"ramdisk", 0}, {"pool", 1}, {"remove", 0}};
    for (const auto& [command, exit] : commands) {
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
        EXPECT_EQ(real.exit, exit) << real.err;
        // The run begins with all that the dry run prints: its summary, and what it wrote.
        EXPECT_EQ(real.out.rfind(dry.out, 0), 0u) << dry.out << "---\n" << real.out;
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

// A value's text as regedit reads it back: a quote and a backslash each escaped by a backslash.
// The store writes back the DosDevice it read, whatever it holds.
TEST_F(Hxcfg, DryRunTextEscapesQuoteAndBackslash) {
    SeedInstalled(0, 0, 0, 2 * kMiB, "\"\\");
    HxcfgRun r = RunHxcfg({"pool", "max", "--dry-run"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("\"DosDevice\"=\"\\\"\\\\\"\n"), std::string::npos) << r.out;
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
    char head[11] = {};
    EXPECT_EQ(std::fread(head, 1, 10, f), 10u);
    std::fclose(f);
    EXPECT_STREQ(head, "REGEDIT4\r\n");
    std::remove(path.c_str());
}

// Whichever step fails, no part of the change is left in a file that someone might import.
TEST_F(Hxcfg, RegFileNotWrittenWholeIsNotLeft) {
    const std::string path = ::testing::TempDir() + "hxcfg_full.reg";
    const struct {
        sim::Api api;
        DWORD error;
        const char* err;
    } rows[] = {
        {sim::Api::CreateFile, ERROR_ACCESS_DENIED, "could not be created: error 5"},
        {sim::Api::WriteFile, ERROR_DISK_FULL,
         "could not be written, and is deleted: the disk is full"},
        {sim::Api::FlushFileBuffers, ERROR_DISK_FULL,
         "could not be written, and is deleted: the disk is full"},
        {sim::Api::CloseHandle, ERROR_HANDLE_DISK_FULL,
         "could not be written, and is deleted: the disk is full"},
        {sim::Api::CloseHandle, ERROR_NOT_READY, "could not be written, and is deleted: error 21"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(sim::ApiName(row.api));
        std::remove(path.c_str());
        const sim::Hive seed = sim::Snapshot();
        sim::InjectFault({row.api, 1, path, "", row.error});
        HxcfgRun r = RunHxcfg({"ramdisk", "--reg", path});
        EXPECT_EQ(r.exit, 3);
        EXPECT_EQ(r.err, "hxcfg: \"" + path + "\" " + row.err + "\n");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr);
        EXPECT_EQ(sim::Snapshot(), seed);
    }
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

// What remove finds goes, however unusual, and the removal recipe in either order leaves the
// machine as it was before the driver came.
TEST_F(Hxcfg, RemoveDeletesWhateverIsThere) {
    // 120 groups, "filter" among them: 1,079 bytes, beyond the dialog's area of 1,024.
    std::vector<std::string> longList(120, "Group-09");
    longList[100] = "filter";
    auto withGroup = [](std::vector<std::string> groups) {
        groups.insert(groups.begin() + 100, "Halcyonix");
        return groups;
    };
    auto byHxcfg = [] {
        ASSERT_EQ(RunHxcfg({"pool", "max"}).exit, 0);
        ASSERT_EQ(RunHxcfg({"ramdisk"}).exit, 0);
    };
    auto bySeed = [] {
        SeedInstalled(0, 0, 0, kMiB, "S:");
        sim::SeedDword(kEventSourceKey, "TypesSupported", 7);
    };
    const std::vector<std::vector<std::string>> recipe = {{"remove"}, {"pool", "default"}};
    const std::vector<std::vector<std::string>> reversed = {{"pool", "default"}, {"remove"}};
    const struct {
        const char* name;
        std::function<void()> machine; // before the driver came
        std::function<void()> install;
        std::vector<std::vector<std::string>> commands;
        int exit; // of the last command; not 0: nothing changed
    } rows[] = {
        {"the recipe", [] {}, byHxcfg, recipe, 0},
        {"the recipe reversed", [] {}, byHxcfg, reversed, 0},
        {"12 levels of subkeys", [] {},
         [&] {
             byHxcfg();
             std::string key = kServiceKey + "\\Enum";
             for (int i = 0; i < 12; ++i)
                 key += "\\Level";
             sim::SeedDword(key, "Count", 1);
         },
         recipe, 0},
        {"no List",
         [] {
             sim::Reset();
             sim::SeedDword(kMemoryKey, "NonPagedPoolSize", 0);
             sim::SeedKey(kGroupOrderKey);
             SeedParents();
         },
         bySeed,
         {{"remove"}},
         0},
        {"a List over 1,024 bytes",
         [&] { sim::SeedMultiSz(kGroupOrderKey, "List", longList); },
         [&] {
             bySeed();
             sim::SeedMultiSz(kGroupOrderKey, "List", withGroup(longList));
         },
         {{"remove"}},
         0},
        {"a List that cannot be read",
         [] {},
         [&] {
             bySeed();
             sim::InjectFault({sim::Api::RegQueryValueEx, 0, kGroupOrderKey, "List"});
         },
         {{"remove"}},
         3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        row.machine();
        const sim::Hive seed = sim::Snapshot();
        row.install();
        const sim::Hive installed = sim::Snapshot();
        HxcfgRun r;
        for (const auto& command : row.commands)
            r = RunHxcfg(command);
        EXPECT_EQ(r.exit, row.exit) << r.err;
        EXPECT_EQ(sim::Snapshot(), row.exit == 0 ? seed : installed);
        EXPECT_EQ(sim::OpenKeyCount(), 0u);
    }
}

// ramdisk, mirror and pool where the driver is installed end with status's verdict; the pool
// alone where it is not writes the pool size only.
TEST_F(Hxcfg, WritingCommandsEndWithTheVerdict) {
    const struct {
        const char* name;
        std::function<void()> machine;
        std::vector<std::string> args;
        int exit;
        const char* verdict; // a part of it; nullptr: none printed, and only the pool written
    } rows[] = {
        {"ramdisk", [] {}, {"ramdisk"}, 0, "Verdict: the disk will be built"},
        {"ramdisk, no filter to stand before",
         [] {
             sim::SeedMultiSz(kGroupOrderKey, "List", {"Base", "Extended Base"});
         },
         {"ramdisk"},
         1,
         "\"Halcyonix\" is missing from the service group order"},
        {"mirror", [] {}, {"mirror", "D:"}, 0, "Verdict: the disk will be built"},
        {"pool, driver installed",
         [] { ASSERT_EQ(RunHxcfg({"ramdisk"}).exit, 0); },
         {"pool", "max"},
         0,
         "Verdict: the disk will be built"},
        {"pool, service key only",
         [] { sim::SeedKey(kServiceKey); },
         {"pool", "max"},
         1,
         "Start is 4, not 0"}, // the record's defaults: the driver disabled
        {"pool, driver not installed", [] {}, {"pool", "max"}, 0, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        row.machine();
        const sim::Hive seed = sim::Snapshot();
        HxcfgRun r = RunHxcfg(row.args);
        EXPECT_EQ(r.exit, row.exit) << r.out;
        EXPECT_EQ(r.err, "");
        if (row.verdict != nullptr) {
            EXPECT_NE(r.out.find(row.verdict), std::string::npos) << r.out;
            EXPECT_EQ(sim::GetDword(kServiceKey, "Type"), 1u); // written all the same
            continue;
        }
        EXPECT_EQ(r.out.find("Verdict"), std::string::npos) << r.out;
        EXPECT_EQ(sim::GetDword(kMemoryKey, "NonPagedPoolSize"), 16 * kMiB);
        sim::SeedDword(kMemoryKey, "NonPagedPoolSize", 0);
        EXPECT_EQ(sim::Snapshot(), seed);
    }
}

// What status finds wrong with a configuration the dialog wrote, one change at a time.
TEST_F(Hxcfg, StatusListsEveryReasonTheDiskWillNotBeBuilt) {
    auto set = [](const std::string& key, const char* name, DWORD type, const std::string& bytes) {
        return [=] { sim::SeedValue(key, name, type, Bytes(bytes)); };
    };
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
         {"Group is \"Base\", not \"Halcyonix\""}},
        {"group in another case", {"ramdisk"}, set(kServiceKey, "Group", REG_SZ, "halcyonix"), {}},
        {"group as a list",
         {"ramdisk"},
         set(kServiceKey, "Group", REG_MULTI_SZ, std::string("Halcyonix\0", 11)),
         {"Group is stored as REG_MULTI_SZ, not REG_SZ"}},
        {"no type",
         {"ramdisk"},
         [] { sim::DeleteValue(kServiceKey, "Type"); },
         {"Type is missing"}},
        {"a service process's type",
         {"ramdisk"},
         [] { sim::SeedDword(kServiceKey, "Type", 16); },
         {"Type is 16, not 1"}},
        {"start as text",
         {"ramdisk"},
         set(kServiceKey, "Start", REG_SZ, "0"),
         {"Start is stored as REG_SZ, not REG_DWORD"}},
        {"no error control",
         {"ramdisk"},
         [] { sim::DeleteValue(kServiceKey, "ErrorControl"); },
         {"ErrorControl is missing"}},
        {"group after filter",
         {"ramdisk"},
         [&] { groupsWith(kNtGroups, 8); },
         {"\"Halcyonix\" is placed after \"filter\" in the service group order"}},
        {"no DosDevice",
         {"ramdisk"},
         [] {
             sim::SeedValue(kParametersKey, "DosDevice", REG_SZ, {0, 0});
         },
         {"DosDevice is empty, not a drive letter and a colon"}},
        {"DosDevice without its colon",
         {"ramdisk"},
         set(kParametersKey, "DosDevice", REG_SZ, "S"),
         {"DosDevice is \"S\", not a drive letter and a colon"}},
        {"DosDevice of a digit",
         {"ramdisk"},
         set(kParametersKey, "DosDevice", REG_SZ, "1:"),
         {"DosDevice is \"1:\", not a drive letter and a colon"}},
        {"DosDevice as a number",
         {"ramdisk"},
         [] { sim::SeedDword(kParametersKey, "DosDevice", 0x3a53); },
         {"DosDevice is stored as REG_DWORD, not REG_SZ"}},
        {"DosDevice of 73 letters",
         {"ramdisk"},
         set(kParametersKey, "DosDevice", REG_SZ, std::string(73, 'S')),
         {"DosDevice is 73 bytes long, not a drive letter and a colon"}},
        {"DosDevice in lower case, with its NUL",
         {"ramdisk"},
         set(kParametersKey, "DosDevice", REG_SZ, std::string("s:\0", 3)),
         {}},
        {"DiskSize as text",
         {"ramdisk"},
         set(kParametersKey, "DiskSize", REG_SZ, "67108864"),
         {"DiskSize is stored as REG_SZ, not REG_DWORD"}},
        {"DiskSize as 4 bytes of binary",
         {"ramdisk"},
         set(kParametersKey, "DiskSize", REG_BINARY, std::string("\0\0\x20\0", 4)),
         {"DiskSize is stored as REG_BINARY, not REG_DWORD"}},
        {"DiskSize of 5 bytes",
         {"ramdisk"},
         set(kParametersKey, "DiskSize", REG_DWORD, std::string("\0\0\x20\0\0", 5)),
         {"DiskSize is 5 bytes long, not 4"}},
        {"RAM disk of 1 MiB", {"ramdisk", "1M"}, [] {}, {}},
        {"RAM disk of 0",
         {"ramdisk"},
         [] { sim::SeedDword(kParametersKey, "DiskSize", 0); },
         {"DiskSize is 0, less than the smallest RAM disk of 1048576 bytes"}},
        {"RAM disk one byte short of 1 MiB",
         {"ramdisk"},
         [] { sim::SeedDword(kParametersKey, "DiskSize", kMiB - 1); },
         {"DiskSize is 1048575, less than the smallest RAM disk of 1048576 bytes"}},
        {"RAM disk of the whole budget, by its size", {"ramdisk", "8M"}, [] {}, {}},
        {"RAM disk over the budget",
         {"ramdisk"},
         [] { sim::SeedDword(kParametersKey, "DiskSize", 8 * kMiB + 1); },
         {"DiskSize is 8388609, more than the budget of 8388608 bytes"}},
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
        {"mirror in lower case",
         {"mirror", "D:"},
         set(kParametersKey, "DosDevice", REG_SZ, "d:"),
         {}},
        {"mirror of a drive now named as a volume",
         {"mirror", "D:"},
         [] { sim::AddDrive(FixedDrive('D', 4096).Device("\\Device\\HarddiskVolume2")); },
         {"drive D: is \\Device\\HarddiskVolume2, not a partition of a hard disk "
          "(\\Device\\Harddisk<n>\\Partition<m>)"}},
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
    HxcfgRun r = RunHxcfg({"STATUS"});
    EXPECT_EQ(r.exit, 0) << r.out;
    for (const char* line :
         {"  DiskSize: 3145728\n", "  DosDevice: \"S:\"\n", "Pool size: 0 bytes (35 %)\n",
          "Total memory: 33554432 bytes (32 MB)\n", "Usable budget: 8388608 bytes (8 MB)\n",
          "  D: 2097152 bytes, FAT, disk 1 partition 2\n", "  S: 8388608 bytes, FAT, RAM disk\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n---\n" << r.out;
}

} // namespace
