// Runs hxcfg in-process on the simulated machine, and the dialog the same way, for comparison.
#pragma once

#include <gtest/gtest.h>
#include <sim/machine.h>
#include <sim/ui.h>

#include <functional>
#include <string>
#include <vector>

#include "app/HxSetupApp.h"
#include "hx_machine.h"
#include "hxcfg/Commands.h"
#include "res/resource.h"

namespace hxtest {

struct HxcfgRun {
    int exit = -1;
    std::string out;
    std::string err;
};

// A console program's lines end in CR LF; every CR must be one of those.
inline std::string WithoutCarriageReturns(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "a lone CR at " << i;
            continue;
        }
        if (text[i] == '\n') {
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "a line ending in a bare LF at " << i;
        }
        out += text[i];
    }
    return out;
}

inline HxcfgRun RunHxcfg(std::vector<std::string> args) {
    args.insert(args.begin(), "hxcfg");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    HxcfgRun r;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    r.exit = HxcfgMain(static_cast<int>(args.size()), argv.data());
    r.out = WithoutCarriageReturns(::testing::internal::GetCapturedStdout());
    r.err = WithoutCarriageReturns(::testing::internal::GetCapturedStderr());
    return r;
}

// The dialog run to its end with a script for the main dialog; every box answered.
inline void RunDialog(const std::function<void(sim::ui::Dialog&)>& script) {
    sim::ui::OnDialog(IDD_HXSETUP_DIALOG, script);
    sim::SetCommandLine("HxSetup.exe");
    AfxWinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 1);
}

// A fixed drive that fits an 8 MiB budget: 2 MiB on disk 1, partition 2.
inline void AddSmallDrive(char letter = 'D') {
    sim::AddDrive(FixedDrive(letter, 4096));
}

// The keys a Windows NT has below which the driver's keys go.
inline void SeedParents() {
    sim::SeedKey("SYSTEM\\CurrentControlSet\\Services");
    sim::SeedKey("SYSTEM\\CurrentControlSet\\Services\\EventLog\\System");
}

} // namespace hxtest
