// The dialog manager: template geometry, the modal loop and its user, keyboard and close-box
// routing, F1 help and timers. Built for both implementations; sim's scripted user, clock and
// help engine are tested in sim_test_api_test.cpp.
#include "sim_window_testing.h"

#include <cstdlib>

namespace {

using namespace simwintest;

// ---- dialog units ----

struct MappingCase {
    int id;                // of a test template of the size in the row's comment (conformance.rc)
    LONG clientW, clientH; // pixels
};

class DialogUnits : public WindowTest, public ::testing::WithParamInterface<MappingCase> {};

TEST_P(DialogUnits, ClientAreaIsTheTemplateSizeInPixels) {
    const MappingCase& c = GetParam();
    RunDialog(
        [&](Dialog& d) {
            RECT cr;
            GetClientRect(d.hwnd(), &cr);
            EXPECT_EQ(cr.right, c.clientW);
            EXPECT_EQ(cr.bottom, c.clientH);
            // A modal frame of 3 and a caption of 19 pixels around the client area.
            RECT wr = d.WindowRect();
            EXPECT_EQ(wr.right - wr.left, c.clientW + 6);
            EXPECT_EQ(wr.bottom - wr.top, c.clientH + 25);
            d.Esc();
        },
        c.id);
}

// 1.5 px per horizontal and 1.625 px per vertical unit, halves rounded away from zero.
INSTANTIATE_TEST_SUITE_P(Sizes, DialogUnits,
                         ::testing::Values(MappingCase{9101, 425, 436}, // 283 x 268
                                           MappingCase{9102, 275, 267}, // 183 x 164
                                           MappingCase{9103, 6, 13},    // 4 x 8
                                           MappingCase{9104, 2, 2}));   // 1 x 1

// ---- the modal run ----

TEST_F(WindowTest, RunSendsInitThenEndsWithTheEndDialogResultAndDestroys) {
    R().hook = [](HWND h, UINT msg, WPARAM wp, LPARAM, INT_PTR*) {
        if (msg == WM_COMMAND && LOWORD(wp) == kApply)
            EndDialog(h, 42);
        return false;
    };
    HWND seen = nullptr;
    INT_PTR r = RunDialog([&](Dialog& d) {
        seen = d.hwnd();
        EXPECT_EQ(GetActiveWindow(), d.hwnd());
        d.Click(kApply);
        EXPECT_FALSE(d.IsOpen());
        d.Click(IDOK); // too late: the dialog has ended
    });
    EXPECT_EQ(r, 42);
    EXPECT_EQ(R().log,
              (std::vector<std::string>{"init", "command 103 0x0", "destroy", "ncdestroy"}));
    hxt::ClearLastError();
    EXPECT_EQ(GetWindowLongPtrA(seen, GWL_STYLE), 0) << "the dialog is gone";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(GetActiveWindow(), nullptr);
#if HXT_SIM // sim's record of the dialogs its scripted user ran
    EXPECT_EQ(sim::ui::DialogsRun(), std::vector<int>{kTestDialog});
    EXPECT_EQ(sim::ui::UnscriptedDialogs(), 0u);
#endif
}

TEST_F(WindowTest, MissingTemplateGivesMinusOne) {
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4242), nullptr, TestProc, 0), -1);
    EXPECT_TRUE(R().log.empty());
}

struct FocusCase {
    const char* name;
    BOOL initResult;
    bool disableOk;
    int procFocus; // the control the procedure gives the focus in WM_INITDIALOG, 0: none
    int focus;
};

class InitialFocus : public WindowTest, public ::testing::WithParamInterface<FocusCase> {};

TEST_P(InitialFocus, GoesToTheFirstUsableTabStopUnlessTheProcedureChoseOne) {
    const FocusCase& c = GetParam();
    R().initResult = c.initResult;
    R().hook = [&](HWND h, UINT msg, WPARAM, LPARAM, INT_PTR*) {
        if (msg == WM_INITDIALOG && c.disableOk)
            EnableWindow(GetDlgItem(h, IDOK), FALSE);
        if (msg == WM_INITDIALOG && c.procFocus)
            SetFocus(GetDlgItem(h, c.procFocus));
        return false;
    };
    RunDialog([&](Dialog& d) {
        EXPECT_EQ(d.FocusId(), c.focus) << c.name;
        d.Esc();
    });
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InitialFocus,
    ::testing::Values(FocusCase{"true", TRUE, false, 0, IDOK},
                      // Activating a dialog without a focus gives one.
                      FocusCase{"false", FALSE, false, 0, IDOK},
                      FocusCase{"false, Apply chosen", FALSE, false, kApply, kApply},
                      FocusCase{"true overrides the choice", TRUE, false, kApply, IDOK},
                      FocusCase{"first disabled", TRUE, true, 0, IDCANCEL}));

// ---- keyboard and close box ----

struct RouteCase {
    const char* name;
    std::function<void(Dialog&)> act;
    bool procHandlesClose; // the procedure answers WM_SYSCOMMAND / WM_CLOSE itself
    bool disableCancel;
    std::vector<std::string> commands; // WM_COMMAND lines, in order
    INT_PTR result;
};

class Routing : public WindowTest, public ::testing::WithParamInterface<RouteCase> {};

TEST_P(Routing, KeysAndCloseBoxBecomeCommands) {
    const RouteCase& c = GetParam();
    R().hook = [&](HWND h, UINT msg, WPARAM, LPARAM, INT_PTR* res) {
        if (msg == WM_INITDIALOG && c.disableCancel)
            EnableWindow(GetDlgItem(h, IDCANCEL), FALSE);
        if ((msg == WM_SYSCOMMAND || msg == WM_CLOSE) && c.procHandlesClose) {
            *res = TRUE;
            return true;
        }
        return false;
    };
    INT_PTR r = RunDialog([&](Dialog& d) {
        c.act(d);
        if (d.IsOpen())
            EndDialog(d.hwnd(), 77);
    });
    EXPECT_EQ(Lines("command"), c.commands) << c.name;
    EXPECT_EQ(r, c.result) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Routing,
    ::testing::Values(
        RouteCase{"Enter clicks the default button",
                  [](Dialog& d) { d.Enter(); },
                  false,
                  false,
                  {"command 1 0x0"},
                  IDOK},
        // A push button that takes the focus by SetFocus or a click is not made the default.
        RouteCase{"Enter with a push button focused still clicks the default",
                  [](Dialog& d) {
                      SetFocus(GetDlgItem(d.hwnd(), kApply));
                      d.Enter();
                  },
                  false,
                  false,
                  {"command 1 0x0"},
                  IDOK},
        RouteCase{"Enter after a click on a push button",
                  [](Dialog& d) {
                      d.Click(kApply);
                      d.Enter();
                  },
                  false,
                  false,
                  {"command 103 0x0", "command 1 0x0"},
                  IDOK},
        RouteCase{"Enter in the list uses the default button",
                  [](Dialog& d) {
                      d.ClickListBelowRows(kList);
                      d.Enter();
                  },
                  false,
                  false,
                  {"command 1 0x0"},
                  IDOK},
        // Disabled, the push button drops the focus; with the focus nowhere the keys are
        // system keys of the dialog, which it does not act on.
        RouteCase{"Enter and Esc after the focused push button is disabled",
                  [](Dialog& d) {
                      d.Click(kApply);
                      EnableWindow(GetDlgItem(d.hwnd(), kApply), FALSE);
                      d.Enter();
                      d.Esc();
                  },
                  false,
                  false,
                  {"command 103 0x0"},
                  77},
        RouteCase{"Enter after the focus moved on before the button was disabled",
                  [](Dialog& d) {
                      d.Click(kApply);
                      SendMessageA(d.hwnd(), WM_NEXTDLGCTL, (WPARAM)GetDlgItem(d.hwnd(), kList),
                                   TRUE);
                      EnableWindow(GetDlgItem(d.hwnd(), kApply), FALSE);
                      EXPECT_EQ(d.FocusId(), kList);
                      d.Enter();
                  },
                  false,
                  false,
                  {"command 103 0x0", "command 1 0x0"},
                  IDOK},
        RouteCase{"Esc", [](Dialog& d) { d.Esc(); }, false, false, {"command 2 0x0"}, IDCANCEL},
        RouteCase{"Esc even with Cancel disabled",
                  [](Dialog& d) { d.Esc(); },
                  false,
                  true,
                  {"command 2 0x0"},
                  IDCANCEL},
        RouteCase{"close box posts Cancel",
                  [](Dialog& d) { d.CloseBox(); },
                  false,
                  false,
                  {"command 2 0x0"},
                  IDCANCEL},
        RouteCase{"close box handled by the procedure",
                  [](Dialog& d) { d.CloseBox(); },
                  true,
                  false,
                  {},
                  77},
        RouteCase{"close box posts Cancel even with Cancel disabled",
                  [](Dialog& d) { d.CloseBox(); },
                  false,
                  true,
                  {"command 2 0x0"},
                  IDCANCEL},
        RouteCase{"click on a disabled button does nothing",
                  [](Dialog& d) {
                      EnableWindow(GetDlgItem(d.hwnd(), kApply), FALSE);
                      d.Click(kApply);
                  },
                  false,
                  false,
                  {},
                  77},
        RouteCase{"click on a hidden button does nothing",
                  [](Dialog& d) {
                      ShowWindow(GetDlgItem(d.hwnd(), kApply), SW_HIDE);
                      d.Click(kApply);
                  },
                  false,
                  false,
                  {},
                  77}));

TEST_F(WindowTest, CloseBoxGoesThroughSysCommandAndClose) {
    RunDialog([](Dialog& d) { d.CloseBox(); });
    EXPECT_EQ(R().log, (std::vector<std::string>{"init", "syscommand 0xF060", "close",
                                                 "command 2 0x0", "destroy", "ncdestroy"}));
}

// ---- F1 ----

struct HelpCase {
    bool shift, ctrl, alt;
    bool focusOnList;
    std::vector<std::string> help;
};

class F1Help : public WindowTest, public ::testing::WithParamInterface<HelpCase> {};

TEST_P(F1Help, ReachesTheDialogAsWmHelpWithTheModifiersHeld) {
    const HelpCase& c = GetParam();
    RunDialog([&](Dialog& d) {
        if (c.focusOnList)
            SetFocus(GetDlgItem(d.hwnd(), kList));
        d.F1(c.shift, c.ctrl, c.alt);
        EXPECT_GE(GetKeyState(VK_SHIFT), 0) << "released afterwards";
        d.Esc();
    });
    EXPECT_EQ(Lines("help"), c.help);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, F1Help,
    ::testing::Values(HelpCase{false, false, false, false, {"help 1"}}, // focus on OK
                      HelpCase{false, false, false, true, {"help 100"}},
                      HelpCase{true, false, false, false, {"help 1+shift"}},
                      HelpCase{false, true, false, false, {"help 1+ctrl"}},
                      HelpCase{true, true, false, false, {"help 1+shift+ctrl"}},
                      HelpCase{false, false, true, false, {}})); // Alt+F1 is a system key

TEST_F(WindowTest, F1AfterInitReturnedFalseHelpsTheFirstTabStop) {
    R().initResult = FALSE;
    RunDialog([](Dialog& d) {
        d.F1();
        d.Esc();
    });
    EXPECT_EQ(Lines("help"), std::vector<std::string>{"help 1"});
}

// The window timer as the program uses it: it ticks while the dialog runs, stops when killed and
// dies with its window. Exact counts of ticks need sim's clock (the table below).
TEST_F(WindowTest, TimerTicksUntilKilledAndDiesWithItsWindow) {
    HWND dlg = nullptr;
    R().hook = [&](HWND h, UINT msg, WPARAM, LPARAM, INT_PTR*) {
        if (msg == WM_INITDIALOG) {
            dlg = h;
            EXPECT_EQ(SetTimer(h, 7, 50, nullptr), 7u);
        }
        return false;
    };
    RunDialog([](Dialog& d) {
        hxt::ui::Elapse(160);
        const std::vector<std::string> ticks = Lines("timer");
        ASSERT_FALSE(ticks.empty());
        EXPECT_EQ(ticks[0], "timer 7");
        EXPECT_TRUE(KillTimer(d.hwnd(), 7));
        EXPECT_FALSE(KillTimer(d.hwnd(), 7)) << "already killed";
        hxt::ui::Elapse(160);
        EXPECT_EQ(Lines("timer"), ticks);
        EXPECT_EQ(SetTimer(d.hwnd(), 8, 50, nullptr), 8u);
        d.Esc();
    });
    EXPECT_FALSE(KillTimer(dlg, 8)) << "the timer went with its window";
}

// ---- nested dialogs ----

TEST_F(WindowTest, NestedDialogDisablesItsOwnerAndGivesTheFocusBack) {
    R().hook = [](HWND h, UINT msg, WPARAM wp, LPARAM, INT_PTR* res) {
        if (msg == WM_COMMAND && LOWORD(wp) == kApply) {
            DialogBoxParamA(nullptr, MAKEINTRESOURCEA(9200), h, TestProc, 0);
            *res = TRUE;
            return true;
        }
        return false;
    };
    hxt::ui::OnDialog(9200, [](Dialog& inner) {
        HWND outer = GetWindow(inner.hwnd(), GW_OWNER);
        ASSERT_NE(outer, nullptr);
        EXPECT_FALSE(Dialog(outer).Enabled(0));
        EXPECT_EQ(GetActiveWindow(), inner.hwnd());
        inner.Esc();
    });
    RunDialog([](Dialog& d) {
        HDC dc = GetDC(d.hwnd());
        RECT r{10, 10, 20, 20};
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
        ReleaseDC(d.hwnd(), dc);
        d.Click(kApply);
        EXPECT_TRUE(d.Enabled(0));
        EXPECT_EQ(d.FocusId(), kApply);
        d.Esc();
    });
#if HXT_SIM
    EXPECT_EQ(sim::ui::DialogsRun(), (std::vector<int>{kTestDialog, 9200}));
#endif
}

// ---- window data ----

TEST_F(WindowTest, DialogWindowDataSlotsAreSeparate) {
    RunDialog([](Dialog& d) {
        HWND h = d.hwnd();
        SetWindowLongPtrA(h, DWLP_USER, 1234);
        SetWindowLongPtrA(h, DWLP_MSGRESULT, 5678);
        EXPECT_EQ(GetWindowLongPtrA(h, DWLP_USER), 1234);
        EXPECT_EQ(GetWindowLongPtrA(h, DWLP_MSGRESULT), 5678);
        EXPECT_TRUE(GetWindowLongPtrA(h, GWL_STYLE) & WS_VISIBLE);
        d.Esc();
    });
}

} // namespace
