// Conformance of sim's drives, volumes, memory status and process queries with Win32; built for
// both. Drive C: is a fixed drive on either side; sim's further drives need sim's seeding.
#include "conformance.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class SimMachine : public ::testing::Test {
protected:
    void SetUp() override {
        hxt::Reset();
#if HXT_SIM // drives of given sizes, file systems and devices only sim can make
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
        sim::Drive f; // no device and a file-system name of 31 characters
        f.letter = 'F';
        f.fileSystem = std::string(31, 'F');
        f.device = "";
        sim::AddDrive(f);
#endif
    }
};

// The device name of a drive, and the file-system name of a volume, read with ample room.
std::string DeviceOf(const char* drive) {
    char buf[1024] = {};
    EXPECT_NE(QueryDosDeviceA(drive, buf, sizeof buf), 0u) << drive;
    return buf;
}

std::string FileSystemOf(const char* root) {
    char buf[256] = {};
    EXPECT_TRUE(GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, buf, sizeof buf))
        << root;
    return buf;
}

TEST_F(SimMachine, LogicalDriveStringsSizeProtocol) {
    char all[512];
    const DWORD n = GetLogicalDriveStringsA(sizeof all, all);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(all[n], '\0') << "the final empty string";
    char buf[512];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(GetLogicalDriveStringsA(n, buf), n + 1) << "too small: size needed with final NUL";
    EXPECT_EQ(buf[0], 'x') << "and nothing written";
    EXPECT_EQ(GetLogicalDriveStringsA(n + 1, buf), n);
    EXPECT_EQ(std::string(buf, n + 1), std::string(all, n + 1));
}

TEST_F(SimMachine, FileSystemNameSizeProtocol) {
    std::vector<const char*> roots{"C:\\"};
#if HXT_SIM // file systems of other name lengths, which only sim can make
    roots.insert(roots.end(), {"E:\\", "F:\\"});
#endif
    for (const char* root : roots) {
        const std::string fs = FileSystemOf(root);
        ASSERT_FALSE(fs.empty());
        for (const DWORD size : {fs.size(), fs.size() + 1}) {
            const bool ok = size > fs.size();
            char buf[256];
            std::memset(buf, 'x', sizeof buf);
            hxt::ClearLastError();
            EXPECT_EQ(GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, buf, size),
                      ok ? TRUE : FALSE)
                << fs << " in " << size;
            EXPECT_EQ(std::string(buf, ok ? fs.size() : 1), ok ? fs : "x") << "nothing if short";
            if (!ok) {
                EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_LENGTH));
            }
        }
    }
}

TEST_F(SimMachine, DosDeviceSizeProtocol) {
    const std::string name = DeviceOf("C:");
    ASSERT_FALSE(name.empty());
    const DWORD len = static_cast<DWORD>(name.size());
    const struct {
        const char* drive;
        DWORD room;
        DWORD result;
        DWORD error;
    } cases[] = {
        {"C:", len + 2, len + 2, 0},
        {"c:", len + 2, len + 2, 0},
        {"C:\\", len + 2, len + 2, 0},
        {"C:", len + 1, 0, ERROR_INSUFFICIENT_BUFFER}, // the list's final NUL must fit as well
        {"C:", len, 0, ERROR_INSUFFICIENT_BUFFER},
        {"Q:", len + 2, 0, ERROR_FILE_NOT_FOUND},
#if HXT_SIM // a fixed drive without a device, which only sim makes
        {"F:", len + 2, 0, ERROR_FILE_NOT_FOUND},
#endif
    };
    for (const auto& c : cases) {
        char buf[1024];
        std::memset(buf, 'x', sizeof buf);
        hxt::ClearLastError();
        EXPECT_EQ(QueryDosDeviceA(c.drive, buf, c.room), c.result) << c.drive << " " << c.room;
        if (c.result) {
            EXPECT_EQ(std::string(buf, c.result),
                      (name + std::string(2, '\0')).substr(0, c.result));
            EXPECT_EQ(buf[c.result], 'x');
        } else {
            EXPECT_EQ(GetLastError(), c.error) << c.drive << " " << c.room;
        }
    }
}

TEST_F(SimMachine, LogicalDriveStrings) {
    char buf[512];
    std::memset(buf, 'x', sizeof buf);
    const DWORD n = GetLogicalDriveStringsA(sizeof buf, buf);
    ASSERT_GT(n, 0u);
    // Each entry is a root, "X:\\", and the fixed drive C: is one of them.
    bool sawC = false;
    for (const char* p = buf; *p; p += std::strlen(p) + 1) {
        EXPECT_EQ(std::strlen(p), 3u) << p;
        EXPECT_STREQ(p + 1, ":\\");
        sawC = sawC || p[0] == 'C';
    }
    EXPECT_TRUE(sawC);
#if HXT_SIM // the drive list sim was given, and a machine without drives, only sim can make
    EXPECT_EQ(std::string(buf, n + 1), std::string("C:\\\0E:\\\0F:\\\0\0", 13));
    sim::Reset();
    EXPECT_EQ(GetLogicalDriveStringsA(sizeof buf, buf), 0u);
    EXPECT_EQ(buf[0], '\0');
#endif
}

TEST_F(SimMachine, DriveTypes) {
    const struct {
        const char* root;
        UINT type;
    } cases[] = {{"C:\\", DRIVE_FIXED},       {"c:\\", DRIVE_FIXED},
                 {"C:", DRIVE_FIXED},         {"C:\\Windows", DRIVE_FIXED},
                 {"Q:\\", DRIVE_NO_ROOT_DIR}, {"Q:", DRIVE_NO_ROOT_DIR}};
    for (const auto& c : cases)
        EXPECT_EQ(GetDriveTypeA(c.root), c.type) << c.root;
#if HXT_SIM // a CD-ROM drive only sim can add
    EXPECT_EQ(GetDriveTypeA("E:\\"), static_cast<UINT>(DRIVE_CDROM));
#endif
}

TEST_F(SimMachine, DiskFreeSpace) {
    DWORD spc = 0, bps = 0, fr = 0, tot = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA("C:\\", &spc, &bps, &fr, &tot));
    EXPECT_LE(fr, tot);
#if HXT_SIM // the sizes sim's drive C: was given
    EXPECT_EQ(spc, 8u);
    EXPECT_EQ(bps, 512u);
    EXPECT_EQ(fr, 10u);
    EXPECT_EQ(tot, 1000u);
#endif
    // A path on the drive answers for the drive.
    const struct {
        const char* root;
        DWORD error; // 0: answered
    } cases[] = {{"C:", 0},
                 {"c:\\Windows", 0},
                 {"Q:\\", ERROR_PATH_NOT_FOUND},
                 {"Q:", ERROR_PATH_NOT_FOUND}};
    for (const auto& c : cases) {
        hxt::ClearLastError();
        EXPECT_EQ(GetDiskFreeSpaceA(c.root, &spc, &bps, &fr, &tot), c.error ? FALSE : TRUE)
            << c.root;
        EXPECT_EQ(GetLastError(), c.error) << c.root;
    }
}

TEST_F(SimMachine, MemoryStatus) {
#if HXT_SIM // a given memory size only sim can make
    sim::SetTotalPhys(16000000);
#endif
    MEMORYSTATUS ms;
    std::memset(&ms, 0, sizeof ms);
    GlobalMemoryStatus(&ms);
    EXPECT_EQ(ms.dwLength, sizeof(MEMORYSTATUS));
    EXPECT_LE(ms.dwAvailPhys, ms.dwTotalPhys);
#if HXT_SIM
    EXPECT_EQ(ms.dwTotalPhys, 16000000u);
#endif
}

TEST_F(SimMachine, CommandLine) {
    const char* line = GetCommandLineA();
    ASSERT_NE(line, nullptr);
    EXPECT_NE(line[0], '\0') << "it names the program at least";
    EXPECT_EQ(GetCommandLineA(), line) << "the same buffer each time";
#if HXT_SIM // the command line sim was given
    EXPECT_STREQ(line, "HxSetup.exe");
    sim::SetCommandLine("\"C:\\x\\HxSetup.exe\" Wrong OS");
    EXPECT_STREQ(GetCommandLineA(), "\"C:\\x\\HxSetup.exe\" Wrong OS");
#endif
}

// Named mutexes as the writers' lock uses them: "Global\\" names the machine's namespace, apart
// from the program's session's; a second create opens the object; a wait by the owner takes it
// again, and each take needs its release.
TEST_F(SimMachine, NamedMutexes) {
    const char* kName = "hxt.conformance.mutex";
    const std::string global = std::string("Global\\") + kName;
    EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, global.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    HANDLE a = CreateMutexA(nullptr, FALSE, global.c_str());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE b = CreateMutexA(nullptr, FALSE, global.c_str());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    HANDLE session = CreateMutexA(nullptr, FALSE, kName);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE c = OpenMutexA(SYNCHRONIZE, FALSE, global.c_str());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(WaitForSingleObject(a, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(b, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(ReleaseMutex(a));
    EXPECT_TRUE(ReleaseMutex(b));
    EXPECT_FALSE(ReleaseMutex(a));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
    for (HANDLE h : {a, b, c, session})
        EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, global.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(SimMachine, ModuleNameAndFileName) {
    char buf[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    ASSERT_GT(n, 10u);
    const std::string path(buf, n);
    EXPECT_EQ(std::string(buf), path);
    HMODULE self = GetModuleHandleA(nullptr);
    EXPECT_NE(self, nullptr);
    std::memset(buf, 'x', sizeof buf);
    hxt::ClearLastError();
    EXPECT_EQ(GetModuleFileNameA(self, buf, 10), 10u) << "truncated: nSize returned";
    EXPECT_EQ(std::string(buf, 11), path.substr(0, 10) + "x") << "and no NUL (NT behaviour)";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetModuleFileNameA(self, buf, path.size() + 1), path.size());
}

TEST_F(SimMachine, StandardHandles) {
    const HANDLE invalid = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
    hxt::ClearLastError();
    EXPECT_EQ(GetStdHandle(static_cast<DWORD>(-99)), invalid);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    for (DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        HANDLE h = GetStdHandle(which);
        EXPECT_NE(h, invalid);
        DWORD cb = 99;
        EXPECT_TRUE(WriteFile(h, "", 0, &cb, nullptr)) << which;
        EXPECT_EQ(cb, 0u);
    }
    EXPECT_NE(GetStdHandle(STD_OUTPUT_HANDLE), GetStdHandle(STD_ERROR_HANDLE));
}

// The Windows folder, a file that is not in it, and one in a folder that is not there: each
// answered as Win32 answers it, since the verdict tells a missing driver image by these errors.
TEST_F(SimMachine, FileAttributesOfTheWindowsFolder) {
    char root[MAX_PATH + 1] = {};
    const UINT cch = GetWindowsDirectoryA(root, sizeof root);
    ASSERT_GT(cch, 2u);
    ASSERT_EQ(cch, std::strlen(root));
    EXPECT_EQ(GetWindowsDirectoryA(root, 2), cch + 1); // too small: the size needed, NUL counted
#if HXT_SIM // a file below it makes the folder; Windows has its own
    sim::SeedFile(std::string(root) + "\\System32\\drivers\\HxVol.sys");
#endif
    const DWORD folder = GetFileAttributesA(root);
    ASSERT_NE(folder, INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(folder & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(GetFileAttributesA((std::string(root) + "\\hx-no-such-file.sys").c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesA((std::string(root) + "\\hx-no-such-folder\\x.sys").c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

} // namespace
