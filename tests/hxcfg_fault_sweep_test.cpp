// Fault sweep over hxcfg's writing commands: every fallible OS call of a clean run fails, once or
// from then on. The run must then end with one "hxcfg: " line and a nonzero status, unless it
// rightly went on (a failed close, a failed read of the closing verdict, which may then find
// reasons: status 1) and wrote what the clean run wrote; every value it leaves is
// the seed's or the clean run's; nothing stays open.
#include <map>
#include <sstream>

#include "hx_test_support.h"
#include "hxcfg_run.h"

using namespace hxtest;

namespace {

// key -> value name -> the value's text, from the hive's export; "" names the key itself.
using Values = std::map<std::string, std::map<std::string, std::string>>;

Values ValuesOf(const sim::Hive& hive) {
    Values out;
    std::istringstream in(hive.text);
    std::string line, key;
    while (std::getline(in, line)) {
        if (line.size() > 2 && line.front() == '[') {
            key = line.substr(1, line.size() - 2);
            out[key][""] = "";
        } else if (!line.empty() && line.front() == '"') {
            size_t eq = line.find("\"=");
            out[key][line.substr(0, eq + 1)] = line.substr(eq + 2);
        }
    }
    return out;
}

struct Scenario {
    const char* name;
    std::vector<std::string> args;
    bool installed;
};

const Scenario kScenarios[] = {
    {"ramdisk, fresh", {"ramdisk"}, false},
    {"mirror, installed", {"mirror", "D:"}, true},
    {"pool max, fresh", {"pool", "max"}, false},
    {"remove, installed", {"remove"}, true},
};

void Seed(const Scenario& s) {
    sim::Reset();
    SeedNtSystem(0);
    SeedParents();
    AddSmallDrive();
    if (s.installed) {
        std::vector<std::string> groups = kNtGroups;
        groups.insert(groups.begin() + 6, "Halcyonix");
        sim::SeedMultiSz(kGroupOrderKey, "List", groups);
        sim::SeedDword(kEventSourceKey, "TypesSupported", 7);
        SeedInstalled(0, 0, 0, 4194304, "S:");
        sim::SeedDword(kServiceKey + "\\Enum", "Count", 1);
    }
}

class HxcfgFaultSweep : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override { sim::Reset(); }
};

TEST_P(HxcfgFaultSweep, EveryFallibleCallFailsOnceAndFromThenOn) {
    const Scenario& s = kScenarios[GetParam()];
    Seed(s);
    const Values seed = ValuesOf(sim::Snapshot());
    HxcfgRun clean = RunHxcfg(s.args);
    ASSERT_EQ(clean.exit, 0) << clean.err;
    const sim::Hive cleanHive = sim::Snapshot();
    const Values cleanValues = ValuesOf(cleanHive);
    const std::size_t calls = sim::FallibleCallCount();
    ASSERT_GT(calls, 10u);

    for (bool persistent : {false, true}) {
        for (std::size_t i = 1; i <= calls; ++i) {
            SCOPED_TRACE(std::string(persistent ? "from call " : "only call ") + std::to_string(i));
            Seed(s);
            sim::FailNthCall(i, ERROR_ACCESS_DENIED, persistent);
            HxcfgRun r = RunHxcfg(s.args);
            EXPECT_EQ(sim::OpenKeyCount(), 0u);
            EXPECT_EQ(sim::OpenTokenCount(), 0u);
            EXPECT_EQ(sim::LiveSidCount(), 0u);
            EXPECT_EQ(sim::LiveLocalAllocCount(), 0u);
            EXPECT_TRUE(sim::Misuses().empty());
            EXPECT_TRUE(sim::MessageBoxes().empty());
            // All was written; a read of the closing verdict that failed may have made it find
            // reasons, and the drive list says why it failed, as status does.
            if (r.exit == 0 || r.exit == 1) {
                EXPECT_TRUE(r.err.empty() || r.err.rfind("hxcfg: ", 0) == 0) << r.err;
                EXPECT_LE(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
                EXPECT_EQ(sim::Snapshot(), cleanHive);
                continue;
            }
            EXPECT_TRUE(r.exit == 3 || r.exit == 4) << r.exit;
            EXPECT_EQ(r.err.rfind("hxcfg: ", 0), 0u) << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
            if (r.exit == 3) { // refused: before the first write
                EXPECT_EQ(ValuesOf(sim::Snapshot()), seed);
            } else { // and what stays is said
                EXPECT_NE(r.out.find("before the failure"), std::string::npos) << r.out;
            }
            for (const auto& [key, values] : ValuesOf(sim::Snapshot())) {
                for (const auto& [name, text] : values) {
                    auto as = [&](const Values& v) {
                        auto k = v.find(key);
                        return k != v.end() && k->second.count(name) && k->second.at(name) == text;
                    };
                    EXPECT_TRUE(as(seed) || as(cleanValues)) << key << " " << name << "=" << text;
                }
            }
        }
    }
}

std::string CommandName(const ::testing::TestParamInfo<int>& info) {
    const char* const names[] = {"RamDisk", "Mirror", "PoolMax", "Remove"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Commands, HxcfgFaultSweep, ::testing::Range(0, 4), CommandName);

} // namespace
