// Writing the configuration: exact bytes, types, classes, order of calls and failure paths.
#include "config/DriverConfig.h"
#include "ui/BoxReport.h"
#include "hx_test_support.h"

#include <cstring>

using namespace hxtest;

namespace {

class WriteConfig : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        SeedNtSystem(12083200);
    }
};

std::vector<BYTE> Dword(DWORD v) {
    return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
}

void ExpectValue(const std::string& key, const std::string& name, DWORD type,
                 const std::vector<BYTE>& data) {
    auto v = sim::GetValue(key, name);
    ASSERT_TRUE(v.has_value()) << key << " " << name;
    EXPECT_EQ(v->type, type) << name;
    EXPECT_EQ(v->data, data) << name;
}

TEST_F(WriteConfig, DefaultsLeaveTheDriverDisabled) {
    CDriverConfig c;
    c.NonPagedPoolSize = 12083200;
    ASSERT_TRUE(c.WriteConfig(BoxReport()));
    EXPECT_TRUE(sim::MessageBoxes().empty());

    ExpectValue(kMemoryKey, "NonPagedPoolSize", REG_DWORD, Dword(12083200));
    ExpectValue(kServiceKey, "ErrorControl", REG_DWORD, Dword(1));
    ExpectValue(kServiceKey, "Start", REG_DWORD, Dword(4));
    ExpectValue(kServiceKey, "Type", REG_DWORD, Dword(1));
    ExpectValue(kServiceKey, "Group", REG_SZ, Bytes(std::string("Halcyonix\0", 10)));
    ExpectValue(kParametersKey, "BreakOnEntry", REG_DWORD, Dword(0));
    ExpectValue(kParametersKey, "DebugLevel", REG_DWORD, Dword(0));
    ExpectValue(kParametersKey, "Drive", REG_DWORD, Dword(0));
    ExpectValue(kParametersKey, "Partition", REG_DWORD, Dword(1));
    ExpectValue(kParametersKey, "DiskSize", REG_DWORD, Dword(0));
    ExpectValue(kParametersKey, "DosDevice", REG_SZ, {0, 0});
    EXPECT_EQ(sim::KeyClass(kServiceKey), "REG_SZ");
    EXPECT_EQ(sim::KeyClass(kParametersKey), "REG_SZ");
}

TEST_F(WriteConfig, RamDiskLayoutInOrder) {
    CDriverConfig c;
    c.NonPagedPoolSize = 16777216;
    c.Start = 0;
    c.Drive = 0;
    c.Partition = 0;
    c.DiskSize = 8388608;
    std::memcpy(c.DosDevice, "S:\0XYZW", 8); // bytes past the text are never written
    sim::ClearCallLog();
    ASSERT_TRUE(c.WriteConfig(BoxReport()));
    // The program hands over two bytes; like NT, the registry counts the NUL that follows them.
    ExpectValue(kParametersKey, "DosDevice", REG_SZ, Bytes(std::string("S:\0", 3)));
    ExpectValue(kParametersKey, "DiskSize", REG_DWORD, Dword(8388608));
    EXPECT_EQ(sim::GetDword(kMemoryKey, "NonPagedPoolSize"), 16777216u);

    std::vector<std::string> sets;
    for (const std::string& line : sim::CallLog())
        if (line.rfind("RegSetValueExA", 0) == 0)
            sets.push_back(line.substr(line.rfind('\\') + 1));
    const std::vector<std::string> expected = {"Memory Management NonPagedPoolSize REG_DWORD 4",
                                               "HxVol ErrorControl REG_DWORD 4",
                                               "HxVol Start REG_DWORD 4",
                                               "HxVol Type REG_DWORD 4",
                                               "HxVol Group REG_SZ 10",
                                               "Parameters BreakOnEntry REG_DWORD 4",
                                               "Parameters DebugLevel REG_DWORD 4",
                                               "Parameters Drive REG_DWORD 4",
                                               "Parameters Partition REG_DWORD 4",
                                               "Parameters DiskSize REG_DWORD 4",
                                               "Parameters DosDevice REG_SZ 2"};
    EXPECT_EQ(sets, expected);
}

TEST_F(WriteConfig, FailuresStopAtTheFailingStepAndKeepWhatWasWritten) {
    const struct {
        const char* what;
        sim::Fault fault;
        Box box;
        std::vector<std::pair<std::string, std::string>> written; // present afterwards
        std::vector<std::pair<std::string, std::string>> absent;
    } cases[] = {
        {"open memory key",
         {sim::Api::RegOpenKeyEx, 0, kMemoryKey},
         AppBox("Warning, unable to alter NonPagedPool setting"),
         {},
         {{kServiceKey, "Start"}}},
        {"set pool size",
         {sim::Api::RegSetValueEx, 0, kMemoryKey, "NonPagedPoolSize"},
         AppBox("Warning, unable to alter NonPagedPool setting"),
         {},
         {{kServiceKey, "Start"}}},
        {"create service key",
         {sim::Api::RegCreateKeyEx, 0, kServiceKey},
         ErrorBox("Error, couldn't create Halcyonix registry key"),
         {},
         {{kServiceKey, "Start"}}},
        {"set Type",
         {sim::Api::RegSetValueEx, 0, kServiceKey, "Type"},
         ErrorBox("Error, unable to write Halcyonix registry value"),
         {{kServiceKey, "ErrorControl"}, {kServiceKey, "Start"}},
         {{kServiceKey, "Group"}, {kParametersKey, "Drive"}}},
        {"create parameters key",
         {sim::Api::RegCreateKeyEx, 0, kParametersKey},
         ErrorBox("Error, couldn't create Halcyonix Parameters registry key"),
         {{kServiceKey, "Group"}},
         {{kParametersKey, "Drive"}}},
        {"set DiskSize",
         {sim::Api::RegSetValueEx, 0, kParametersKey, "DiskSize"},
         ErrorBox("Error, unable to write Halcyonix registry value"),
         {{kServiceKey, "Group"},
          {kParametersKey, "BreakOnEntry"},
          {kParametersKey, "DebugLevel"},
          {kParametersKey, "Drive"},
          {kParametersKey, "Partition"}},
         {{kParametersKey, "DiskSize"}, {kParametersKey, "DosDevice"}}},
        {"set DosDevice",
         {sim::Api::RegSetValueEx, 0, kParametersKey, "DosDevice"},
         ErrorBox("Error, unable to write Halcyonix registry value"),
         {{kParametersKey, "DiskSize"}},
         {{kParametersKey, "DosDevice"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        SeedNtSystem();
        sim::InjectFault(c.fault);
        CDriverConfig config;
        EXPECT_FALSE(config.WriteConfig(BoxReport()));
        ExpectBoxes({c.box});
        EXPECT_EQ(sim::OpenKeyCount(), 0u);
        for (const auto& [key, name] : c.written)
            EXPECT_TRUE(sim::GetValue(key, name).has_value()) << name;
        for (const auto& [key, name] : c.absent)
            EXPECT_FALSE(sim::GetValue(key, name).has_value()) << name;
    }
}

} // namespace
