// Access tokens, SIDs, CloseHandle and LocalAlloc/LocalFree.
//
// Fidelity notes:
// - SIDs have the real binary layout: Revision (1), SubAuthorityCount, the 6-byte
//   IdentifierAuthority, then the sub-authorities as 32-bit little-endian numbers.
// - GetTokenInformation(TokenGroups) answers with a self-contained buffer: TOKEN_GROUPS (count and
//   SID_AND_ATTRIBUTES array) followed by the SIDs the array points into. ReturnLength always gets
//   the size needed; a NULL or too small buffer fails with ERROR_INSUFFICIENT_BUFFER. The token
//   must have been opened with TOKEN_QUERY (else ERROR_ACCESS_DENIED). Only TokenGroups is
//   simulated; other classes fail with ERROR_INVALID_PARAMETER.
// - OpenThreadToken fails with ERROR_NO_TOKEN when the thread does not impersonate; it and
//   OpenProcessToken accept only the pseudo handles of GetCurrentThread/GetCurrentProcess.
// - EqualSid sets the last error to ERROR_SUCCESS, as Wine's kernelbase does.
// - FreeSid returns NULL on success and the SID itself when it fails; LocalFree likewise returns
//   NULL or the handle (with ERROR_INVALID_HANDLE). LocalAlloc without LMEM_ZEROINIT hands out
//   memory filled with 0xCD, since its contents are undefined on Windows.
#include "internal.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

namespace sim {
namespace {

struct Token {
    bool thread = false;
    DWORD access = 0;
};

struct Security {
    TokenSetup setup;
    std::map<ULONG_PTR, Token> tokens;
    std::set<ULONG_PTR> closedTokens;
    std::set<void*> sids;
    std::set<void*> freedSids;
    std::map<void*, SIZE_T> allocs;
    std::set<void*> freedAllocs;
};

Security& Sec() {
    static Security sec;
    return sec;
}

ULONG_PTR g_nextToken = 0x20000;

const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
const HANDLE kCurrentThread = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));

std::string HandleText(const void* h) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%#llx",
                  static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(h)));
    return buf;
}

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
    if (!p)
        return false;
    const BYTE* b = static_cast<const BYTE*>(p);
    return b[0] == 1 && b[1] <= 15;
}

std::size_t SidLength(const void* p) {
    return 8 + 4 * static_cast<const BYTE*>(p)[1];
}

std::string SidText(const void* p) {
    if (!ValidSid(p))
        return "<invalid SID>";
    const BYTE* b = static_cast<const BYTE*>(p);
    unsigned long long auth = 0;
    for (int i = 2; i < 8; ++i)
        auth = (auth << 8) | b[i];
    std::string out = "S-1-" + std::to_string(auth);
    for (int i = 0; i < b[1]; ++i) {
        DWORD s;
        std::memcpy(&s, b + 8 + 4 * i, 4);
        out += "-" + std::to_string(s);
    }
    return out;
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
    const bool member = thread ? s.threadAdminMember : s.adminMember;
    if (member) {
        // Enabled, Administrators may own what its members make; a filtered (UAC) token lists it
        // for deny only.
        const DWORD attrs =
            (thread || s.adminEnabled) ? on | SE_GROUP_OWNER : SE_GROUP_USE_FOR_DENY_ONLY;
        Group admin{MakeSid(nt, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}), attrs};
        if (!thread && s.adminFirst)
            groups.insert(groups.begin(), admin);
        else
            groups.push_back(admin);
    }
    return groups;
}

bool Granted(DWORD access, DWORD right) {
    return (access & right) || (access & (GENERIC_READ | GENERIC_ALL | MAXIMUM_ALLOWED));
}

HANDLE NewToken(bool thread, DWORD access) {
    const ULONG_PTR h = g_nextToken;
    g_nextToken += 4;
    Sec().tokens[h] = Token{thread, access};
    return reinterpret_cast<HANDLE>(h);
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
    Security& s = Sec();
    for (void* p : s.sids)
        std::free(p);
    for (auto& [p, n] : s.allocs)
        std::free(p);
    for (auto& [h, t] : s.tokens)
        s.closedTokens.insert(h);
    std::set<ULONG_PTR> closed = std::move(s.closedTokens);
    s = Security{};
    s.closedTokens = std::move(closed);
}

} // namespace detail
} // namespace sim

namespace d = sim::detail;

extern "C" {

BOOL WINAPI OpenThreadToken(HANDLE ThreadHandle, DWORD DesiredAccess, BOOL OpenAsSelf,
                            PHANDLE TokenHandle) {
    d::LogCall(std::string("OpenThreadToken OpenAsSelf=") + (OpenAsSelf ? "1" : "0"));
    DWORD err = 0;
    if (d::ShouldFail(sim::Api::OpenThreadToken, "", "", &err)) {
        sim::detail::SetError(err);
        return FALSE;
    }
    if (!TokenHandle) {
        sim::detail::SetError(ERROR_NOACCESS);
        return FALSE;
    }
    if (ThreadHandle != sim::kCurrentThread) {
        sim::detail::SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!sim::Sec().setup.threadToken) {
        sim::detail::SetError(ERROR_NO_TOKEN);
        return FALSE;
    }
    *TokenHandle = sim::NewToken(true, DesiredAccess);
    return TRUE;
}

BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle) {
    d::LogCall("OpenProcessToken");
    DWORD err = 0;
    if (d::ShouldFail(sim::Api::OpenProcessToken, "", "", &err)) {
        sim::detail::SetError(err);
        return FALSE;
    }
    if (!TokenHandle) {
        sim::detail::SetError(ERROR_NOACCESS);
        return FALSE;
    }
    if (ProcessHandle != sim::kCurrentProcess) {
        sim::detail::SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *TokenHandle = sim::NewToken(false, DesiredAccess);
    return TRUE;
}

BOOL WINAPI GetTokenInformation(HANDLE TokenHandle, TOKEN_INFORMATION_CLASS TokenInformationClass,
                                LPVOID TokenInformation, DWORD TokenInformationLength,
                                PDWORD ReturnLength) {
    d::LogCall("GetTokenInformation class=" + std::to_string(TokenInformationClass) +
               " len=" + std::to_string(TokenInformationLength));
    DWORD err = 0;
    if (d::ShouldFail(sim::Api::GetTokenInformation, "", "", &err)) {
        sim::detail::SetError(err);
        return FALSE;
    }
    auto it = sim::Sec().tokens.find(reinterpret_cast<ULONG_PTR>(TokenHandle));
    if (it == sim::Sec().tokens.end()) {
        d::RecordMisuse("GetTokenInformation on invalid token handle " +
                        sim::HandleText(TokenHandle));
        sim::detail::SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!sim::Granted(it->second.access, TOKEN_QUERY)) {
        sim::detail::SetError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (TokenInformationClass != TokenGroups) {
        sim::detail::SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!ReturnLength) {
        sim::detail::SetError(ERROR_NOACCESS);
        return FALSE;
    }
    const auto groups = sim::TokenGroupsOf(it->second.thread);
    const std::size_t header = offsetof(TOKEN_GROUPS, Groups);
    const std::size_t arrayEnd = header + groups.size() * sizeof(SID_AND_ATTRIBUTES);
    std::size_t need = arrayEnd;
    for (const auto& g : groups)
        need += g.sid.size();
    *ReturnLength = static_cast<DWORD>(need);
    if (TokenInformationLength < need) {
        sim::detail::SetError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (!TokenInformation) {
        sim::detail::SetError(ERROR_NOACCESS);
        return FALSE;
    }
    BYTE* base = static_cast<BYTE*>(TokenInformation);
    auto* tg = static_cast<TOKEN_GROUPS*>(TokenInformation);
    tg->GroupCount = static_cast<DWORD>(groups.size());
    std::size_t at = arrayEnd;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        std::memcpy(base + at, groups[i].sid.data(), groups[i].sid.size());
        SID_AND_ATTRIBUTES entry;
        entry.Sid = base + at;
        entry.Attributes = groups[i].attributes;
        std::memcpy(base + header + i * sizeof(SID_AND_ATTRIBUTES), &entry, sizeof entry);
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
    const DWORD subs[8] = {nSubAuthority0, nSubAuthority1, nSubAuthority2, nSubAuthority3,
                           nSubAuthority4, nSubAuthority5, nSubAuthority6, nSubAuthority7};
    std::vector<BYTE> sid;
    if (pIdentifierAuthority && nSubAuthorityCount <= 8) {
        sid = {1, nSubAuthorityCount};
        sid.insert(sid.end(), pIdentifierAuthority->Value, pIdentifierAuthority->Value + 6);
        for (int i = 0; i < nSubAuthorityCount; ++i)
            for (int b = 0; b < 4; ++b)
                sid.push_back(static_cast<BYTE>(subs[i] >> (8 * b)));
    }
    d::LogCall("AllocateAndInitializeSid " +
               (sid.empty() ? "<invalid>" : sim::SidText(sid.data())));
    DWORD err = 0;
    if (d::ShouldFail(sim::Api::AllocateAndInitializeSid, "", "", &err)) {
        sim::detail::SetError(err);
        return FALSE;
    }
    if (!pIdentifierAuthority || !pSid) {
        sim::detail::SetError(ERROR_NOACCESS);
        return FALSE;
    }
    if (nSubAuthorityCount > 8) {
        sim::detail::SetError(ERROR_INVALID_SID);
        return FALSE;
    }
    void* p = std::malloc(sid.size());
    std::memcpy(p, sid.data(), sid.size());
    sim::Sec().sids.insert(p);
    sim::Sec().freedSids.erase(p);
    *pSid = p;
    return TRUE;
}

BOOL WINAPI EqualSid(PSID pSid1, PSID pSid2) {
    d::LogCall("EqualSid " + sim::SidText(pSid1) + " " + sim::SidText(pSid2));
    if (!sim::ValidSid(pSid1) || !sim::ValidSid(pSid2)) {
        d::RecordMisuse("EqualSid with an invalid SID");
        sim::detail::SetError(ERROR_SUCCESS);
        return FALSE;
    }
    const std::size_t n1 = sim::SidLength(pSid1);
    const BOOL equal = n1 == sim::SidLength(pSid2) && std::memcmp(pSid1, pSid2, n1) == 0;
    sim::detail::SetError(ERROR_SUCCESS);
    return equal;
}

PVOID WINAPI FreeSid(PSID pSid) {
    auto& s = sim::Sec();
    // Only a live SID is read: one freed before may be gone.
    d::LogCall("FreeSid " +
               (s.sids.count(pSid) ? sim::SidText(pSid) : std::string("<not allocated>")));
    if (!s.sids.count(pSid)) {
        d::RecordMisuse(
            std::string("FreeSid of a SID ") +
            (s.freedSids.count(pSid) ? "freed before" : "not from AllocateAndInitializeSid"));
        return pSid;
    }
    s.sids.erase(pSid);
    s.freedSids.insert(pSid);
    std::free(pSid);
    return nullptr;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    d::LogCall("CloseHandle " + sim::HandleText(hObject));
    if (hObject == sim::kCurrentProcess || hObject == sim::kCurrentThread)
        return TRUE;
    auto& s = sim::Sec();
    const ULONG_PTR h = reinterpret_cast<ULONG_PTR>(hObject);
    if (s.tokens.erase(h)) {
        s.closedTokens.insert(h);
        return TRUE;
    }
    if (d::CloseMutex(hObject))
        return TRUE;
    BOOL closed = FALSE;
    if (d::CloseFile(hObject, &closed))
        return closed;
    d::RecordMisuse(
        "CloseHandle of " +
        std::string(s.closedTokens.count(h) ? "a closed handle " : "an unknown handle ") +
        sim::HandleText(hObject));
    sim::detail::SetError(ERROR_INVALID_HANDLE);
    return FALSE;
}

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
    d::LogCall("LocalAlloc " + std::to_string(uBytes));
    DWORD err = 0;
    if (d::ShouldFail(sim::Api::LocalAlloc, "", "", &err)) {
        sim::detail::SetError(err);
        return nullptr;
    }
    void* p = std::malloc(uBytes ? uBytes : 1);
    if (!p) {
        sim::detail::SetError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::memset(p, (uFlags & LMEM_ZEROINIT) ? 0 : 0xCD, uBytes);
    sim::Sec().allocs[p] = uBytes;
    sim::Sec().freedAllocs.erase(p);
    return p;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
    d::LogCall("LocalFree");
    if (!hMem)
        return nullptr;
    auto& s = sim::Sec();
    auto it = s.allocs.find(hMem);
    if (it == s.allocs.end()) {
        d::RecordMisuse(std::string("LocalFree of memory ") +
                        (s.freedAllocs.count(hMem) ? "freed before" : "not from LocalAlloc"));
        sim::detail::SetError(ERROR_INVALID_HANDLE);
        return hMem;
    }
    std::free(hMem);
    s.allocs.erase(it);
    s.freedAllocs.insert(hMem);
    return nullptr;
}

} // extern "C"
