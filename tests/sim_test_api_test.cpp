// sim's own test interface, which Windows does not have: the call log and the hive export, the
// accounting of keys, SIDs, DCs and GDI objects with its record of misuse, fault injection, the
// scripted user's bookkeeping, its clock and help engine.
// Built natively only; the conformance tests beside it run on both sides.
#include "conformance.h"
#include "sim_window_testing.h"

#include <gtest/gtest.h>

#include <sim/machine.h>
#include <sim/resources.h>
#include <sim/ui.h>

#include <string>
#include <vector>

namespace {

using namespace simwintest;

const std::string kService = std::string(hxt::kScratch) + "\\Services\\HxVol";
const std::string kParamsPath = kService + "\\Parameters";
const char* const kParams = kParamsPath.c_str();

class SimTestApi : public ::testing::Test {
protected:
    void SetUp() override { hxt::Reset(); }
    HKEY Open(const char* path, REGSAM sam) {
        HKEY h = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, sam, &h), ERROR_SUCCESS) << path;
        return h;
    }
};

// ---- the registry, SIDs and faults of the core ----

TEST_F(SimTestApi, ExportKeepsTheFirstCaseOfNames) {
    sim::SeedDword("SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
                   "NonPagedPoolSize", 0);
    sim::SeedDword("system\\currentcontrolset\\control\\session manager\\memory management",
                   "NONPAGEDPOOLSIZE", 7);
    const std::string hive = sim::Snapshot().text;
    EXPECT_NE(hive.find("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session "
                        "Manager\\Memory Management]\n\"NonPagedPoolSize\"=dword:00000007\n"),
              std::string::npos)
        << hive;
}
TEST_F(SimTestApi, OpenKeysAndMisusesAreCounted) {
    hxt::SeedDword(kParams, "Drive", 1);
    HKEY ro = Open(kParams, KEY_READ);
    HKEY rw = Open(kParams, KEY_ALL_ACCESS);
    EXPECT_EQ(sim::OpenKeyCount(), 2u);
    RegCloseKey(ro);
    RegCloseKey(rw);
    EXPECT_TRUE(sim::Misuses().empty());
    DWORD v = 0, cb = 4;
    RegQueryValueExA(rw, "Drive", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &cb);
    RegCloseKey(rw);
    RegCloseKey(nullptr);
    EXPECT_EQ(sim::Misuses().size(), 3u);
    RegCloseKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
}

// sim's call log and hive export, its own test API.
TEST_F(SimTestApi, CallLogAndExport) {
    sim::SeedKey("SOFTWARE");
    HKEY h = nullptr;
    char cls[] = "REG_SZ";
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Hx", 0, cls, 0, KEY_ALL_ACCESS, nullptr, &h,
                    nullptr);
    DWORD one = 1;
    RegSetValueExA(h, "Start", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
    RegSetValueExA(h, "group", 0, REG_SZ, reinterpret_cast<const BYTE*>("Halcyonix"), 10);
    const BYTE multi[] = {'a', 0, 'b', 0, 0};
    RegSetValueExA(h, "List", 0, REG_MULTI_SZ, multi, 5);
    RegSetValueExA(h, "", 0, REG_BINARY, multi, 2);
    RegCloseKey(h);
    const std::vector<std::string> expected{
        "RegCreateKeyExA SOFTWARE\\Hx class=REG_SZ",
        "RegSetValueExA SOFTWARE\\Hx Start REG_DWORD 4",
        "RegSetValueExA SOFTWARE\\Hx group REG_SZ 10",
        "RegSetValueExA SOFTWARE\\Hx List REG_MULTI_SZ 5",
        "RegSetValueExA SOFTWARE\\Hx (Default) REG_BINARY 2",
        "RegCloseKey SOFTWARE\\Hx",
    };
    EXPECT_EQ(sim::CallLog(), expected);
    EXPECT_EQ(sim::Snapshot().text, "REGEDIT4\n\n"
                                    "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\n"
                                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Hx]\n"
                                    ";class=\"REG_SZ\"\n"
                                    "@=hex(3):61,00\n"
                                    "\"group\"=hex(1):48,61,6c,63,79,6f,6e,69,78,00\n"
                                    "\"List\"=hex(7):61,00,62,00,00\n"
                                    "\"Start\"=dword:00000001\n\n");
    const sim::Hive before = sim::Snapshot();
    sim::SeedString("SOFTWARE\\Hx", "Group", "Halcyonix");
    EXPECT_EQ(sim::Snapshot(), before);
    sim::SeedString("SOFTWARE\\Hx", "Group", "Halcyonix", REG_EXPAND_SZ);
    EXPECT_FALSE(sim::Snapshot() == before);
}
TEST_F(SimTestApi, SidsAreCountedAndASecondFreeIsAMisuse) {
    PSID sid = hxt::AdminSid();
    EXPECT_EQ(sim::LiveSidCount(), 1u);
    EXPECT_EQ(FreeSid(sid), nullptr);
    EXPECT_EQ(sim::LiveSidCount(), 0u);
    EXPECT_EQ(FreeSid(sid), sid) << "a second free fails";
    EXPECT_EQ(sim::Misuses().size(), 1u);
}
// wsprintfA leaves to C's formatter only what C prints as Windows does; anything else is a misuse.
TEST_F(SimTestApi, WsprintfFormatsOutsideWhatCSharesAreMisuses) {
    const struct {
        const char* fmt; // one conversion, of a string when text, else of the number 1
        bool text;
        bool shared;
    } cases[] = {
        {"%s %%", true, true}, {"%-11d", false, true}, {"%05d", false, true},
        {"%05s", true, false}, {"%.2s", true, true},   {"%.2d", false, false},
        {"%X", false, true},   {"%hd", false, false},  {"%ld", false, false},
        {"%#x", false, false}, {"%5q", false, false},  {"end%", false, false},
    };
    for (const auto& c : cases) {
        sim::Reset();
        char buf[64];
        if (c.text)
            wsprintfA(buf, c.fmt, "a");
        else
            wsprintfA(buf, c.fmt, 1);
        EXPECT_EQ(sim::Misuses().empty(), c.shared) << c.fmt;
    }
}

// sim answers what the program asks of a module and a volume; more than that is a misuse.
TEST_F(SimTestApi, QueriesBeyondWhatTheProgramAsksAreMisuses) {
    sim::AddDrive(sim::Drive{});
    char fs[16];
    DWORD serial = 0;
    const struct {
        const char* what;
        BOOL (*call)(char* fs, DWORD* serial);
        bool misuse;
    } cases[] = {
        {"own module", [](char*, DWORD*) { return GetModuleHandleA(nullptr) ? TRUE : FALSE; },
         false},
        {"module by name",
         [](char*, DWORD*) { return GetModuleHandleA("HxSetup.exe") ? TRUE : FALSE; }, true},
        {"file system",
         [](char* f, DWORD*) {
             return GetVolumeInformationA("C:\\", nullptr, 0, nullptr, nullptr, nullptr, f, 16);
         },
         false},
        {"serial number",
         [](char* f, DWORD* s) {
             return GetVolumeInformationA("C:\\", nullptr, 0, s, nullptr, nullptr, f, 16);
         },
         true},
    };
    for (const auto& c : cases) {
        const std::size_t before = sim::Misuses().size();
        c.call(fs, &serial);
        EXPECT_EQ(sim::Misuses().size(), before + (c.misuse ? 1 : 0)) << c.what;
    }
}

TEST_F(SimTestApi, ApiNamesAreTheWin32Names) {
    EXPECT_STREQ(sim::ApiName(sim::Api::RegOpenKeyEx), "RegOpenKeyExA");
    EXPECT_STREQ(sim::ApiName(sim::Api::GetDiskFreeSpace), "GetDiskFreeSpaceA");
    EXPECT_STREQ(sim::ApiName(sim::Api::RegEnumKey), "RegEnumKeyExA");
    EXPECT_STREQ(sim::ApiName(sim::Api::GetFileAttributes), "GetFileAttributesA");
}

TEST_F(SimTestApi, EveryCallCanBeFailed) {
    struct Case {
        sim::Api api;
        BOOL (*call)();
    } cases[] = {
        {sim::Api::OpenThreadToken,
         [] {
             HANDLE t;
             sim::SetToken({true, true, false, true, true});
             return OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &t);
         }},
        {sim::Api::OpenProcessToken,
         [] {
             HANDLE t;
             return OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &t);
         }},
        {sim::Api::GetTokenInformation,
         [] {
             HANDLE t;
             OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &t);
             BYTE b[256];
             DWORD n;
             return GetTokenInformation(t, TokenGroups, b, 256, &n);
         }},
        {sim::Api::AllocateAndInitializeSid,
         [] {
             SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
             PSID s;
             return AllocateAndInitializeSid(&nt, 2, 32, 544, 0, 0, 0, 0, 0, 0, &s);
         }},
        {sim::Api::LocalAlloc, [] { return LocalAlloc(LPTR, 8) != nullptr ? TRUE : FALSE; }},
    };
    for (const Case& c : cases) {
        sim::Reset();
        sim::InjectFault({c.api, 0, "", "", ERROR_NOT_ENOUGH_MEMORY});
        sim::ClearLastError();
        EXPECT_FALSE(c.call());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    }
}

// A key's permissions, which sim sets for a test: an administrator with the group enabled gets
// what the first mask grants, any other token (a filtered one of a console that is not elevated
// included) what the second does; the keys around it grant everything.
TEST_F(SimTestApi, KeyPermissionsGrantWhatTheTokenMayHave) {
    const std::string enumKey = kService + "\\Enum";
    hxt::SeedDword(kParams, "Drive", 1);
    hxt::SeedKey(enumKey.c_str());
    sim::SetKeyAccess(kService, KEY_ALL_ACCESS, KEY_READ);
    sim::SetKeyAccess(enumKey, KEY_READ, KEY_READ); // no DELETE, for anyone
    HKEY h = nullptr;
    DWORD disposition = 0;
    for (bool elevated : {true, false}) {
        SCOPED_TRACE(elevated ? "elevated" : "filtered");
        sim::SetToken({true, elevated});
        const LONG all = elevated ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kService.c_str(), 0, KEY_ALL_ACCESS, &h), all);
        if (h)
            RegCloseKey(h);
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kService.c_str(), 0, KEY_READ, &h),
                  ERROR_SUCCESS);
        RegCloseKey(h);
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kService + "\\New").c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &h, &disposition),
                  all);
        if (h) {
            RegCloseKey(h);
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kService + "\\New").c_str());
        }
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParams, 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
        RegCloseKey(h);
        EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, enumKey.c_str()), ERROR_ACCESS_DENIED);
    }
    EXPECT_TRUE(hxt::KeyExists(enumKey.c_str()));
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
}

// ---- the window layer ----

// The program's own template, as sim reads it from the resource file.
TEST_F(WindowTest, MainTemplateOfTheResourceFileMapsToItsPixelSize) {
    if (!sim::res::FindDialog(102))
        GTEST_SKIP() << "no template 102 in the resource file";
    sim::ui::OnDialog(102, [](Dialog& d) {
        RECT cr;
        GetClientRect(d.hwnd(), &cr);
        EXPECT_EQ(cr.right, 425);
        EXPECT_EQ(cr.bottom, 436);
        d.Esc();
    });
    R().endOnOkCancel = true;
    DialogBoxParamA(nullptr, MAKEINTRESOURCEA(102), nullptr, TestProc, 0);
}

TEST_F(WindowTest, InjectedFailureGivesMinusOne) {
    sim::InjectFault({sim::Api::DialogBoxParam});
    EXPECT_EQ(RunDialog([](Dialog& d) { d.Enter(); }), -1);
    EXPECT_TRUE(R().log.empty());
}

TEST_F(WindowTest, UnscriptedDialogIsCancelledAndCounted) {
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kTestDialog), nullptr, TestProc, 0),
              IDCANCEL);
    // A script that leaves the dialog open counts as well.
    EXPECT_EQ(RunDialog([](Dialog&) {}), IDCANCEL);
    EXPECT_EQ(sim::ui::UnscriptedDialogs(), 2u);
}
TEST_F(WindowTest, WinHelpRecordsEveryCallAndFailsOnDemand) {
    EXPECT_TRUE(WinHelpA(nullptr, "C:\\A.HLP", HELP_CONTEXT, 0x20066));
    sim::InjectFault({sim::Api::WinHelp});
    EXPECT_FALSE(WinHelpA(nullptr, "C:\\A.HLP", HELP_QUIT, 0));
    ASSERT_EQ(sim::ui::HelpCalls().size(), 2u);
    EXPECT_EQ(sim::ui::HelpCalls()[0].file, "C:\\A.HLP");
    EXPECT_EQ(sim::ui::HelpCalls()[0].command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(sim::ui::HelpCalls()[0].data, 0x20066u);
    EXPECT_EQ(sim::ui::HelpCalls()[1].command, static_cast<UINT>(HELP_QUIT));
}

// Each queued answer serves one box; the boxes after them, and those after a reset, get the
// default answer: the first button.
TEST_F(WindowTest, BoxAnswersServeOneBoxEachThenTheDefaultAnswers) {
    for (int i = 0; i < 2; ++i)
        sim::ui::OnMessageBox([](const sim::MessageBoxCall&) { return IDCANCEL; });
    EXPECT_EQ(MessageBoxA(nullptr, "1", "Box", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "2", "Box", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "3", "Box", MB_OKCANCEL), IDOK) << "no answer left";
    sim::ui::OnMessageBox([](const sim::MessageBoxCall&) { return IDCANCEL; });
    sim::Reset();
    EXPECT_EQ(MessageBoxA(nullptr, "4", "Box", MB_OKCANCEL), IDOK) << "the answer went with Reset";
}

// ---- timers ----

struct TimerCase {
    std::vector<DWORD> advances;
    int killAfterTicks; // 0: never
    std::size_t ticks;
};

class Timers : public WindowTest, public ::testing::WithParamInterface<TimerCase> {};

TEST_P(Timers, FireOncePerElapsedPeriodUntilKilled) {
    const TimerCase& c = GetParam();
    int ticks = 0;
    R().hook = [&](HWND h, UINT msg, WPARAM wp, LPARAM, INT_PTR*) {
        if (msg == WM_INITDIALOG) {
            EXPECT_EQ(SetTimer(h, 7, 200, nullptr), 7u);
        }
        if (msg == WM_TIMER && ++ticks == c.killAfterTicks) {
            EXPECT_TRUE(KillTimer(h, wp));
        }
        return false;
    };
    RunDialog([&](Dialog& d) {
        for (DWORD ms : c.advances)
            sim::ui::AdvanceClock(ms);
        EXPECT_EQ(sim::ui::LiveTimerCount(), c.killAfterTicks ? 0u : 1u);
        d.Esc();
    });
    EXPECT_EQ(Lines("timer").size(), c.ticks);
    EXPECT_EQ(sim::ui::LiveTimerCount(), 0u) << "timers die with their window";
}

INSTANTIATE_TEST_SUITE_P(Periods, Timers,
                         ::testing::Values(TimerCase{{199}, 0, 0}, TimerCase{{199, 1}, 0, 1},
                                           TimerCase{{1000}, 0, 5},
                                           TimerCase{{150, 150, 150}, 0, 2},
                                           TimerCase{{1000}, 1, 1}, TimerCase{{250, 1000}, 2, 2}));

TEST_F(WindowTest, SetTimerCanBeMadeToFail) {
    sim::InjectFault({sim::Api::SetTimer});
    UINT_PTR id = 1;
    R().hook = [&](HWND h, UINT msg, WPARAM, LPARAM, INT_PTR*) {
        if (msg == WM_INITDIALOG)
            id = SetTimer(h, 1, 200, nullptr);
        return false;
    };
    RunDialog([](Dialog& d) {
        sim::ui::AdvanceClock(1000);
        d.Esc();
    });
    EXPECT_EQ(id, 0u);
    EXPECT_TRUE(Lines("timer").empty());
}

// ---- device contexts and GDI objects ----

TEST_F(WindowTest, DcAndGdiAccounting) {
    HWND none = nullptr;
    HDC a = GetDC(none), b = GetDC(none);
    EXPECT_EQ(sim::ui::OutstandingDCs(), 2u);
    EXPECT_EQ(ReleaseDC(none, a), 1);
    EXPECT_EQ(ReleaseDC(none, b), 1);
    EXPECT_EQ(sim::ui::OutstandingDCs(), 0u);

    sim::InjectFault({sim::Api::GetDC, 1});
    EXPECT_EQ(GetDC(none), nullptr);
    sim::InjectFault({sim::Api::CreateFontIndirect, 1});
    LOGFONTA lf{};
    EXPECT_EQ(CreateFontIndirectA(&lf), nullptr);

    // A device context's own font is a stock object: selected out, it is not counted, and
    // deleting it does nothing.
    HFONT f = CreateFontIndirectA(&lf);
    HDC dc = GetDC(none);
    HGDIOBJ stock = SelectObject(dc, f);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(SelectObject(dc, stock), f);
    EXPECT_EQ(ReleaseDC(none, dc), 1);
    HIMAGELIST il = ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(129), 16, 8,
                                         RGB(128, 0, 0), IMAGE_BITMAP, LR_DEFAULTCOLOR);
    ASSERT_NE(il, nullptr);
    EXPECT_EQ(sim::ui::OutstandingGdiObjects(), 2u);
    EXPECT_TRUE(DeleteObject(stock)) << "stock objects are not counted";
    EXPECT_TRUE(DeleteObject(f));
    EXPECT_TRUE(ImageList_Destroy(il));
    EXPECT_FALSE(ImageList_Destroy(il));
    EXPECT_EQ(sim::ui::OutstandingGdiObjects(), 0u);
}

TEST_F(WindowTest, ImageListFromTheBitmapResourceBelongsToTheListView) {
    if (!sim::res::FindData(sim::res::kBitmap, 129))
        GTEST_SKIP() << "no bitmap 129 in the resource file";
    HIMAGELIST il = ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(129), 16, 8,
                                         RGB(128, 0, 0), IMAGE_BITMAP, LR_DEFAULTCOLOR);
    ASSERT_NE(il, nullptr);
    EXPECT_EQ(sim::ui::OutstandingGdiObjects(), 1u);
    RunDialog([&](Dialog& d) {
        HWND list = GetDlgItem(d.hwnd(), kList);
        EXPECT_EQ(SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)il), 0);
        EXPECT_EQ(SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)il), (LRESULT)il);
        d.Esc();
    });
    // Without LVS_SHAREIMAGELISTS the list view destroyed it with itself.
    EXPECT_EQ(sim::ui::OutstandingGdiObjects(), 0u);
    EXPECT_FALSE(ImageList_Destroy(il));
}

} // namespace
