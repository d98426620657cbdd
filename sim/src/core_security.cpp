// Access tokens, SIDs, CloseHandle and LocalAlloc/LocalFree.
//
// Fidelity notes:
// - SIDs have the real binary layout: Revision (1), SubAuthorityCount, the 6-byte
//   IdentifierAuthority, then the sub-authorities as 32-bit little-endian numbers.
// - GetTokenInformation(TokenGroups) answers with a self-contained buffer: TOKEN_GROUPS (count and
//   SID_AND_ATTRIBUTES array) followed by the SIDs the array points into. ReturnLength always gets
//   the size needed; a NULL or too small buffer fails with ERROR_INSUFFICIENT_BUFFER. Other
//   classes fail with ERROR_INVALID_PARAMETER.
// - OpenThreadToken fails with ERROR_NO_TOKEN when the thread does not impersonate.
// - EqualSid sets the last error to ERROR_SUCCESS, as Wine's kernelbase does.
// - FreeSid returns NULL on success and the SID itself when it fails; LocalFree likewise returns
//   NULL or the handle (with ERROR_INVALID_HANDLE). LocalAlloc without LMEM_ZEROINIT hands out
//   memory filled with 0xCD, since its contents are undefined on Windows.
#include "internal.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

namespace sim {
namespace {

struct Security {
    TokenSetup setup;
    std::map<ULONG_PTR, bool> tokens; // handle -> whether it is the thread's
    std::set<void*> sids;
    std::set<void*> allocs;
};

Security& Sec() {
    static Security sec;
    return sec;
}

// Token handles keep increasing across sim::Reset(), so a stale one is never taken for a new one.
ULONG_PTR g_nextToken = 0x20000;

const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
const HANDLE kCurrentThread = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));

// A SID in its binary form.
std::vector<BYTE> MakeSid(const BYTE authority[6], std::initializer_list<DWORD> subs) {
    std::vector<BYTE> sid{1, static_cast<BYTE>(subs.size())};
    sid.insert(sid.end(), authority, authority + 6);
    for (DWORD s : subs)
        for (int i = 0; i < 4; ++i)
            sid.push_back(static_cast<BYTE>(s >> (8 * i)));
    return sid;
}

bool ValidSid(const void* p) {
    return p && static_cast<const BYTE*>(p)[0] == 1 && static_cast<const BYTE*>(p)[1] <= 15;
}

struct Group {
    std::vector<BYTE> sid;
    DWORD attributes;
};

std::vector<Group> TokenGroupsOf(bool thread) {
    static const BYTE world[6] = {0, 0, 0, 0, 0, 1};
    static const BYTE nt[6] = {0, 0, 0, 0, 0, 5};
    const DWORD on = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED;
    const TokenSetup& s = Sec().setup;
    std::vector<Group> groups{
        {MakeSid(world, {SECURITY_WORLD_RID}), on},
        {MakeSid(nt, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS}), on},
    };
    if (thread ? s.threadAdminMember : s.adminMember) {
        // Enabled, Administrators may own what its members make; a filtered (UAC) token lists it
        // for deny only.
        const DWORD attrs =
            (thread || s.adminEnabled) ? on | SE_GROUP_OWNER : SE_GROUP_USE_FOR_DENY_ONLY;
        Group admin{MakeSid(nt, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}), attrs};
        groups.insert(!thread && s.adminFirst ? groups.begin() : groups.end(), admin);
    }
    return groups;
}

HANDLE NewToken(bool thread) {
    const ULONG_PTR h = g_nextToken;
    g_nextToken += 4;
    Sec().tokens[h] = thread;
    return reinterpret_cast<HANDLE>(h);
}

// A call that an injected fault fails; false after setting the error.
bool Proceed(Api api, const char* name) {
    detail::LogCall(name);
    return !detail::FailsWithLastError(api, "");
}

} // namespace

void SetToken(const TokenSetup& setup) {
    Sec().setup = setup;
}
std::size_t OpenTokenCount() {
    return Sec().tokens.size();
}
std::size_t LiveSidCount() {
    return Sec().sids.size();
}
std::size_t LiveLocalAllocCount() {
    return Sec().allocs.size();
}

namespace detail {

bool TokenIsAdmin() {
    const TokenSetup& s = Sec().setup;
    return s.threadToken ? s.threadAdminMember : s.adminMember && s.adminEnabled;
}

void ResetSecurity() {
    for (void* p : Sec().sids)
        std::free(p);
    for (void* p : Sec().allocs)
        std::free(p);
    Sec() = Security{};
}

} // namespace detail
} // namespace sim

namespace d = sim::detail;

extern "C" {

BOOL WINAPI OpenThreadToken(HANDLE ThreadHandle, DWORD, BOOL, PHANDLE TokenHandle) {
    if (!sim::Proceed(sim::Api::OpenThreadToken, "OpenThreadToken"))
        return FALSE;
    if (ThreadHandle != sim::kCurrentThread || !sim::Sec().setup.threadToken) {
        d::SetError(ThreadHandle != sim::kCurrentThread ? ERROR_INVALID_HANDLE : ERROR_NO_TOKEN);
        return FALSE;
    }
    *TokenHandle = sim::NewToken(true);
    return TRUE;
}

BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD, PHANDLE TokenHandle) {
    if (!sim::Proceed(sim::Api::OpenProcessToken, "OpenProcessToken"))
        return FALSE;
    if (ProcessHandle != sim::kCurrentProcess) {
        d::SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *TokenHandle = sim::NewToken(false);
    return TRUE;
}

BOOL WINAPI GetTokenInformation(HANDLE TokenHandle, TOKEN_INFORMATION_CLASS TokenInformationClass,
                                LPVOID TokenInformation, DWORD TokenInformationLength,
                                PDWORD ReturnLength) {
    if (!sim::Proceed(sim::Api::GetTokenInformation, "GetTokenInformation"))
        return FALSE;
    auto it = sim::Sec().tokens.find(reinterpret_cast<ULONG_PTR>(TokenHandle));
    if (it == sim::Sec().tokens.end()) {
        d::RecordMisuse("GetTokenInformation on an invalid token handle");
        d::SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (TokenInformationClass != TokenGroups) {
        d::SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto groups = sim::TokenGroupsOf(it->second);
    const std::size_t header = offsetof(TOKEN_GROUPS, Groups);
    const std::size_t arrayEnd = header + groups.size() * sizeof(SID_AND_ATTRIBUTES);
    std::size_t need = arrayEnd;
    for (const auto& g : groups)
        need += g.sid.size();
    *ReturnLength = static_cast<DWORD>(need);
    if (TokenInformationLength < need || !TokenInformation) {
        d::SetError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    BYTE* base = static_cast<BYTE*>(TokenInformation);
    static_cast<TOKEN_GROUPS*>(TokenInformation)->GroupCount = static_cast<DWORD>(groups.size());
    std::size_t at = arrayEnd;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        std::memcpy(base + at, groups[i].sid.data(), groups[i].sid.size());
        const SID_AND_ATTRIBUTES entry{base + at, groups[i].attributes};
        std::memcpy(base + header + i * sizeof entry, &entry, sizeof entry);
        at += groups[i].sid.size();
    }
    return TRUE;
}

BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pIdentifierAuthority,
                                     BYTE nSubAuthorityCount, DWORD nSubAuthority0,
                                     DWORD nSubAuthority1, DWORD nSubAuthority2,
                                     DWORD nSubAuthority3, DWORD nSubAuthority4,
                                     DWORD nSubAuthority5, DWORD nSubAuthority6,
                                     DWORD nSubAuthority7, PSID* pSid) {
    if (!sim::Proceed(sim::Api::AllocateAndInitializeSid, "AllocateAndInitializeSid"))
        return FALSE;
    if (nSubAuthorityCount > 8) {
        d::SetError(ERROR_INVALID_SID);
        return FALSE;
    }
    const DWORD subs[8] = {nSubAuthority0, nSubAuthority1, nSubAuthority2, nSubAuthority3,
                           nSubAuthority4, nSubAuthority5, nSubAuthority6, nSubAuthority7};
    BYTE* p = static_cast<BYTE*>(std::malloc(8 + 4 * nSubAuthorityCount));
    p[0] = 1;
    p[1] = nSubAuthorityCount;
    std::memcpy(p + 2, pIdentifierAuthority->Value, 6);
    for (int i = 0; i < nSubAuthorityCount; ++i)
        for (int b = 0; b < 4; ++b)
            p[8 + 4 * i + b] = static_cast<BYTE>(subs[i] >> (8 * b));
    sim::Sec().sids.insert(p);
    *pSid = p;
    return TRUE;
}

BOOL WINAPI EqualSid(PSID pSid1, PSID pSid2) {
    d::SetError(ERROR_SUCCESS);
    if (!sim::ValidSid(pSid1) || !sim::ValidSid(pSid2)) {
        d::RecordMisuse("EqualSid with an invalid SID");
        return FALSE;
    }
    const std::size_t n = 8 + 4 * static_cast<const BYTE*>(pSid1)[1];
    return n == 8 + 4u * static_cast<const BYTE*>(pSid2)[1] && std::memcmp(pSid1, pSid2, n) == 0;
}

PVOID WINAPI FreeSid(PSID pSid) {
    if (!sim::Sec().sids.erase(pSid)) {
        d::RecordMisuse("FreeSid of a SID not from AllocateAndInitializeSid, or freed before");
        return pSid;
    }
    std::free(pSid);
    return nullptr;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    if (hObject == sim::kCurrentProcess || hObject == sim::kCurrentThread ||
        sim::Sec().tokens.erase(reinterpret_cast<ULONG_PTR>(hObject)) || d::CloseMutex(hObject))
        return TRUE;
    BOOL closed = FALSE;
    if (d::CloseFile(hObject, &closed))
        return closed;
    d::RecordMisuse("CloseHandle of an unknown or closed handle");
    d::SetError(ERROR_INVALID_HANDLE);
    return FALSE;
}

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
    if (!sim::Proceed(sim::Api::LocalAlloc, "LocalAlloc"))
        return nullptr;
    void* p = std::malloc(uBytes ? uBytes : 1);
    std::memset(p, (uFlags & LMEM_ZEROINIT) ? 0 : 0xCD, uBytes);
    sim::Sec().allocs.insert(p);
    return p;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
    if (hMem && !sim::Sec().allocs.erase(hMem)) {
        d::RecordMisuse("LocalFree of memory not from LocalAlloc, or freed before");
        d::SetError(ERROR_INVALID_HANDLE);
        return hMem;
    }
    std::free(hMem);
    return nullptr;
}

} // extern "C"
