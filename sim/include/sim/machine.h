// Test-facing API of the simulated Windows: set a machine up, inject faults, observe what the
// program did. Not part of the Win32 surface; only tests and sim itself include it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sim {

// Back to a clean machine: empty HKLM, an administrator's process token and no thread token,
// 32 MiB of memory, no drives, files, mutexes, faults or recorded calls, command line
// "HxSetup.exe", module file name "C:\Program Files\Halcyonix\HxSetup.exe".
void Reset();

// ---- registry (paths are below HKEY_LOCAL_MACHINE, '\'-separated, case-insensitive) ----
struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RegValue& o) const { return type == o.type && data == o.data; }
};
void SeedKey(const std::string& path, const std::string& keyClass = "");
void SeedValue(const std::string& path, const std::string& name, DWORD type,
               const std::vector<BYTE>& data);
void SeedDword(const std::string& path, const std::string& name, DWORD value);
// Removes the value, if there is one.
void DeleteValue(const std::string& path, const std::string& name);
// The text and its NUL.
void SeedString(const std::string& path, const std::string& name, const std::string& text,
                DWORD type = REG_SZ);
// Each item and its NUL, then the final empty string.
void SeedMultiSz(const std::string& path, const std::string& name,
                 const std::vector<std::string>& items);
bool KeyExists(const std::string& path);
std::optional<std::string> KeyClass(const std::string& path);
std::optional<RegValue> GetValue(const std::string& path, const std::string& name);
std::optional<DWORD> GetDword(const std::string& path, const std::string& name);
// A comparable copy of the whole hive: its text in regedit's export format ("REGEDIT4"), sorted,
// with every key, class, type and byte.
struct Hive {
    std::string text;
    bool operator==(const Hive& o) const { return text == o.text; }
};
Hive Snapshot();
// Registry handles opened by the program and not yet closed.
std::size_t OpenKeyCount();
// What this key alone grants an administrator with the group enabled (or impersonating one), and
// any other token (a filtered one included); other keys grant everything to everyone. Deleting
// a key needs DELETE, creating a subkey KEY_CREATE_SUB_KEY on its parent.
void SetKeyAccess(const std::string& path, REGSAM admins, REGSAM others);

// ---- security ----
struct TokenSetup {
    bool adminMember = true;        // S-1-5-32-544 is in the process token's groups
    bool adminEnabled = true;       // ... with SE_GROUP_ENABLED
    bool adminFirst = false;        // ... listed before the other groups rather than last
    bool threadToken = false;       // the thread impersonates (OpenThreadToken succeeds)
    bool threadAdminMember = false; // groups of the thread token, when present
};
void SetToken(const TokenSetup& setup);
// Token handles and SIDs handed out and not yet closed or freed; allocations not freed.
std::size_t OpenTokenCount();
std::size_t LiveSidCount();
std::size_t LiveLocalAllocCount();

// ---- memory ----
void SetTotalPhys(SIZE_T bytes);

// ---- drives ----
struct Drive {
    char letter = 'C';
    UINT type = DRIVE_FIXED;
    DWORD sectorsPerCluster = 8;
    DWORD bytesPerSector = 512;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    std::string fileSystem = "FAT";                         // any length
    std::string device = "\\Device\\Harddisk0\\Partition1"; // any length; "" = no mapping
};
void AddDrive(const Drive& drive);

// ---- the machine's own files (names and attributes; no contents) ----
// A file at a full path; the folders above it exist with it. The Windows folder is C:\\WINDOWS.
void SeedFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_ARCHIVE);
void RemoveFile(const std::string& path);

// ---- process ----
void SetCommandLine(const std::string& commandLine);
void SetModuleFileName(const std::string& path);

// ---- named mutexes ----
// Another process creates the named mutex and holds it (owns it) until ReleaseHeldElsewhere or
// Reset: the program's waits on it time out. The name as the program gives it: "Global\\X" and
// "X" are two.
void HoldElsewhere(const std::string& name);
void ReleaseHeldElsewhere(const std::string& name);
// Windows NT 4.0's namespace: a name beginning "Global\\" fails with ERROR_PATH_NOT_FOUND.
void SetNoGlobalNamespace(bool none);
// Mutex handles the program opened and has not closed.
std::size_t OpenMutexCount();

// ---- faults ----
// The OS calls that can fail. Each counts towards the fallible-call counter below.
enum class Api {
    RegOpenKeyEx,
    RegCreateKeyEx,
    RegQueryValueEx,
    RegSetValueEx,
    RegCloseKey,
    OpenThreadToken,
    OpenProcessToken,
    GetTokenInformation,
    AllocateAndInitializeSid,
    LocalAlloc,
    GetLogicalDriveStrings,
    GetDriveType,
    GetDiskFreeSpace,
    GetVolumeInformation,
    QueryDosDevice,
    SetTimer,
    CreateFontIndirect,
    GetDC,
    DialogBoxParam,
    WinHelp,
    RegDeleteKey,
    RegEnumKey,
    // Files only: writes to the console's standard handles and the closing of tokens never fail.
    CreateFile,
    WriteFile,
    FlushFileBuffers,
    CloseHandle,
    GetFileAttributes, // the machine's own files: key is the path
};
struct Fault {
    // Not an aggregate, so that {Api::X, 0, "key"} defaults the rest without warnings.
    Fault(Api api_ = Api::RegOpenKeyEx, int nth_ = 0, std::string key_ = "",
          std::string value_ = "", DWORD error_ = ERROR_ACCESS_DENIED)
        : api(api_), nth(nth_), key(std::move(key_)), value(std::move(value_)), error(error_) {}
    Api api;
    int nth = 0;       // 1-based among this api's calls that match; 0 = every matching call
    std::string key;   // registry: key path (relative to HKLM) must equal it, ignoring case;
                       // drives: the root or device name; files: the path; "" = any
    std::string value; // registry: value name must equal it, ignoring case; "" = any
    DWORD error = ERROR_ACCESS_DENIED; // returned (registry) or set as last error
};
void InjectFault(const Fault& fault);
// Fail the Nth fallible call overall (1-based), once or from then on.
void FailNthCall(std::size_t n, DWORD error, bool persistent);
std::size_t FallibleCallCount();

// Every fallible call since the last Reset(), in order: the Nth record is the call FailNthCall(N)
// fails.
struct FallibleCall {
    Api api = Api::RegOpenKeyEx;
    std::string key;     // as a Fault's key; DialogBoxParam: the template id; "" when none
    std::string value;   // as a Fault's value; "" when none
    bool failed = false; // an injected fault failed it ...
    DWORD error = 0;     // ... with this error
};
const std::vector<FallibleCall>& FallibleCalls();
// The api's Win32 name ("RegOpenKeyExA"), for messages.
const char* ApiName(Api api);

// ---- observation ----
struct MessageBoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
const std::vector<MessageBoxCall>& MessageBoxes();
// One line per OS call made by the program, e.g. "RegOpenKeyExA SYSTEM\...\HxVol",
// "RegSetValueExA SYSTEM\...\HxVol Start REG_DWORD 4", for order-of-calls tests.
const std::vector<std::string>& CallLog();
void ClearCallLog();
// Sets the thread's last error to 0.
void ClearLastError();
// Misuse of the API that Windows would not report but that is a bug in the program (a handle
// closed twice, a closed key used, memory freed twice ...), a line each; tests expect none.
const std::vector<std::string>& Misuses();

} // namespace sim
