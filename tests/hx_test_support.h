// Shared set-up for the product's native tests: the machine (hx_machine.h), and short ways to
// state what a run must have shown and written.
#pragma once

#include <gtest/gtest.h>
#include <sim/machine.h>

#include "hx_machine.h"

#include <string>
#include <vector>

namespace hxtest {

inline const char kNotConfigured[] = "Halcyonix Not Configured";
inline const char kAppTitle[] = "HxSetup"; // sim's module is ...\HxSetup.exe

// An installed configuration, as this program writes it.
inline void SeedInstalled(DWORD start, DWORD drive, DWORD partition, DWORD diskSize,
                          const std::string& dosDevice) {
    sim::SeedKey(kServiceKey, "REG_SZ");
    sim::SeedDword(kServiceKey, "Start", start);
    sim::SeedDword(kParametersKey, "BreakOnEntry", 0);
    sim::SeedDword(kParametersKey, "DebugLevel", 0);
    sim::SeedDword(kParametersKey, "Drive", drive);
    sim::SeedDword(kParametersKey, "Partition", partition);
    sim::SeedDword(kParametersKey, "DiskSize", diskSize);
    sim::SeedValue(kParametersKey, "DosDevice", REG_SZ, Bytes(dosDevice));
}

struct Box {
    bool ownerless; // no owner window (else: whatever owner the box had)
    std::string text;
    std::string caption;
    UINT type;
};
inline Box ErrorBox(const std::string& text) {
    return {true, text, kNotConfigured, MB_ICONERROR};
}
// The application message box as it reaches the system: the title as caption, exclamation.
inline Box AppBox(const std::string& text, UINT type = MB_ICONEXCLAMATION) {
    return {false, text, kAppTitle, type};
}

// Every box shown, in order, must be exactly these.
inline void ExpectBoxes(const std::vector<Box>& expected) {
    const auto& shown = sim::MessageBoxes();
    ASSERT_EQ(shown.size(), expected.size()) << [&] {
        std::string s = "boxes shown:";
        for (const auto& b : shown)
            s += "\n  [" + b.caption + "] " + b.text;
        return s;
    }();
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(shown[i].text, expected[i].text) << "box " << i;
        EXPECT_EQ(shown[i].caption, expected[i].caption) << "box " << i;
        EXPECT_EQ(shown[i].type, expected[i].type) << "box " << i;
        if (expected[i].ownerless) {
            EXPECT_EQ(shown[i].owner, nullptr) << "box " << i;
        }
    }
}

// Every test starts on a clean machine and must leave no key handle open.
class MachineTest : public ::testing::Test {
protected:
    void SetUp() override { sim::Reset(); }
    void TearDown() override { EXPECT_EQ(sim::OpenKeyCount(), 0u) << "key handles left open"; }
};

} // namespace hxtest

namespace sim {
// Failing comparisons of two hives print them whole.
inline void PrintTo(const Hive& hive, std::ostream* os) {
    *os << "\n" << hive.text;
}
} // namespace sim
