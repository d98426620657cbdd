// The machine: memory status, logical drives and volumes, and the process (command line, module).
// Files and the console's standard handles are in core_files.cpp.
//
// Fidelity notes:
// - GetLogicalDriveStringsA returns the length written without the final NUL; when the buffer is
//   too small it writes nothing and returns the size needed including that NUL.
// - A root path is "X:\", but "X:" and any path on the drive answer for the drive as well, as
//   Wine does. GetDriveTypeA answers DRIVE_NO_ROOT_DIR for a drive that does not exist;
//   GetDiskFreeSpaceA and GetVolumeInformationA fail with ERROR_INVALID_NAME for a path that names
//   no drive and ERROR_PATH_NOT_FOUND for a missing drive.
// - GetVolumeInformationA gives the file system's name, the one thing the program asks; a name
//   that does not fit its buffer with its NUL fails with ERROR_BAD_LENGTH, as NT's kernel32 does.
// - QueryDosDeviceA for one drive ("X:", or "X:\") stores the target, its NUL and the NUL that
//   ends the list, and returns that count; a smaller buffer fails with ERROR_INSUFFICIENT_BUFFER,
//   an unknown drive or one without a device with ERROR_FILE_NOT_FOUND.
// - GetModuleFileNameA with a buffer too small copies nSize characters without a NUL, returns
//   nSize and sets ERROR_INSUFFICIENT_BUFFER: the Windows NT/XP behaviour that Wine keeps, and the
//   one that catches a program that trusts the truncated text to be terminated.
// - The machine's own files are names only, seeded by the test. GetFileAttributesA answers a
//   seeded file with its attributes, a folder above one with FILE_ATTRIBUTE_DIRECTORY; anything
//   else fails with ERROR_FILE_NOT_FOUND when its folder exists, else ERROR_PATH_NOT_FOUND.
// - GetWindowsDirectoryA answers "C:\WINDOWS"; with a buffer too small it writes nothing and
//   returns the size needed including the NUL.
#include "internal.h"

#include <cstring>
#include <map>

namespace sim {
namespace {

struct Machine {
    SIZE_T totalPhys = 32u * 1024 * 1024;
    std::map<char, Drive> drives; // by upper-case letter
    std::string commandLine = "HxSetup.exe";
    std::wstring commandLineW = L"HxSetup.exe";
    std::string moduleFileName = "C:\\Program Files\\Halcyonix\\HxSetup.exe";
    std::map<std::string, DWORD> files; // by upper-case path
};

Machine& M() {
    static Machine m;
    return m;
}

const HMODULE kModule = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x00400000));
char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The drive a path "X:", "X:\" or "X:\..." is on, or nullptr; *wellFormed tells whether the path
// names a drive at all.
const Drive* DriveOfRoot(LPCSTR root, bool* wellFormed) {
    *wellFormed = Upper(root[0]) >= 'A' && Upper(root[0]) <= 'Z' && root[1] == ':' &&
                  (root[2] == '\0' || root[2] == '\\');
    if (!*wellFormed)
        return nullptr;
    auto it = M().drives.find(Upper(root[0]));
    return it == M().drives.end() ? nullptr : &it->second;
}

// Whether a seeded file lies below the folder.
bool IsFolder(const std::string& upperFolder) {
    for (const auto& [path, attributes] : M().files)
        if (path.size() > upperFolder.size() + 1 &&
            path.compare(0, upperFolder.size(), upperFolder) == 0 &&
            path[upperFolder.size()] == '\\')
            return true;
    return false;
}

} // namespace

void SetTotalPhys(SIZE_T bytes) {
    M().totalPhys = bytes;
}

void AddDrive(const Drive& drive) {
    Drive d = drive;
    d.letter = Upper(d.letter);
    M().drives[d.letter] = d;
}

void SetCommandLine(const std::string& commandLine) {
    M().commandLine = commandLine;
    M().commandLineW.assign(commandLine.begin(), commandLine.end());
}

void SetModuleFileName(const std::string& path) {
    M().moduleFileName = path;
}

void SeedFile(const std::string& path, DWORD attributes) {
    M().files[detail::UpperAscii(path)] = attributes;
}

void RemoveFile(const std::string& path) {
    M().files.erase(detail::UpperAscii(path));
}

namespace detail {
void ResetMachine() {
    M() = Machine{};
}
} // namespace detail
} // namespace sim

namespace d = sim::detail;

extern "C" {

void WINAPI GlobalMemoryStatus(LPMEMORYSTATUS lpBuffer) {
    d::LogCall("GlobalMemoryStatus");
    const SIZE_T total = sim::M().totalPhys;
    lpBuffer->dwLength = sizeof(MEMORYSTATUS);
    lpBuffer->dwMemoryLoad = 50;
    lpBuffer->dwTotalPhys = total;
    lpBuffer->dwAvailPhys = total / 2;
    lpBuffer->dwTotalPageFile = total * 2;
    lpBuffer->dwAvailPageFile = total;
    lpBuffer->dwTotalVirtual = 0x7FFE0000;
    lpBuffer->dwAvailVirtual = 0x7F000000;
}

DWORD WINAPI GetLogicalDriveStringsA(DWORD nBufferLength, LPSTR lpBuffer) {
    d::LogCall("GetLogicalDriveStringsA " + std::to_string(nBufferLength));
    if (d::FailsWithLastError(sim::Api::GetLogicalDriveStrings, ""))
        return 0;
    const DWORD count = static_cast<DWORD>(sim::M().drives.size());
    if (count * 4 + 1 > nBufferLength)
        return count * 4 + 1;
    char* p = lpBuffer;
    for (const auto& [letter, drive] : sim::M().drives) {
        *p++ = letter;
        *p++ = ':';
        *p++ = '\\';
        *p++ = '\0';
    }
    *p = '\0';
    return count * 4;
}

UINT WINAPI GetDriveTypeA(LPCSTR lpRootPathName) {
    d::LogCall(std::string("GetDriveTypeA ") + lpRootPathName);
    if (d::FailsWithLastError(sim::Api::GetDriveType, lpRootPathName))
        return DRIVE_UNKNOWN;
    bool wellFormed = false;
    const sim::Drive* drive = sim::DriveOfRoot(lpRootPathName, &wellFormed);
    return drive ? drive->type : DRIVE_NO_ROOT_DIR;
}

BOOL WINAPI GetDiskFreeSpaceA(LPCSTR lpRootPathName, LPDWORD lpSectorsPerCluster,
                              LPDWORD lpBytesPerSector, LPDWORD lpNumberOfFreeClusters,
                              LPDWORD lpTotalNumberOfClusters) {
    d::LogCall(std::string("GetDiskFreeSpaceA ") + lpRootPathName);
    if (d::FailsWithLastError(sim::Api::GetDiskFreeSpace, lpRootPathName))
        return FALSE;
    bool wellFormed = false;
    const sim::Drive* drive = sim::DriveOfRoot(lpRootPathName, &wellFormed);
    if (!drive) {
        sim::detail::SetError(wellFormed ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_NAME);
        return FALSE;
    }
    *lpSectorsPerCluster = drive->sectorsPerCluster;
    *lpBytesPerSector = drive->bytesPerSector;
    *lpNumberOfFreeClusters = drive->freeClusters;
    *lpTotalNumberOfClusters = drive->totalClusters;
    return TRUE;
}

BOOL WINAPI GetVolumeInformationA(LPCSTR lpRootPathName, LPSTR lpVolumeNameBuffer, DWORD,
                                  LPDWORD lpVolumeSerialNumber, LPDWORD lpMaximumComponentLength,
                                  LPDWORD lpFileSystemFlags, LPSTR lpFileSystemNameBuffer,
                                  DWORD nFileSystemNameSize) {
    d::LogCall(std::string("GetVolumeInformationA ") + lpRootPathName);
    if (d::FailsWithLastError(sim::Api::GetVolumeInformation, lpRootPathName))
        return FALSE;
    bool wellFormed = false;
    const sim::Drive* drive = sim::DriveOfRoot(lpRootPathName, &wellFormed);
    if (!drive) {
        sim::detail::SetError(wellFormed ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_NAME);
        return FALSE;
    }
    if (lpVolumeNameBuffer || lpVolumeSerialNumber || lpMaximumComponentLength || lpFileSystemFlags)
        d::RecordMisuse("GetVolumeInformationA asked for more than the file system's name");
    if (drive->fileSystem.size() >= nFileSystemNameSize) {
        sim::detail::SetError(ERROR_BAD_LENGTH);
        return FALSE;
    }
    std::memcpy(lpFileSystemNameBuffer, drive->fileSystem.c_str(), drive->fileSystem.size() + 1);
    return TRUE;
}

DWORD WINAPI QueryDosDeviceA(LPCSTR lpDeviceName, LPSTR lpTargetPath, DWORD ucchMax) {
    d::LogCall(std::string("QueryDosDeviceA ") + lpDeviceName);
    if (d::FailsWithLastError(sim::Api::QueryDosDevice, lpDeviceName))
        return 0;
    bool wellFormed = false; // only "X:" and "X:\\" name a drive's device
    const sim::Drive* drive =
        std::strlen(lpDeviceName) <= 3 ? sim::DriveOfRoot(lpDeviceName, &wellFormed) : nullptr;
    if (!drive || drive->device.empty()) {
        sim::detail::SetError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const std::string out = drive->device + std::string(2, '\0'); // the name's NUL and the list's
    if (out.size() > ucchMax) {
        sim::detail::SetError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpTargetPath, out.data(), out.size());
    return static_cast<DWORD>(out.size());
}

LPSTR WINAPI GetCommandLineA(void) {
    return &sim::M().commandLine[0];
}

LPWSTR WINAPI GetCommandLineW(void) {
    return sim::M().commandLineW.data();
}

// The program asks only for its own module's.
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    if (!lpModuleName)
        return sim::kModule;
    d::RecordMisuse(std::string("GetModuleHandleA of a module by name: ") + lpModuleName);
    sim::detail::SetError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    if (hModule && hModule != sim::kModule) {
        sim::detail::SetError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    const std::string& path = sim::M().moduleFileName;
    const DWORD len = static_cast<DWORD>(path.size());
    if (len < nSize) {
        std::memcpy(lpFilename, path.c_str(), len + 1);
        return len;
    }
    if (nSize)
        std::memcpy(lpFilename, path.data(), nSize);
    sim::detail::SetError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
}

UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
    static const char kWindows[] = "C:\\WINDOWS";
    if (uSize < sizeof kWindows)
        return sizeof kWindows;
    std::memcpy(lpBuffer, kWindows, sizeof kWindows);
    return sizeof kWindows - 1;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    const std::string path = lpFileName ? lpFileName : "";
    d::LogCall("GetFileAttributesA " + path);
    if (d::FailsWithLastError(sim::Api::GetFileAttributes, path))
        return INVALID_FILE_ATTRIBUTES;
    const std::string upper = sim::detail::UpperAscii(path);
    auto it = sim::M().files.find(upper);
    if (it != sim::M().files.end())
        return it->second;
    if (sim::IsFolder(upper))
        return FILE_ATTRIBUTE_DIRECTORY;
    const size_t slash = upper.find_last_of('\\');
    const bool folderThere =
        slash != std::string::npos && (slash == 2 || sim::IsFolder(upper.substr(0, slash)));
    d::SetError(folderThere ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
}

HANDLE WINAPI GetCurrentProcess(void) {
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
}
HANDLE WINAPI GetCurrentThread(void) {
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));
}

} // extern "C"
