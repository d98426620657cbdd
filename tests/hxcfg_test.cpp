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
    using Commands = std::vector<std::vector<std::string>>;
    const Commands both = {{"ramdisk", "1M"}, {"pool", "max"}};
    const Commands writers = {{"ramdisk", "1M"}, {"pool", "max"}, {"remove"}};
    // Keys as Windows guards them: administrators may change them, other tokens only read them.
    auto guard = [](const std::string& key) { sim::SetKeyAccess(key, KEY_ALL_ACCESS, KEY_READ); };
    auto installed = [] {
        SeedInstalled(0, 0, 0, kMiB, "S:");
        sim::SeedDword(kServiceKey + "\\Enum", "Count", 1);
        sim::SeedDword(kEventSourceKey, "TypesSupported", 7);
    };
    const char* const elevated =
        "(error 5: Access is denied); run hxcfg from an elevated command prompt";
    // 112 groups of 9 bytes with their NULs, "filter" and the final NUL: 1,016 bytes, 1,026 with
    // "Halcyonix" inserted.
    std::vector<std::string> longList(113, "Group-09");
    longList[100] = "filter";
    const struct {
        const char* name;
        std::function<void()> machine;
        Commands commands;
        std::string err;
    } rows[] = {
        // The rights are asked first: the keys' own refusal would not say why.
        {"not an administrator",
         [&] {
             sim::SetToken({false});
             guard(kMemoryKey);
             guard(kGroupOrderKey);
         },
         both, "you must be an administrator to configure Halcyonix; run hxcfg from an elevated"},
        {"15,999,999 bytes", [] { sim::SetTotalPhys(15999999); }, both, "at least 16000000 bytes"},
        {"no pool size",
         [] {
             sim::SeedValue(kMemoryKey, "NonPagedPoolSize", REG_BINARY, {1, 2, 3, 4, 5});
         },
         both, "Fatal Error Unable to query session manager"}, // the dialog's own words
        {"an administrator's console that is not elevated",
         [&] {
             installed();
             sim::SetToken({true, false});
             for (const std::string& key :
                  {kMemoryKey, kGroupOrderKey, std::string("SYSTEM\\CurrentControlSet\\Services"),
                   kServiceKey, kParametersKey, kServiceKey + "\\Enum", kEventSourceKey})
                 guard(key);
         },
         {{"ramdisk", "1M"}, {"pool", "max"}, {"remove"}, {"ramdisk", "--dry-run"}},
         std::string("to change it ") + elevated},
        {"a subkey that refuses its deletion",
         [&] {
             installed();
             sim::SetKeyAccess(kServiceKey + "\\Enum", KEY_READ, KEY_READ);
         },
         {{"remove"}, {"remove", "--dry-run"}},
         "cannot open HKEY_LOCAL_MACHINE\\" + kServiceKey + "\\Enum to change it " + elevated},
        {"a parent that refuses a new key",
         [&] { sim::SetKeyAccess("SYSTEM\\CurrentControlSet\\Services", KEY_READ, KEY_READ); },
         {{"ramdisk"}, {"mirror", "D:", "--dry-run"}},
         std::string("cannot open HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services to "
                     "change it ") +
             elevated},
        {"a service group order too long for the insertion",
         [&] { sim::SeedMultiSz(kGroupOrderKey, "List", longList); },
         {{"ramdisk"}, {"ramdisk", "--dry-run"}},
         "the service group order would pass 1024 bytes with \"Halcyonix\" inserted before "
         "\"filter\"; nothing written"},
        // The store's other notices keep its own words: only the list too long was never a write.
        {"a service group order that cannot be queried",
         [] {
             sim::InjectFault({sim::Api::RegQueryValueEx, 0, kGroupOrderKey, "List"});
         },
         {{"ramdisk"}, {"ramdisk", "--dry-run"}},
         "Warning, unable to query service group order"},
        // A budget below the smallest disk: 5 MiB of pool less its 4 MiB reserve, less a byte.
        {"a budget one byte under 1 MiB",
         [] { sim::SeedDword(kMemoryKey, "NonPagedPoolSize", 5 * kMiB - 1); },
         {{"ramdisk"}},
         "the budget of 1048575 bytes leaves no room for a RAM disk"},
        // One writer at a time: refused at once while a dialog is open, after the wait while
        // another hxcfg writes, on Windows NT 4.0's namespace too.
        {"HxSetup open", [] { sim::HoldElsewhere(kDialogMark); }, writers, "HxSetup is open"},
        {"HxSetup open, Windows NT 4.0",
         [] {
             sim::SetNoGlobalNamespace(true);
             sim::HoldElsewhere("Halcyonix.SetupDialogOpen");
         },
         writers, "HxSetup is open"},
        {"another hxcfg writing", [] { sim::HoldElsewhere(kWriterLock); }, writers,
         "another hxcfg is changing the configuration and did not finish in 5 seconds"},
        {"another hxcfg writing, Windows NT 4.0",
         [] {
             sim::SetNoGlobalNamespace(true);
             sim::HoldElsewhere("Halcyonix.ConfigurationWriter");
         },
         writers, "another hxcfg"},
    };
    for (const auto& row : rows) {
        for (const auto& command : row.commands) {
            SCOPED_TRACE(std::string(row.name) + ", " + ::testing::PrintToString(command));
            SetUp();
            row.machine();
            const sim::Hive seed = sim::Snapshot();
            sim::ClearCallLog();
            HxcfgRun r = RunHxcfg(command);
            EXPECT_EQ(r.exit, 3);
            EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
            const bool dry = command.back() == "--dry-run";
            EXPECT_EQ(r.err.find("would be refused") != std::string::npos,
                      dry && row.err.find("to change it") != std::string::npos)
                << r.err;
            EXPECT_EQ(r.err.find("couldn't write"), std::string::npos) << r.err;
            EXPECT_EQ(sim::Snapshot(), seed);
            EXPECT_EQ(sim::OpenMutexCount(), 0u);
            // An open dialog is not waited for; another hxcfg for the time the message gives.
            bool waited = false;
            for (const std::string& line : sim::CallLog())
                waited |= line == "WaitForSingleObject 5000";
            EXPECT_EQ(waited, !dry && std::string(row.name).rfind("HxSetup open", 0) != 0);
        }
    }
}

// The pool summary gives the percentage that the size stands for, as status reads it back: the
// system keeps 16 MiB outside the pool, so a machine of 20 MiB takes a pool of at most 4 MiB (20
// %), one of 32 MiB at most 16 MiB (50 %); one of 64 MiB takes the whole 75 %.
TEST_F(Hxcfg, PoolSummaryGivesWhatTheSizeStandsFor) {
    const struct {
        DWORD totalPhys;
        const char* percent;
        const char* line;
    } rows[] = {
        {20 * kMiB, "max", "Pool size: 4194304 bytes (20 %; 75 % asked)\n"},
        {32 * kMiB, "max", "Pool size: 16777216 bytes (50 %; 75 % asked)\n"},
        {32 * kMiB, "49", "Pool size: 16449536 bytes (49 %)\n"},
        {64 * kMiB, "max", "Pool size: 50331648 bytes (75 %)\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.totalPhys) + " " + row.percent);
        SetUp();
        sim::SetTotalPhys(row.totalPhys);
        HxcfgRun r = RunHxcfg({"pool", row.percent, "--dry-run"});
        EXPECT_EQ(r.exit, 0) << r.err;
        EXPECT_NE(r.out.find(row.line), std::string::npos) << r.out;
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

// The text imports as exactly the bytes the run stores. A DosDevice stored as "S:X", without a
// NUL, makes the run write its two bytes "S:" alone, which the text can only say in hex.
TEST_F(Hxcfg, DryRunTextIsTheBytesTheRunStores) {
    const struct {
        std::string dosDevice; // as stored before the run
        const char* text;
        std::string stored; // after it
    } rows[] = {
        {std::string("S:X", 3), "\"DosDevice\"=hex(1):53,3a\n", std::string("S:", 2)},
        {std::string("S:\0", 3), "\"DosDevice\"=\"S:\"\n", std::string("S:\0", 3)},
        {std::string("S:", 2), "\"DosDevice\"=\"S:\"\n", std::string("S:\0", 3)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.dosDevice));
        SetUp();
        SeedInstalled(0, 0, 0, 2 * kMiB, "");
        sim::SeedValue(kParametersKey, "DosDevice", REG_SZ, Bytes(row.dosDevice));
        HxcfgRun dry = RunHxcfg({"pool", "max", "--dry-run"});
        EXPECT_NE(dry.out.find(row.text), std::string::npos) << dry.out;
        ASSERT_EQ(RunHxcfg({"pool", "max"}).exit, 0);
        EXPECT_EQ(sim::GetValue(kParametersKey, "DosDevice")->data, Bytes(row.stored));
    }
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
        // The system's words, as Windows gives them.
        {sim::Api::CreateFile, ERROR_ACCESS_DENIED,
         "could not be created (error 5: Access is denied)"},
        {sim::Api::WriteFile, ERROR_DISK_FULL,
         "could not be written, and is deleted (error 112: There is not enough space on the disk)"},
        {sim::Api::FlushFileBuffers, ERROR_DISK_FULL,
         "could not be written, and is deleted (error 112: There is not enough space on the disk)"},
        {sim::Api::CloseHandle, ERROR_HANDLE_DISK_FULL,
         "could not be written, and is deleted (error 39: The disk is full)"},
        {sim::Api::CloseHandle, ERROR_NOT_READY,
         "could not be written, and is deleted (error 21: The device is not ready)"},
        // A code the system has no text for keeps its number alone.
        {sim::Api::CloseHandle, 0x2000ABCD,
         "could not be written, and is deleted (error 536914893)"},
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

// A failure part-way: the output lists every key and value changed before it, and one line names
// what failed and why, in the system's words.
TEST_F(Hxcfg, AFailedWriteSaysWhyAndListsWhatStays) {
    const std::string hklm = "HKEY_LOCAL_MACHINE\\";
    const struct {
        const char* name;
        std::vector<std::string> args;
        sim::Fault fault;
        std::string err;
        std::vector<std::string> listed; // each in the listing; none: nothing was written
        std::vector<std::string> absent;
    } rows[] = {
        {"ramdisk, a value",
         {"ramdisk"},
         {sim::Api::RegSetValueEx, 0, kParametersKey, "DiskSize"},
         "Error, unable to write Halcyonix registry value: cannot write DiskSize in " + hklm +
             kParametersKey + " (error 5: Access is denied)",
         {"\"Partition\"=dword:00000000\n"},
         {"DiskSize", "DosDevice"}},
        {"ramdisk, the first write",
         {"ramdisk"},
         {sim::Api::RegSetValueEx, 0, kGroupOrderKey, "List"},
         "Error, couldn't write to Service Group Order: cannot write List in " + hklm +
             kGroupOrderKey + " (error 5: Access is denied)",
         {},
         {}},
        {"remove, a subkey after another",
         {"remove"},
         {sim::Api::RegDeleteKey, 0, kParametersKey, "", ERROR_CANTWRITE},
         "cannot delete " + hklm + kParametersKey +
             " (error 1013: The configuration registry key could not be written)",
         {"[-" + hklm + kServiceKey + "\\Enum]\n"},
         {"Parameters]", kServiceKey + "]", "EventLog"}},
        {"remove, the first subkey",
         {"remove"},
         {sim::Api::RegDeleteKey, 0, kServiceKey + "\\Enum"},
         "cannot delete " + hklm + kServiceKey + "\\Enum (error 5: Access is denied)",
         {},
         {}},
        {"remove, the top of a tree",
         {"remove"},
         {sim::Api::RegDeleteKey, 0, kServiceKey},
         "cannot delete " + hklm + kServiceKey + " (error 5: Access is denied)",
         {"[-" + hklm + kServiceKey + "\\Enum]\n", "[-" + hklm + kParametersKey + "]\n"},
         {kServiceKey + "]", "EventLog"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        if (row.args[0] == "remove") {
            SeedInstalled(0, 0, 0, kMiB, "S:");
            sim::SeedDword(kServiceKey + "\\Enum", "Count", 1);
            sim::SeedDword(kEventSourceKey, "TypesSupported", 7);
        }
        sim::InjectFault(row.fault);
        HxcfgRun r = RunHxcfg(row.args);
        EXPECT_EQ(r.exit, 4);
        EXPECT_EQ(r.err, "hxcfg: " + row.err + "\n");
        const size_t nothing = r.out.find("Nothing was written before the failure.\n");
        const size_t at = r.out.find("Written before the failure, and left so:\n");
        EXPECT_EQ(nothing != std::string::npos, row.listed.empty()) << r.out;
        EXPECT_EQ(at != std::string::npos, !row.listed.empty()) << r.out;
        const std::string listed = at != std::string::npos ? r.out.substr(at) : "";
        for (const std::string& entry : row.listed)
            EXPECT_NE(listed.find(entry), std::string::npos) << entry << "\n---\n" << listed;
        for (const std::string& entry : row.absent)
            EXPECT_EQ(listed.find(entry), std::string::npos) << entry << "\n---\n" << listed;
        EXPECT_EQ(sim::OpenKeyCount(), 0u);
    }
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
        // Only its own entries go: what follows an empty string, the bytes of a list without its
        // final NUL, and the type, stay as they were.
        {"a List with more after an empty string",
         [] {
             sim::SeedValue(kGroupOrderKey, "List", REG_MULTI_SZ,
                            Bytes(std::string("A\0\0B\0C\0\0", 9)));
         },
         [&] {
             bySeed();
             sim::SeedValue(kGroupOrderKey, "List", REG_MULTI_SZ,
                            Bytes(std::string("Halcyonix\0A\0\0B\0halcyonix\0C\0\0", 29)));
         },
         {{"remove"}},
         0},
        {"a List without its final NULs",
         [] {
             sim::SeedValue(kGroupOrderKey, "List", REG_MULTI_SZ, Bytes(std::string("A\0B", 3)));
         },
         [&] {
             bySeed();
             sim::SeedValue(kGroupOrderKey, "List", REG_MULTI_SZ,
                            Bytes(std::string("Halcyonix\0A\0B", 13)));
         },
         {{"remove"}},
         0},
        {"a List of type REG_SZ",
         [] { sim::SeedValue(kGroupOrderKey, "List", REG_SZ, Bytes(std::string("filter\0", 7))); },
         [&] {
             bySeed();
             sim::SeedValue(kGroupOrderKey, "List", REG_SZ,
                            Bytes(std::string("Halcyonix\0filter\0", 17)));
         },
         {{"remove"}},
         0},
        {"a REG_BINARY List ending in the group without a NUL",
         [] { sim::SeedValue(kGroupOrderKey, "List", REG_BINARY, Bytes(std::string("x\0", 2))); },
         [&] {
             bySeed();
             sim::SeedValue(kGroupOrderKey, "List", REG_BINARY,
                            Bytes(std::string("x\0HALCYONIX", 11)));
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
        {"ramdisk, no filter to stand before: a note, the driver loads after the listed groups",
         [] {
             sim::SeedMultiSz(kGroupOrderKey, "List", {"Base", "Extended Base"});
         },
         {"ramdisk"},
         0,
         "Verdict: the disk will be built at the next start\nNotes (not as HxSetup sets it up):\n"
         "  \"Halcyonix\" is missing from the service group order\n"},
        {"ramdisk, no driver image",
         [] { sim::RemoveFile(kDriverImage); },
         {"ramdisk"},
         1,
         "  the driver's image C:\\WINDOWS\\System32\\drivers\\HxVol.sys does not exist\n"},
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
        {"pool, driver started automatically: a note",
         [] {
             ASSERT_EQ(RunHxcfg({"ramdisk"}).exit, 0);
             sim::SeedDword(kServiceKey, "Start", 2);
         },
         {"pool", "max"},
         0,
         "Notes (not as HxSetup sets it up):\n  Start is 2, not 0\n"},
        {"pool, driver not installed", [] {}, {"pool", "max"}, 0, nullptr},
        // 5 MiB of pool less its 4 MiB reserve: the smallest budget that holds a RAM disk.
        {"ramdisk, a budget of exactly 1 MiB",
         [] { sim::SeedDword(kMemoryKey, "NonPagedPoolSize", 5 * kMiB); },
         {"ramdisk"},
         0,
         "RAM disk S: of 1048576 bytes"},
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
    // The NT groups, one more name, and the last (by default "Halcyonix", before them all): the
    // list exactly n bytes long.
    auto listOfBytes = [](size_t n, const char* last = nullptr) {
        std::vector<std::string> groups = kNtGroups;
        if (last == nullptr)
            groups.insert(groups.begin(), "Halcyonix");
        groups.push_back("");
        if (last != nullptr)
            groups.push_back(last);
        groups[kNtGroups.size() + (last == nullptr)] = std::string(n - MultiSz(groups).size(), 'G');
        sim::SeedMultiSz(kGroupOrderKey, "List", groups);
        ASSERT_EQ(sim::GetValue(kGroupOrderKey, "List")->data.size(), n);
    };
    const struct {
        const char* name;
        std::vector<std::string> configure; // the hxcfg command that writes the configuration
        std::function<void()> change;
        std::vector<std::string> reasons;    // the disk will not be built
        std::vector<std::string> notes = {}; // it will, but not as HxSetup sets it up
    } rows[] = {
        {"RAM disk as configured", {"ramdisk"}, [] {}, {}},
        {"mirror as configured", {"mirror", "D:"}, [] {}, {}},
        {"nothing configured",
         {},
         [] {},
         {"no service key", "no Parameters key"},
         {"\"Halcyonix\" is missing from the service group order", "no event log source"}},
        {"disabled",
         {"ramdisk"},
         [] { sim::SeedDword(kServiceKey, "Start", 4); },
         {"Start is 4, not 0"}},
        {"started by the I/O manager",
         {"ramdisk"},
         [] { sim::SeedDword(kServiceKey, "Start", 1); },
         {},
         {"Start is 1, not 0"}},
        {"started by the service controller",
         {"ramdisk"},
         [] { sim::SeedDword(kServiceKey, "Start", 2); },
         {},
         {"Start is 2, not 0"}},
        {"started by hand",
         {"ramdisk"},
         [] { sim::SeedDword(kServiceKey, "Start", 3); },
         {"Start is 3, not 0"}},
        {"another group",
         {"ramdisk"},
         [] { sim::SeedString(kServiceKey, "Group", "Base"); },
         {},
         {"Group is \"Base\", not \"Halcyonix\""}},
        {"group in another case", {"ramdisk"}, set(kServiceKey, "Group", REG_SZ, "halcyonix"), {}},
        {"group as a list",
         {"ramdisk"},
         set(kServiceKey, "Group", REG_MULTI_SZ, std::string("Halcyonix\0", 11)),
         {},
         {"Group is stored as REG_MULTI_SZ, not REG_SZ"}},
        {"no type",
         {"ramdisk"},
         [] { sim::DeleteValue(kServiceKey, "Type"); },
         {"Type is missing"}},
        {"a service process's type",
         {"ramdisk"},
         [] { sim::SeedDword(kServiceKey, "Type", 16); },
         {"Type is 16, not 1"}},
        {"a file system driver's type",
         {"ramdisk"},
         [] { sim::SeedDword(kServiceKey, "Type", 2); },
         {},
         {"Type is 2, not 1"}},
        {"type 0",
         {"ramdisk"},
         [] { sim::SeedDword(kServiceKey, "Type", 0); },
         {"Type is 0, not 1"}},
        {"start as text",
         {"ramdisk"},
         set(kServiceKey, "Start", REG_SZ, "0"),
         {"Start is stored as REG_SZ, not REG_DWORD"}},
        {"no error control",
         {"ramdisk"},
         [] { sim::DeleteValue(kServiceKey, "ErrorControl"); },
         {},
         {"ErrorControl is missing"}},
        {"error control as text",
         {"ramdisk"},
         set(kServiceKey, "ErrorControl", REG_SZ, std::string("1\0", 2)),
         {},
         {"ErrorControl is stored as REG_SZ, not REG_DWORD"}},
        {"error control critical",
         {"ramdisk"},
         [] { sim::SeedDword(kServiceKey, "ErrorControl", 3); },
         {},
         {"ErrorControl is 3, not 1"}},
        {"error control that cannot be read",
         {"ramdisk"},
         [] {
             sim::InjectFault({sim::Api::RegQueryValueEx, 0, kServiceKey, "ErrorControl"});
         },
         {},
         {"ErrorControl cannot be read, so it cannot be judged: error 5: Access is denied"}},
        {"start that cannot be read",
         {"ramdisk"},
         [] {
             sim::InjectFault({sim::Api::RegQueryValueEx, 0, kServiceKey, "Start"});
         },
         {"Start cannot be read, so it cannot be judged: error 5: Access is denied"}},
        {"service key that cannot be read",
         {"ramdisk"},
         [] {
             sim::InjectFault({sim::Api::RegOpenKeyEx, 0, kServiceKey});
         },
         {"the service key cannot be read, so it cannot be judged: error 5: Access is denied"}},
        {"Parameters key that cannot be read",
         {"ramdisk"},
         [] {
             sim::InjectFault({sim::Api::RegOpenKeyEx, 0, kParametersKey});
         },
         {"the Parameters key cannot be read, so it cannot be judged: error 5: Access is denied"}},
        {"no event log source",
         {"ramdisk"},
         [] {
             sim::InjectFault(
                 {sim::Api::RegOpenKeyEx, 0, kEventSourceKey, "", ERROR_FILE_NOT_FOUND});
         },
         {},
         {"no event log source"}},
        {"event log source that cannot be read",
         {"ramdisk"},
         [] {
             sim::InjectFault({sim::Api::RegOpenKeyEx, 0, kEventSourceKey});
         },
         {},
         {"the event log source cannot be read, so it cannot be judged: error 5: Access is "
          "denied"}},
        {"no driver image",
         {"ramdisk"},
         [] { sim::RemoveFile(kDriverImage); },
         {"the driver's image C:\\WINDOWS\\System32\\drivers\\HxVol.sys does not exist"}},
        {"driver image seen by a 32-bit process on 64-bit Windows",
         {"ramdisk"},
         [] {
             sim::RemoveFile(kDriverImage); // the 32-bit System32 that such a process is shown
             sim::SeedFile("C:\\WINDOWS\\Sysnative\\drivers\\HxVol.sys");
         },
         {}},
        {"driver image that cannot be looked for",
         {"ramdisk"},
         [] {
             sim::InjectFault({sim::Api::GetFileAttributes, 0, kDriverImage});
         },
         {"the driver's image C:\\WINDOWS\\System32\\drivers\\HxVol.sys cannot be looked for, "
          "so it cannot be judged: error 5: Access is denied"}},
        {"ImagePath below \\SystemRoot\\",
         {"ramdisk"},
         [] {
             sim::SeedString(kServiceKey, "ImagePath", "\\SystemRoot\\System32\\drivers\\HxVol.sys",
                             REG_EXPAND_SZ);
         },
         {}},
        {"ImagePath below \\SYSTEMROOT\\, as REG_SZ",
         {"ramdisk"},
         [] {
             sim::SeedString(kServiceKey, "ImagePath",
                             "\\SYSTEMROOT\\system32\\DRIVERS\\hxvol.sys");
         },
         {}},
        {"ImagePath relative to the system root",
         {"ramdisk"},
         [] {
             sim::SeedString(kServiceKey, "ImagePath", "System32\\drivers\\HxVol.sys",
                             REG_EXPAND_SZ);
         },
         {}},
        {"ImagePath of another file",
         {"ramdisk"},
         [] {
             sim::SeedString(kServiceKey, "ImagePath", "System32\\drivers\\HxVol2.sys",
                             REG_EXPAND_SZ);
         },
         {"the driver's image C:\\WINDOWS\\System32\\drivers\\HxVol2.sys does not exist"}},
        {"ImagePath of a folder",
         {"ramdisk"},
         [] { sim::SeedString(kServiceKey, "ImagePath", "System32\\drivers", REG_EXPAND_SZ); },
         {"the driver's image C:\\WINDOWS\\System32\\drivers does not exist"}},
        {"ImagePath on a drive, there",
         {"ramdisk"},
         [] {
             sim::RemoveFile(kDriverImage);
             sim::SeedFile("D:\\Drivers\\HxVol.sys");
             sim::SeedString(kServiceKey, "ImagePath", "\\??\\D:\\Drivers\\HxVol.sys",
                             REG_EXPAND_SZ);
         },
         {}},
        {"ImagePath on a drive, not there",
         {"ramdisk"},
         [] {
             sim::SeedString(kServiceKey, "ImagePath", "\\??\\D:\\Drivers\\HxVol.sys",
                             REG_EXPAND_SZ);
         },
         {"the driver's image D:\\Drivers\\HxVol.sys does not exist"}},
        {"ImagePath of a device",
         {"ramdisk"},
         [] {
             sim::SeedString(kServiceKey, "ImagePath", "\\Device\\HarddiskVolume1\\HxVol.sys",
                             REG_EXPAND_SZ);
         },
         {},
         {"ImagePath \"\\Device\\HarddiskVolume1\\HxVol.sys\" names a device path that hxcfg "
          "cannot look into: the driver's image is not checked"}},
        {"ImagePath as a number",
         {"ramdisk"},
         [] { sim::SeedDword(kServiceKey, "ImagePath", 1); },
         {"ImagePath is stored as REG_DWORD, not REG_EXPAND_SZ"}},
        {"group after filter",
         {"ramdisk"},
         [&] { groupsWith(kNtGroups, 8); },
         {},
         {"\"Halcyonix\" is placed after \"filter\" in the service group order"}},
        {"group order of 1024 bytes", {"ramdisk"}, [&] { listOfBytes(1024); }, {}},
        {"group order of 1025 bytes, read whole",
         {"ramdisk"},
         [&] { listOfBytes(1025); },
         {},
         {"the service group order is unusually long: 1025 bytes, more than the 1024 that HxSetup "
          "reads"}},
        {"group order of 1025 bytes",
         {"ramdisk"},
         [&] { listOfBytes(1025); },
         {},
         {"the service group order is unusually long: 1025 bytes, more than the 1024 that HxSetup "
          "reads"}},
        {"group order of 1100 bytes, the group last",
         {"ramdisk"},
         [&] { listOfBytes(1100, "Halcyonix"); },
         {},
         {"\"Halcyonix\" is placed after \"filter\" in the service group order",
          "the service group order is unusually long: 1100 bytes, more than the 1024 that HxSetup "
          "reads"}},
        {"group order that answers more data every time",
         {"ramdisk"},
         [] {
             sim::InjectFault(
                 {sim::Api::RegQueryValueEx, 0, kGroupOrderKey, "List", ERROR_MORE_DATA});
         },
         {},
         {"the service group order cannot be read, so it cannot be judged: error 234: More data is "
          "available"}},
        {"group order that grows before every read",
         {"ramdisk"},
         [] {
             for (int read : {2, 4, 6, 8}) // each size query answers, its read finds more
                 sim::InjectFault(
                     {sim::Api::RegQueryValueEx, read, kGroupOrderKey, "List", ERROR_MORE_DATA});
         },
         {},
         {"the service group order cannot be read, so it cannot be judged: error 234: More data is "
          "available"}},
        {"group order that grows before three reads", // the fourth try reads it
         {"ramdisk"},
         [] {
             for (int read : {2, 4, 6})
                 sim::InjectFault(
                     {sim::Api::RegQueryValueEx, read, kGroupOrderKey, "List", ERROR_MORE_DATA});
         },
         {}},
        {"group order as one string",
         {"ramdisk"},
         set(kGroupOrderKey, "List", REG_SZ, std::string("Halcyonix\0", 10)),
         {},
         {"List is stored as REG_SZ, not REG_MULTI_SZ"}},
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
        {"DosDevice A:", {"ramdisk"}, set(kParametersKey, "DosDevice", REG_SZ, "A:"), {}},
        {"DosDevice Z:", {"ramdisk"}, set(kParametersKey, "DosDevice", REG_SZ, "Z:"), {}},
        {"DosDevice before A",
         {"ramdisk"},
         set(kParametersKey, "DosDevice", REG_SZ, "@:"),
         {"DosDevice is \"@:\", not a drive letter and a colon"}},
        {"DosDevice after Z",
         {"ramdisk"},
         set(kParametersKey, "DosDevice", REG_SZ, "[:"),
         {"DosDevice is \"[:\", not a drive letter and a colon"}},
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
        {"mirror whose drive list cannot be built",
         {"mirror", "D:"},
         [] { sim::InjectFault({sim::Api::GetLogicalDriveStrings}); },
         {"the drive list could not be built"}},
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
        if (!row.notes.empty())
            expected += "Notes (not as HxSetup sets it up):\n";
        for (const std::string& note : row.notes)
            expected += "  " + note + "\n";
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
          "  D: 2097152 bytes, FAT, disk 1 partition 2\n", "  S: 8388608 bytes, FAT, RAM disk\n",
          "  ImagePath: none, the system's own place\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n---\n" << r.out;

    // What this user may not read is said so, with the system's error: never "missing".
    sim::InjectFault({sim::Api::RegQueryValueEx, 0, kParametersKey, "DiskSize"});
    r = RunHxcfg({"status"});
    EXPECT_EQ(r.exit, 1) << r.out;
    EXPECT_NE(r.out.find("  DiskSize: cannot be read: error 5: Access is denied\n"),
              std::string::npos)
        << r.out;
    sim::InjectFault({sim::Api::RegOpenKeyEx, 0, kServiceKey});
    r = RunHxcfg({"status"});
    EXPECT_NE(r.out.find("HKEY_LOCAL_MACHINE\\" + kServiceKey +
                         ": cannot be read: error 5: Access is denied\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("missing"), std::string::npos) << r.out;
}

} // namespace
