// What the conformance tests need besides Win32 itself, on either implementation: a clean
// machine, registry state seeded below a scratch key, and a look at that state. Natively these
// are sim's test API (conformance_sim.cpp); in the Windows build of the same tests
// (HX_TEST_ON_WIN32, run under Wine) they are made of Win32 calls (win32/backend.cpp).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#ifdef HX_TEST_ON_WIN32
#define HXT_SIM 0
#else
// Tests or checks that need state only sim can make or observe sit under #if HXT_SIM, each
// with a one-line reason.
#define HXT_SIM 1
#include <sim/machine.h>
#endif

namespace hxt {

// Below HKEY_LOCAL_MACHINE; every key a test makes lies under it, and Reset() removes it.
inline const char kScratch[] = "SOFTWARE\\HxConformance";

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// A clean machine (natively) or an empty scratch key (Windows); the last error set to 0.
void Reset();
void SeedKey(const std::string& path, const std::string& keyClass = "");
void SeedValue(const std::string& path, const std::string& name, DWORD type,
               const std::vector<BYTE>& data);
void SeedDword(const std::string& path, const std::string& name, DWORD value);
// Sets the thread's last error to 0.
void ClearLastError();
bool KeyExists(const std::string& path);
std::optional<std::string> KeyClass(const std::string& path);
std::optional<RegValue> GetValue(const std::string& path, const std::string& name);

// The Administrators group's SID, from AllocateAndInitializeSid (nullptr if that fails); the
// caller frees it with FreeSid.
inline PSID AdminSid() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                             0, 0, 0, &sid);
    return sid;
}

} // namespace hxt
