// A tiny dialog procedure for the window system's conformance tests: it records the messages a
// dialog gets and lets each test answer them. Built for both implementations; the test templates
// come from conformance.rc, linked into the Windows build and compiled to a .res for sim.
#pragma once

#include "conformance_ui.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace simwintest {

using hxt::ui::Dialog;

constexpr int kTestDialog = 9001;
constexpr int kList = 100, kEdit = 101, kSpin = 102, kApply = 103, kGroup = 104;

// What the test dialog procedure saw, and how it answers.
struct Recorder {
    std::vector<std::string> log;
    // Called first; returning true means the message was handled with *result.
    std::function<bool(HWND, UINT, WPARAM, LPARAM, INT_PTR*)> hook;
    BOOL initResult = TRUE;
    bool endOnOkCancel = true;
};

inline Recorder& R() {
    static Recorder r;
    return r;
}

inline std::string Hex(UINT v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

// The first row of a list view in the given state, -1 if none.
inline int RowWith(HWND list, UINT state) {
    int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i)
        if (SendMessageA(list, LVM_GETITEMSTATE, i, state) & state)
            return i;
    return -1;
}

inline INT_PTR CALLBACK TestProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    Recorder& r = R();
    switch (msg) {
    case WM_INITDIALOG:
        r.log.push_back("init");
        break;
    case WM_COMMAND:
        r.log.push_back("command " + std::to_string(LOWORD(wp)) + " " + Hex(HIWORD(wp)));
        break;
    case WM_NOTIFY: {
        const NMHDR* nm = reinterpret_cast<const NMHDR*>(lp);
        if (nm->code == NM_CLICK) {
            // The row that holds the focus when the parent hears of the click.
            r.log.push_back("click " + std::to_string(RowWith(nm->hwndFrom, LVIS_FOCUSED)));
        } else if (nm->code == UDN_DELTAPOS) {
            const NMUPDOWN* ud = reinterpret_cast<const NMUPDOWN*>(lp);
            r.log.push_back("deltapos " + std::to_string(ud->iPos) + " " +
                            std::to_string(ud->iDelta));
        }
        break;
    }
    case WM_HELP: {
        const HELPINFO* hi = reinterpret_cast<const HELPINFO*>(lp);
        std::string mods;
        if (GetKeyState(VK_SHIFT) < 0)
            mods += "+shift";
        if (GetKeyState(VK_CONTROL) < 0)
            mods += "+ctrl";
        if (GetKeyState(VK_MENU) < 0)
            mods += "+alt";
        r.log.push_back("help " + std::to_string(hi->iCtrlId) + mods);
        break;
    }
    case WM_TIMER:
        r.log.push_back("timer " + std::to_string(wp));
        break;
    case WM_SYSCOMMAND:
        r.log.push_back("syscommand " + Hex(static_cast<UINT>(wp & 0xFFF0)));
        break;
    case WM_CLOSE:
        r.log.push_back("close");
        break;
    case WM_DESTROY:
        r.log.push_back("destroy");
        break;
    case WM_NCDESTROY:
        r.log.push_back("ncdestroy");
        break;
    default:
        break;
    }
    INT_PTR result = 0;
    if (r.hook && r.hook(h, msg, wp, lp, &result))
        return result;
    if (msg == WM_INITDIALOG)
        return r.initResult;
    if (msg == WM_COMMAND && r.endOnOkCancel && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        EndDialog(h, LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

// Runs the test dialog with one script and returns DialogBoxParamA's result.
inline INT_PTR RunDialog(const hxt::ui::Script& script, int id = kTestDialog) {
    hxt::ui::OnDialog(id, script);
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, TestProc, 0);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        hxt::Reset();
        R() = Recorder{};
#if HXT_SIM
        sim::res::LoadTestResources(HX_TEST_RES_FILE);
#endif
    }
    void TearDown() override {
#if HXT_SIM // sim's accounting of device contexts and misuse
        EXPECT_EQ(sim::ui::OutstandingDCs(), 0u);
        EXPECT_TRUE(sim::Misuses().empty());
#endif
        R() = Recorder{};
    }
    // The log lines that start with `prefix`, in order.
    static std::vector<std::string> Lines(const std::string& prefix) {
        std::vector<std::string> out;
        for (const std::string& l : R().log)
            if (l.compare(0, prefix.size(), prefix) == 0)
                out.push_back(l);
        return out;
    }
};

} // namespace simwintest
