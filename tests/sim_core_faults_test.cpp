// sim's fault injection, call counting, message boxes and reset.
#include <gtest/gtest.h>
#include <sim/machine.h>

namespace {

const char* const kParams = "SYSTEM\\CurrentControlSet\\Services\\HxVol\\Parameters";

class SimFaults : public ::testing::Test {
protected:
    void SetUp() override {
        sim::Reset();
        sim::SeedKey(kParams);
    }
    // Sets each name to 1 in one open/set.../close sequence; the results of the sets.
    std::vector<LONG> SetAll(const std::vector<const char*>& names) {
        HKEY h = nullptr;
        std::vector<LONG> out;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParams, 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS)
            return out;
        DWORD one = 1;
        for (const char* n : names)
            out.push_back(RegSetValueExA(h, n, 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4));
        RegCloseKey(h);
        return out;
    }
};

using V = std::vector<LONG>;
constexpr LONG kOk = ERROR_SUCCESS;
constexpr LONG kDenied = ERROR_ACCESS_DENIED;

TEST_F(SimFaults, ByApiKeyValueAndNth) {
    const struct {
        sim::Fault fault;
        V expected;
    } cases[] = {
        {{sim::Api::RegSetValueEx, 0, "", "", ERROR_ACCESS_DENIED}, {kDenied, kDenied, kDenied}},
        {{sim::Api::RegSetValueEx, 2, "", "", ERROR_ACCESS_DENIED}, {kOk, kDenied, kOk}},
        {{sim::Api::RegSetValueEx, 0, kParams, "DiskSize"}, {kOk, kDenied, kOk}},
        {{sim::Api::RegSetValueEx, 0, "system\\currentcontrolset\\services\\hxvol\\parameters",
          "disksize"},
         {kOk, kDenied, kOk}},
        {{sim::Api::RegSetValueEx, 0, "SYSTEM\\Other", "DiskSize"}, {kOk, kOk, kOk}},
        {{sim::Api::RegSetValueEx, 1, "", "Drive"}, {kOk, kOk, kDenied}},
        {{sim::Api::RegQueryValueEx, 0, "", ""}, {kOk, kOk, kOk}},
        {{sim::Api::RegSetValueEx, 0, "", "", ERROR_REGISTRY_IO_FAILED},
         {ERROR_REGISTRY_IO_FAILED, ERROR_REGISTRY_IO_FAILED, ERROR_REGISTRY_IO_FAILED}},
    };
    for (const auto& c : cases) {
        SetUp();
        sim::InjectFault(c.fault);
        EXPECT_EQ(SetAll({"Partition", "DiskSize", "Drive"}), c.expected);
        EXPECT_EQ(sim::OpenKeyCount(), 0u);
    }
}

TEST_F(SimFaults, FailedValueWriteLeavesOthersWritten) {
    sim::InjectFault({sim::Api::RegSetValueEx, 0, kParams, "DiskSize"});
    SetAll({"Partition", "DiskSize", "Drive"});
    EXPECT_EQ(sim::GetDword(kParams, "Partition"), 1u);
    EXPECT_FALSE(sim::GetValue(kParams, "DiskSize"));
    EXPECT_EQ(sim::GetDword(kParams, "Drive"), 1u);
}

TEST_F(SimFaults, FailNthCallTransientAndPersistent) {
    SetAll({"A", "B", "C"}); // open, 3 sets, close
    EXPECT_EQ(sim::FallibleCallCount(), 5u);
    const struct {
        std::size_t n;
        bool persistent;
        V expected;
    } cases[] = {
        {1, false, {}}, // the open fails: nothing set
        {3, false, {kOk, kDenied, kOk}},
        {3, true, {kOk, kDenied, kDenied}},
        {5, false, {kOk, kOk, kOk}}, // the close
        {6, true, {kOk, kOk, kOk}},
    };
    for (const auto& c : cases) {
        SetUp();
        sim::FailNthCall(c.n, ERROR_ACCESS_DENIED, c.persistent);
        EXPECT_EQ(SetAll({"A", "B", "C"}), c.expected) << c.n;
        EXPECT_EQ(sim::OpenKeyCount(), 0u) << "a failed close still closes";
    }
}

TEST_F(SimFaults, FailedOpenAndCreateReturnNullHandles) {
    sim::InjectFault({sim::Api::RegOpenKeyEx, 0, kParams, "", ERROR_ACCESS_DENIED});
    sim::InjectFault({sim::Api::RegCreateKeyEx, 0, "SOFTWARE\\X", "", ERROR_CANTWRITE});
    HKEY h = reinterpret_cast<HKEY>(0x99);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParams, 0, KEY_ALL_ACCESS, &h),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(h, nullptr);
    h = reinterpret_cast<HKEY>(0x99);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\X", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &h, nullptr),
              ERROR_CANTWRITE);
    EXPECT_EQ(h, nullptr);
    EXPECT_FALSE(sim::KeyExists("SOFTWARE\\X"));
}

TEST_F(SimFaults, DriveQueriesByRootOrDevice) {
    sim::Drive c;
    c.letter = 'C';
    sim::AddDrive(c);
    c.letter = 'D';
    sim::AddDrive(c);
    sim::InjectFault({sim::Api::GetDiskFreeSpace, 0, "D:\\", "", ERROR_NOT_READY});
    sim::InjectFault({sim::Api::QueryDosDevice, 0, "C:", "", ERROR_GEN_FAILURE});
    DWORD a, b, f, t;
    EXPECT_TRUE(GetDiskFreeSpaceA("C:\\", &a, &b, &f, &t));
    EXPECT_FALSE(GetDiskFreeSpaceA("D:\\", &a, &b, &f, &t));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
    char dev[64];
    EXPECT_EQ(QueryDosDeviceA("C:", dev, 64), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
    EXPECT_NE(QueryDosDeviceA("D:", dev, 64), 0u);
    sim::InjectFault({sim::Api::GetLogicalDriveStrings, 1, "", "", ERROR_GEN_FAILURE});
    char buf[512];
    EXPECT_EQ(GetLogicalDriveStringsA(512, buf), 0u);
    EXPECT_EQ(GetLogicalDriveStringsA(512, buf), 8u) << "nth = 1 fails only the first";
}

TEST_F(SimFaults, ResetClearsEverything) {
    sim::InjectFault({sim::Api::RegOpenKeyEx});
    sim::FailNthCall(1, ERROR_ACCESS_DENIED, true);
    HKEY h;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParams, 0, KEY_ALL_ACCESS, &h);
    MessageBoxA(nullptr, "text", "caption", MB_OK);
    sim::Reset();
    EXPECT_TRUE(sim::CallLog().empty());
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_EQ(sim::FallibleCallCount(), 0u);
    EXPECT_FALSE(sim::KeyExists(kParams));
    sim::SeedKey(kParams);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParams, 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
    sim::Reset();
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
    EXPECT_EQ(RegCloseKey(h), ERROR_INVALID_HANDLE) << "handles do not survive a reset";
}

TEST_F(SimFaults, MessageBoxesAreRecordedAndLogged) {
    EXPECT_EQ(MessageBoxA(nullptr, "Fatal Error\n Unable", "Halcyonix Not Configured",
                          MB_OK | MB_ICONERROR),
              IDOK);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    const sim::MessageBoxCall& box = sim::MessageBoxes()[0];
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text, "Fatal Error\n Unable");
    EXPECT_EQ(box.caption, "Halcyonix Not Configured");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(sim::CallLog(), std::vector<std::string>{"MessageBoxA Halcyonix Not Configured"});
}

} // namespace
