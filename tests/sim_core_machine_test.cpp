// Conformance of sim's drives, volumes, memory status and process queries with Win32.
#include <gtest/gtest.h>
#include <sim/machine.h>

#include <cstring>
#include <string>

namespace {

class SimMachine : public ::testing::Test {
protected:
    void SetUp() override {
        sim::Reset();
        sim::Drive c;
        c.letter = 'C';
        c.totalClusters = 1000;
        c.freeClusters = 10;
        sim::AddDrive(c);
        sim::Drive e;
        e.letter = 'e';
        e.type = DRIVE_CDROM;
        e.fileSystem = "CDFS";
        e.device = "\\Device\\CdRom0";
        sim::AddDrive(e);
    }
};

TEST_F(SimMachine, LogicalDriveStrings) {
    char buf[16];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(GetLogicalDriveStringsA(8, buf), 9u) << "too small: size needed with final NUL";
    EXPECT_EQ(buf[0], 'x') << "and nothing written";
    EXPECT_EQ(GetLogicalDriveStringsA(9, buf), 8u);
    EXPECT_EQ(std::string(buf, 9), std::string("C:\\\0E:\\\0\0", 9));
    sim::Reset();
    EXPECT_EQ(GetLogicalDriveStringsA(sizeof buf, buf), 0u);
    EXPECT_EQ(buf[0], '\0');
}

TEST_F(SimMachine, DriveTypes) {
    const struct {
        const char* root;
        UINT type;
    } cases[] = {{"C:\\", DRIVE_FIXED},     {"c:\\", DRIVE_FIXED},
                 {"E:\\", DRIVE_CDROM},     {"Q:\\", DRIVE_NO_ROOT_DIR},
                 {"C:", DRIVE_NO_ROOT_DIR}, {"C:\\Windows", DRIVE_NO_ROOT_DIR}};
    for (const auto& c : cases)
        EXPECT_EQ(GetDriveTypeA(c.root), c.type) << c.root;
}

TEST_F(SimMachine, DiskFreeSpace) {
    DWORD spc = 0, bps = 0, fr = 0, tot = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA("C:\\", &spc, &bps, &fr, &tot));
    EXPECT_EQ(spc, 8u);
    EXPECT_EQ(bps, 512u);
    EXPECT_EQ(fr, 10u);
    EXPECT_EQ(tot, 1000u);
    EXPECT_FALSE(GetDiskFreeSpaceA("Q:\\", &spc, &bps, &fr, &tot));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(GetDiskFreeSpaceA("C:", &spc, &bps, &fr, &tot));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
}

TEST_F(SimMachine, VolumeFileSystemName) {
    const struct {
        std::string fs;
        DWORD size;
        bool ok;
    } cases[] = {{"FAT", 32, true},
                 {"FAT", 4, true},
                 {"NTFS", 4, false},
                 {"NTFS", 5, true},
                 {std::string(40, 'F'), 32, false},
                 {std::string(31, 'F'), 32, true}};
    for (const auto& c : cases) {
        sim::Drive d;
        d.letter = 'D';
        d.fileSystem = c.fs;
        sim::AddDrive(d);
        char buf[64];
        std::memset(buf, 'x', sizeof buf);
        sim::ClearLastError();
        EXPECT_EQ(GetVolumeInformationA("D:\\", nullptr, 0, nullptr, nullptr, nullptr, buf, c.size),
                  c.ok ? TRUE : FALSE)
            << c.fs << " in " << c.size;
        if (c.ok) {
            EXPECT_EQ(std::string(buf), c.fs);
        } else {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_LENGTH));
            EXPECT_EQ(buf[0], 'x');
        }
    }
}

TEST_F(SimMachine, QueryDosDevice) {
    const std::string name62 = "\\Device\\Harddisk0\\" + std::string(62 - 18, 'P');
    const struct {
        const char* name;
        std::string device; // of drive D:
        DWORD room;
        DWORD result;
        DWORD error;
    } cases[] = {
        {"D:", "\\Device\\Harddisk1\\Partition2", 64, 30, 0},
        {"d:", "\\Device\\Harddisk1\\Partition2", 64, 30, 0},
        {"D:", name62, 64, 64, 0},
        {"D:", name62 + "P", 64, 64, 0}, // the name and its NUL fill it: no final NUL
        {"D:", name62 + "PP", 64, 0, ERROR_INSUFFICIENT_BUFFER},
        {"D:", std::string(300, 'L'), 64, 0, ERROR_INSUFFICIENT_BUFFER},
        {"D:", "", 64, 0, ERROR_FILE_NOT_FOUND},
        {"Q:", "x", 64, 0, ERROR_FILE_NOT_FOUND},
        {"D:\\", "x", 64, 0, ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases) {
        sim::Drive d;
        d.letter = 'D';
        d.device = c.device;
        sim::AddDrive(d);
        char buf[400];
        std::memset(buf, 'x', sizeof buf);
        sim::ClearLastError();
        EXPECT_EQ(QueryDosDeviceA(c.name, buf, c.room), c.result) << c.name << " " << c.device;
        if (c.result) {
            EXPECT_EQ(std::string(buf, c.result),
                      (c.device + std::string(2, '\0')).substr(0, c.result));
            EXPECT_EQ(buf[c.result], 'x');
        } else {
            EXPECT_EQ(GetLastError(), c.error);
            EXPECT_EQ(buf[0], 'x');
        }
    }
}

TEST_F(SimMachine, MemoryStatus) {
    sim::SetTotalPhys(16000000);
    MEMORYSTATUS ms;
    std::memset(&ms, 0, sizeof ms);
    GlobalMemoryStatus(&ms);
    EXPECT_EQ(ms.dwLength, sizeof(MEMORYSTATUS));
    EXPECT_EQ(ms.dwTotalPhys, 16000000u);
    EXPECT_LE(ms.dwAvailPhys, ms.dwTotalPhys);
}

TEST_F(SimMachine, Process) {
    EXPECT_STREQ(GetCommandLineA(), "HxSetup.exe");
    sim::SetCommandLine("\"C:\\x\\HxSetup.exe\" Wrong OS");
    EXPECT_STREQ(GetCommandLineA(), "\"C:\\x\\HxSetup.exe\" Wrong OS");
    const std::string path = "C:\\Program Files\\Halcyonix\\HxSetup.exe";
    HMODULE self = GetModuleHandleA(nullptr);
    EXPECT_NE(self, nullptr);
    EXPECT_EQ(GetModuleHandleA("hxsetup.exe"), self);
    EXPECT_EQ(GetModuleHandleA("kernel32"), nullptr);
    char buf[64];
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, sizeof buf), path.size());
    EXPECT_EQ(std::string(buf), path);
    std::memset(buf, 'x', sizeof buf);
    sim::ClearLastError();
    EXPECT_EQ(GetModuleFileNameA(self, buf, 10), 10u) << "truncated: nSize returned";
    EXPECT_EQ(std::string(buf, 11), path.substr(0, 10) + "x") << "and no NUL (NT behaviour)";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetModuleFileNameA(self, buf, path.size() + 1), path.size());
}

} // namespace
