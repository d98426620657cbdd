// The run from the installer's notice to the main dialog: command line, rights, preparation,
// memory. The dialog itself is left with Cancel here.
#include <functional>

#include "app/HxSetupApp.h"
#include "hx_test_support.h"
#include "res/resource.h"

using namespace hxtest;

namespace {

void RunProgram(const std::string& commandLine) {
    sim::SetCommandLine(commandLine);
    AfxWinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 1);
}

const Box kSetupComplete = {true, "Halcyonix Installation Successful", "Setup Complete", MB_OK};
const Box kNotAdmin = {true, "You must be an Administrator to\ninstall or reconfigure Halcyonix.",
                       "Insufficient Privileges", MB_ICONERROR};
const Box kLowMemory = {true,
                        "Your system must be configured with at\nleast 16MB of RAM memory to use "
                        "Halcyonix",
                        "HxSetup: Insufficient Memory", MB_ICONERROR};

class Startup : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        SeedNtSystem();
    }
};

TEST(CommandLineTail, Table) {
    const struct {
        const char* full;
        const char* tail;
    } cases[] = {
        {"HxSetup.exe", ""},
        {"HxSetup.exe Halcyonix Installation Successful", "Halcyonix Installation Successful"},
        {"\"C:\\Program Files\\HxSetup.exe\" Wrong OS", "Wrong OS"},
        {"\"C:\\Program Files\\HxSetup.exe\"Wrong OS", "Wrong OS"},
        {"HxSetup.exe \t  \"quoted text\"  ", "\"quoted text\"  "}, // kept whole
        {"HxSetup.exe\tx", "x"},
        {"\"unterminated quote", ""},
        {"", ""},
        {"C:\\HxSetup.exe \x01\x1f"
         "a b",
         "a b"},                          // any code from 1 to 32 is a blank
        {"C:\\\xe9t\xe9.exe arg", "arg"}, // high characters belong to the name
    };
    for (const auto& c : cases)
        EXPECT_STREQ(AfxCommandLineTail(c.full), c.tail) << c.full;
}

TEST_F(Startup, InstallerNotices) {
    const struct {
        const char* commandLine;
        std::vector<Box> boxes;
        bool prepared; // the run went past the notice
    } cases[] = {
        {"HxSetup.exe", {}, true},
        {"HxSetup.exe Halcyonix Installation Successful", {kSetupComplete}, true},
        {"HxSetup.exe Halcyonix Installation Failed",
         {{true, "Halcyonix Installation Failed", "Setup Failed", MB_ICONERROR}},
         false},
        {"HxSetup.exe Wrong OS",
         {{true, "Halcyonix is supported on Windows NT only", "Installation Cancelled",
           MB_ICONERROR}},
         false},
        {"HxSetup.exe halcyonix installation successful", {}, true},
        {"HxSetup.exe Halcyonix Installation Successful ", {}, true},
        {"HxSetup.exe \"Halcyonix Installation Successful\"", {}, true},
        {"HxSetup.exe Wrong OS!", {}, true},
        {"HxSetup.exe Wrong", {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        sim::Reset();
        SeedNtSystem();
        RunProgram(c.commandLine);
        ExpectBoxes(c.boxes);
        EXPECT_EQ(sim::KeyExists(kEventSourceKey), c.prepared);
        EXPECT_FALSE(sim::KeyExists(kServiceKey)); // never without OK
    }
}

// One writer at a time: another HxSetup's mark ends the run at once, changing nothing; an hxcfg
// that keeps the lock past the wait ends it with a box; on Windows NT 4.0, which has no
// "Global\\" names, the bare names are the machine's.
TEST_F(Startup, OneWriterAtATime) {
    const Box kBusy = {true,
                       "Another program is changing the Halcyonix configuration.\nTry again "
                       "when it has finished.",
                       "Halcyonix Not Configured", MB_ICONERROR};
    const struct {
        const char* name;
        std::function<void()> machine;
        std::vector<Box> boxes;
        bool prepared;
    } cases[] = {
        {"no other writer", [] {}, {}, true},
        {"another HxSetup open",
         [] { sim::HoldElsewhere("Global\\Halcyonix.SetupDialogOpen"); },
         {},
         false},
        {"an hxcfg writing",
         [] { sim::HoldElsewhere("Global\\Halcyonix.ConfigurationWriter"); },
         {kBusy},
         false},
        {"Windows NT 4.0, no other writer", [] { sim::SetNoGlobalNamespace(true); }, {}, true},
        {"Windows NT 4.0, another HxSetup open",
         [] {
             sim::SetNoGlobalNamespace(true);
             sim::HoldElsewhere("Halcyonix.SetupDialogOpen");
         },
         {},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        SeedNtSystem();
        c.machine();
        const sim::Hive seed = sim::Snapshot();
        RunProgram("HxSetup.exe Halcyonix Installation Successful");
        std::vector<Box> boxes{kSetupComplete};
        boxes.insert(boxes.end(), c.boxes.begin(), c.boxes.end());
        ExpectBoxes(boxes);
        EXPECT_EQ(sim::KeyExists(kEventSourceKey), c.prepared);
        if (!c.prepared) {
            EXPECT_EQ(sim::Snapshot(), seed);
        }
        EXPECT_EQ(sim::OpenMutexCount(), 0u);
        EXPECT_TRUE(sim::Misuses().empty());
    }
}

// A second HxSetup, started while the first one's dialog is open, brings that window to the
// front and ends before anything else; the first then runs on as before.
TEST_F(Startup, SecondRunShowsTheFirstDialog) {
    sim::Hive whileOpen;
    sim::ui::OnDialog(IDD_HXSETUP_DIALOG, [&](sim::ui::Dialog& d) {
        whileOpen = sim::Snapshot();
        sim::ClearCallLog();
        RunProgram("HxSetup.exe");
        EXPECT_EQ(sim::Snapshot(), whileOpen);
        std::vector<std::string> front;
        for (const std::string& line : sim::CallLog())
            if (line.rfind("SetForegroundWindow", 0) == 0 || line.rfind("Reg", 0) == 0)
                front.push_back(line);
        EXPECT_EQ(front, std::vector<std::string>{"SetForegroundWindow Tarnwell Setup Utility"});
        d.Click(IDOK);
    });
    RunProgram("HxSetup.exe");
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_TRUE(sim::KeyExists(kServiceKey)); // the first run's OK wrote its record
    EXPECT_EQ(sim::OpenMutexCount(), 0u);
}

TEST_F(Startup, Rights) {
    const struct {
        const char* what;
        sim::TokenSetup token;
        std::vector<sim::Fault> faults;
        bool admin;
    } cases[] = {
        {"administrator", {}, {}, true},
        {"group listed first", {true, true, true}, {}, true},
        {"group not enabled", {true, false}, {}, true},
        {"not a member", {false}, {}, false},
        {"impersonating an administrator", {false, false, false, true, true}, {}, true},
        {"impersonating a user", {true, true, false, true, false}, {}, false},
        {"thread token fails otherwise", {}, {{sim::Api::OpenThreadToken, 0, "", "", 5}}, false},
        {"process token fails", {}, {{sim::Api::OpenProcessToken}}, false},
        {"size query fails", {}, {{sim::Api::GetTokenInformation, 1}}, false},
        {"group query fails", {}, {{sim::Api::GetTokenInformation, 2}}, false},
        {"allocation fails", {}, {{sim::Api::LocalAlloc}}, false},
        {"SID fails", {}, {{sim::Api::AllocateAndInitializeSid}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto prepare = [&] {
            sim::Reset();
            SeedNtSystem();
            sim::SetToken(c.token);
            for (const sim::Fault& f : c.faults)
                sim::InjectFault(f);
        };
        prepare();
        EXPECT_EQ(IsAdministrator(), c.admin ? 1 : 0);
        EXPECT_EQ(sim::OpenTokenCount(), 0u);
        EXPECT_EQ(sim::LiveSidCount(), 0u);
        EXPECT_EQ(sim::LiveLocalAllocCount(), 0u);

        prepare();
        sim::Hive before = sim::Snapshot();
        RunProgram("HxSetup.exe Halcyonix Installation Successful");
        if (c.admin) {
            ExpectBoxes({kSetupComplete});
        } else {
            ExpectBoxes({kSetupComplete, kNotAdmin});
            EXPECT_EQ(sim::Snapshot(), before); // rights come before any preparation
        }
    }
}

TEST_F(Startup, FailedInstallationIsReportedBeforeRightsAreChecked) {
    sim::SetToken({false});
    RunProgram("HxSetup.exe Halcyonix Installation Failed");
    ExpectBoxes({{true, "Halcyonix Installation Failed", "Setup Failed", MB_ICONERROR}});
}

TEST_F(Startup, MemoryIsCheckedAfterPreparation) {
    const struct {
        SIZE_T totalPhys;
        bool admitted;
    } cases[] = {
        {15999999, false},
        {16000000, true},
        {17000000, true},
        {17000001, true},
        {0, false},
        {SIZE_T(0x100000000ull), true}, // a 64-bit system with 4 GiB: saturates, never wraps
        {SIZE_T(24ull << 30), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.totalPhys);
        sim::Reset();
        SeedNtSystem();
        sim::SetTotalPhys(c.totalPhys);
        RunProgram("HxSetup.exe");
        if (c.admitted)
            ExpectBoxes({});
        else
            ExpectBoxes({kLowMemory});
        EXPECT_TRUE(sim::KeyExists(kEventSourceKey)); // preparation stays
        EXPECT_EQ(sim::GetDword(kEventSourceKey, "TypesSupported"), 7u);
    }
}

TEST_F(Startup, BudgetAtStart) {
    const struct {
        DWORD totalPhys;
        DWORD poolSize;
        DWORD budget;
    } cases[] = {
        {16000000, 0, 3145728},
        {17000000, 50000000, 3145728},
        {17000001, 0, 5242880},
        {33554432, 0, 8388608},
        {67108864, 25501696, 21307392},
        {67108864, 1000000, 0}, // a pool below the reserve leaves no budget
    };
    for (const auto& c : cases) {
        sim::Reset();
        SeedNtSystem(c.poolSize);
        sim::SetTotalPhys(c.totalPhys);
        RunProgram("HxSetup.exe");
        EXPECT_EQ(theApp.m_dwUsableMemory, c.budget) << c.totalPhys;
        EXPECT_EQ(theApp.m_dwStartPoolSize, c.poolSize) << c.totalPhys;
    }
}

TEST_F(Startup, PreparationFailureEndsTheRunWithItsOwnMessageOnly) {
    sim::InjectFault({sim::Api::RegCreateKeyEx, 0, kEventSourceKey});
    RunProgram("HxSetup.exe");
    ExpectBoxes({ErrorBox("Error, unable to register Halcyonix with event logger")});
    EXPECT_FALSE(sim::KeyExists(kServiceKey));
}

TEST_F(Startup, ApplicationTitleComesFromTheExecutable) {
    const struct {
        const char* path;
        const char* title;
        const char* help;
    } cases[] = {
        {"C:\\Program Files\\Halcyonix\\HxSetup.exe", "HxSetup",
         "C:\\Program Files\\Halcyonix\\HxSetup.HLP"},
        {"D:\\tools\\setup.v2\\Renamed.EXE", "Renamed", "D:\\tools\\setup.v2\\Renamed.HLP"},
        {"D:\\tools.d\\noext", "noext", "D:\\tools.d\\noext.HLP"},
    };
    for (const auto& c : cases) {
        sim::Reset();
        sim::SetModuleFileName(c.path);
        sim::InjectFault({sim::Api::RegOpenKeyEx, 0, kGroupOrderKey});
        sim::SeedDword(kMemoryKey, "NonPagedPoolSize", 0);
        theApp.m_pszAppName = nullptr;
        RunProgram("HxSetup.exe");
        ASSERT_EQ(sim::MessageBoxes().size(), 1u);
        EXPECT_EQ(sim::MessageBoxes()[0].caption, c.title);
        EXPECT_STREQ(theApp.m_pszHelpFilePath, c.help);
    }
    sim::Reset();
    theApp.m_pszAppName = nullptr; // the next test's boxes take the title afresh
}

} // namespace
