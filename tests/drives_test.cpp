// The candidate drive list and the numbers read from a device name.
#include "drives/DriveEntry.h"
#include "ui/BoxReport.h"
#include "hx_test_support.h"

#include <cstring>

using namespace hxtest;

namespace {

TEST(ReadDeviceNumbers, Table) {
    const struct {
        const char* name;
        DWORD disk;
        DWORD partition;
    } cases[] = {
        {"\\Device\\Harddisk0\\Partition1", 0, 1},
        {"\\Device\\Harddisk1\\Partition2", 1, 2},
        {"\\Device\\Harddisk10\\Partition12", 10, 12},
        {"\\Device\\Harddisk007\\Partition3", 0, 0}, // '0' alone is the number; then off by two
        {"\\Device\\HarddiskX\\Partition1", 0, 0},   // no digit: nothing consumed
        {"\\Device\\Harddisk", 0, 0},                // ends where the number would start
        {"", 0, 0},
        {"\\Device\\CdRom0", 0, 0},
        {"\\??\\Volume{1234567}\\Partition9", 67, 0}, // read at the same places, not compared
        {"\\Device\\Ramdisk2\\Partition42", 0, 42},   // one shorter: the places shift
        {"\\Device\\Harddisk4294967295\\Partition1", 4294967295u, 1},
    };
    for (const auto& c : cases) {
        // An exact-size copy, so that a read past the end is caught by the sanitizers.
        size_t n = std::strlen(c.name) + 1;
        char* exact = new char[n];
        std::memcpy(exact, c.name, n);
        DWORD disk = 99, partition = 99;
        ReadDeviceNumbers(exact, &disk, &partition);
        EXPECT_EQ(disk, c.disk) << c.name;
        EXPECT_EQ(partition, c.partition) << c.name;
        delete[] exact;
    }
}

class BuildDriveList : public MachineTest {
protected:
    void TearDown() override {
        FreeDriveList(m_pHead);
        MachineTest::TearDown();
    }
    // Builds and returns the drive names in order, "S:" last.
    std::vector<std::string> Build(DWORD budget) {
        FreeDriveList(m_pHead);
        m_pHead = BuildCandidateDrives(budget, BoxReport());
        std::vector<std::string> names;
        for (DriveEntry* p = m_pHead; p; p = p->pNext)
            names.push_back(p->szDriveName);
        return names;
    }
    DriveEntry* m_pHead = nullptr;
};

const DWORD kBudget = 8388608; // 16384 sectors

TEST_F(BuildDriveList, NoFixedDriveGivesTheRamDiskAlone) {
    sim::Drive cd = FixedDrive('D', 100);
    cd.type = DRIVE_CDROM;
    sim::AddDrive(cd);
    EXPECT_EQ(Build(kBudget), std::vector<std::string>{"S:"});
    ASSERT_NE(m_pHead, nullptr);
    const DriveEntry& s = *m_pHead;
    EXPECT_EQ(s.llSize, kBudget);
    EXPECT_TRUE(s.bRamDisk);
    EXPECT_FALSE(s.bHardDisk);
    EXPECT_STREQ(s.szFileSystem, "FAT");
    EXPECT_STREQ(s.szDeviceName, "");
    EXPECT_EQ(s.dwDiskNumber + s.dwPartitionNumber + s.dwSectorsPerCluster + s.dwBytesPerSector +
                  s.dwClustersFree + s.dwClustersTotal,
              0u);
    EXPECT_EQ(s.pNext, nullptr);
}

// A machine with no drive letters at all gets nothing from the query: that is its failure.
TEST_F(BuildDriveList, NoDriveLettersAtAllFails) {
    EXPECT_TRUE(Build(kBudget).empty());
    ExpectBoxes({AppBox("Internal error: GetDriveLogicalStrings() failed", MB_ICONERROR)});
}

TEST_F(BuildDriveList, FixedDrivesThatFitInLetterOrder) {
    sim::AddDrive(
        FixedDrive('C', 2000).FileSystem("NTFS").Device("\\Device\\Harddisk0\\Partition1"));
    sim::AddDrive(FixedDrive('D', 3000).FreeClusters(1500));
    sim::Drive cd = FixedDrive('E', 100);
    cd.type = DRIVE_CDROM;
    sim::AddDrive(cd);
    sim::Drive removable = FixedDrive('A', 100);
    removable.type = DRIVE_REMOVABLE;
    sim::AddDrive(removable);
    EXPECT_EQ(Build(kBudget), (std::vector<std::string>{"C:", "D:", "S:"}));
    const DriveEntry& d = *m_pHead->pNext;
    EXPECT_EQ(d.llSize, 3000 * 512);
    EXPECT_EQ(d.dwDiskNumber, 1u);
    EXPECT_EQ(d.dwPartitionNumber, 2u);
    EXPECT_EQ(d.dwClustersTotal, 3000u);
    EXPECT_EQ(d.dwClustersFree, 1500u);
    EXPECT_STREQ(d.szDeviceName, "\\Device\\Harddisk1\\Partition2");
    EXPECT_TRUE(d.bHardDisk);
    EXPECT_FALSE(d.bRamDisk);
    EXPECT_STREQ(m_pHead->szFileSystem, "NTFS");
}

TEST_F(BuildDriveList, SizesAroundTheBudget) {
    const struct {
        const char* what;
        DWORD sectorsPerCluster, bytesPerSector, totalClusters;
        DWORD budget;
        bool listed;
    } cases[] = {
        {"one byte under", 1, 1, kBudget - 1, kBudget, true},
        {"exactly the budget", 1, 512, 16384, kBudget, false},
        {"budget 0", 1, 512, 0, 0, false},
        {"4 GiB", 8, 512, 1048576, 0xFFFFFFFFu, false},
        {"just under 4 GiB", 1, 1, 0xFFFFFFFEu, 0xFFFFFFFFu, true},
        {"product past 2^32 wraps to small", 2, 0x80000000u, 2, kBudget, false},
        {"product past 2^64", 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, kBudget, false},
        // 4 x 2^31 x 2^31 is 2^64: in 64 bits it would wrap to 0, below any budget.
        {"product of exactly 2^64", 4, 0x80000000u, 0x80000000u, kBudget, false},
        {"no sectors", 0, 512, 1000, kBudget, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        sim::Drive d = FixedDrive('C', 0);
        d.sectorsPerCluster = c.sectorsPerCluster;
        d.bytesPerSector = c.bytesPerSector;
        d.totalClusters = c.totalClusters;
        sim::AddDrive(d);
        EXPECT_EQ(Build(c.budget).size(), c.listed ? 2u : 1u);
        EXPECT_TRUE(sim::MessageBoxes().empty());
    }
}

TEST_F(BuildDriveList, TooLargeDrivesAreNotAskedAnythingMore) {
    sim::AddDrive(FixedDrive('C', 100000));
    sim::InjectFault({sim::Api::GetVolumeInformation});
    sim::InjectFault({sim::Api::QueryDosDevice});
    EXPECT_EQ(Build(kBudget), std::vector<std::string>{"S:"});
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(BuildDriveList, FileSystemAndDeviceNameLengths) {
    const struct {
        std::string fs;
        const char* kept;
        size_t deviceLength;
        bool built;
    } cases[] = {
        {"ABCDEFG", "ABCDEFG", 62, true},
        {"ABCDEFGH", "ABCDEFG", 30, true}, // cut to the field
        {std::string(31, 'X'), "XXXXXXX", 30, true},
        {std::string(32, 'X'), "", 30, false}, // does not fit the query's buffer
        {"FAT", "FAT", 63, false},             // the name and the list's two NULs need 65
        {"FAT", "FAT", 64, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fs + " / " + std::to_string(c.deviceLength));
        sim::Reset();
        std::string device = "\\Device\\Harddisk3\\Partition4";
        device.resize(c.deviceLength, 'x');
        sim::AddDrive(FixedDrive('C', 100).FileSystem(c.fs).Device(device));
        std::vector<std::string> names = Build(kBudget);
        if (c.built) {
            ASSERT_EQ(names.size(), 2u);
            EXPECT_STREQ(m_pHead->szFileSystem, c.kept);
            EXPECT_EQ(std::string(m_pHead->szDeviceName), device);
            EXPECT_EQ(m_pHead->dwDiskNumber, 3u);
        } else {
            EXPECT_EQ(m_pHead, nullptr);
        }
    }
}

TEST_F(BuildDriveList, FailuresEndTheBuildWithNothingAllocated) {
    const Box kErr = AppBox("", MB_ICONERROR);
    const struct {
        const char* what;
        sim::Fault fault;
        const char* message; // nullptr: ends silently
    } cases[] = {
        {"drive strings",
         {sim::Api::GetLogicalDriveStrings},
         "Internal error: GetDriveLogicalStrings() failed"},
        {"free space of a too-large drive",
         {sim::Api::GetDiskFreeSpace, 0, "E:\\"},
         "Internal error: GetDiskFreeSpace() failed"},
        {"file system of a fitting drive", {sim::Api::GetVolumeInformation, 0, "D:\\"}, nullptr},
        {"device of a fitting drive",
         {sim::Api::QueryDosDevice, 0, "D:"},
         "Internal error: QueryDosDevice() failed, drive D:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        sim::AddDrive(FixedDrive('C', 100));
        sim::AddDrive(FixedDrive('D', 100));
        sim::AddDrive(FixedDrive('E', 100000));
        sim::InjectFault(c.fault);
        EXPECT_TRUE(Build(kBudget).empty());
        if (c.message) {
            Box box = kErr;
            box.text = c.message;
            ExpectBoxes({box});
        } else {
            ExpectBoxes({});
        }
    }
}

} // namespace
