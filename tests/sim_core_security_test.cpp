// Conformance of sim's tokens, SIDs, handles and local memory with Win32; built for both.
#include "conformance.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace {

class SimSecurity : public ::testing::Test {
protected:
    void SetUp() override { hxt::Reset(); }
};

TEST_F(SimSecurity, SidHasTheRealBinaryLayout) {
    PSID sid = hxt::AdminSid();
    ASSERT_NE(sid, nullptr);
    const BYTE expected[] = {1, 2, 0, 0, 0, 0, 0, 5, 0x20, 0, 0, 0, 0x20, 2, 0, 0};
    EXPECT_EQ(std::memcmp(sid, expected, sizeof expected), 0);
    EXPECT_EQ(FreeSid(sid), nullptr);
}

TEST_F(SimSecurity, TokenGroupsSizeProtocol) {
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    DWORD need = 0;
    EXPECT_FALSE(GetTokenInformation(token, TokenGroups, nullptr, 0, &need));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
#if HXT_SIM // sim's administrator has three groups: Everyone, Users and Administrators
    EXPECT_EQ(need, offsetof(TOKEN_GROUPS, Groups) + 3 * sizeof(SID_AND_ATTRIBUTES) + 12 + 16 + 16);
#endif
    std::vector<BYTE> buf(need + 16, 0xEE);
    DWORD got = 0;
    EXPECT_FALSE(GetTokenInformation(token, TokenGroups, buf.data(), need - 1, &got));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(got, need);
    ASSERT_TRUE(GetTokenInformation(token, TokenGroups, buf.data(), need, &got));
    EXPECT_EQ(buf[need], 0xEE) << "nothing written past the size";
    auto* groups = reinterpret_cast<TOKEN_GROUPS*>(buf.data());
    ASSERT_GE(groups->GroupCount, 1u);
    PSID admin = hxt::AdminSid();
    int admins = 0;
    const BYTE* const sids = buf.data() + offsetof(TOKEN_GROUPS, Groups) +
                             groups->GroupCount * sizeof(SID_AND_ATTRIBUTES);
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        const BYTE* sid = static_cast<const BYTE*>(groups->Groups[i].Sid);
        EXPECT_GE(sid, sids);
        EXPECT_LE(sid + 8 + 4 * sid[1], buf.data() + need) << "SIDs lie inside the buffer";
        admins += EqualSid(groups->Groups[i].Sid, admin) ? 1 : 0;
    }
    EXPECT_EQ(admins, 1) << "the administrator's token lists Administrators once";
    FreeSid(admin);
#if HXT_SIM // sim's accounting of token handles
    EXPECT_EQ(sim::OpenTokenCount(), 1u);
    EXPECT_TRUE(CloseHandle(token));
    EXPECT_EQ(sim::OpenTokenCount(), 0u);
#else
    EXPECT_TRUE(CloseHandle(token));
#endif
    EXPECT_FALSE(CloseHandle(token));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

constexpr int kListedAnywhere = -2;
// An elevated administrator's: the group may also own what its members make.
constexpr DWORD kAdministratorsEnabled =
    SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED | SE_GROUP_OWNER;

// Where the groups come from: the thread's token when it impersonates, else the process's.
// adminIndex: where Administrators stands among them, -1 not listed.
void ExpectTokenGroups(bool viaThread, int adminIndex, DWORD adminAttributes) {
    HANDLE token = nullptr;
    hxt::ClearLastError();
    const BOOL threadOk = OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token);
    ASSERT_EQ(threadOk, viaThread ? TRUE : FALSE);
    if (!threadOk) {
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_TOKEN));
        ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    }
    BYTE buf[1024];
    DWORD got = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenGroups, buf, sizeof buf, &got));
    auto* groups = reinterpret_cast<TOKEN_GROUPS*>(buf);
    PSID admin = hxt::AdminSid();
    int found = -1;
    for (DWORD i = 0; i < groups->GroupCount; ++i)
        if (EqualSid(groups->Groups[i].Sid, admin))
            found = static_cast<int>(i);
    if (adminIndex == kListedAnywhere)
        EXPECT_GE(found, 0);
    else
        EXPECT_EQ(found, adminIndex);
    if (found >= 0) {
        EXPECT_EQ(groups->Groups[found].Attributes, adminAttributes);
    }
    FreeSid(admin);
    CloseHandle(token);
}

TEST_F(SimSecurity, TokenSetups) {
#if HXT_SIM // tokens of other users (not an administrator, impersonating) only sim can make
    struct Case {
        sim::TokenSetup setup;
        bool viaThread;
        int adminIndex; // -1: not listed
        DWORD adminAttributes;
    } cases[] = {
        {{}, false, 2, kAdministratorsEnabled},
        {{true, false, false, false, false}, false, 2, SE_GROUP_USE_FOR_DENY_ONLY},
        {{true, true, true, false, false}, false, 0, kAdministratorsEnabled},
        {{false, true, false, false, false}, false, -1, 0},
        {{true, true, false, true, false}, true, -1, 0},
        {{false, true, false, true, true}, true, 2, kAdministratorsEnabled},
    };
    for (const Case& c : cases) {
        sim::Reset();
        sim::SetToken(c.setup);
        ExpectTokenGroups(c.viaThread, c.adminIndex, c.adminAttributes);
        EXPECT_EQ(sim::OpenTokenCount() + sim::LiveSidCount(), 0u);
    }
#else
    // The test runs as an elevated administrator and does not impersonate; where Administrators
    // stands among the groups is the system's own.
    ExpectTokenGroups(false, kListedAnywhere, kAdministratorsEnabled);
#endif
}

TEST_F(SimSecurity, LocalAllocCountsAndFills) {
    BYTE* zeroed = static_cast<BYTE*>(LocalAlloc(LPTR, 16));
    BYTE* raw = static_cast<BYTE*>(LocalAlloc(LMEM_FIXED, 16));
    ASSERT_TRUE(zeroed && raw);
    EXPECT_EQ(zeroed[15], 0);
#if HXT_SIM // undefined contents, which sim scribbles, and sim's accounting of allocations
    EXPECT_EQ(raw[15], 0xCD) << "undefined contents are scribbled";
    EXPECT_EQ(sim::LiveLocalAllocCount(), 2u);
#endif
    EXPECT_EQ(LocalFree(zeroed), nullptr);
    EXPECT_EQ(LocalFree(raw), nullptr);
    EXPECT_EQ(LocalFree(nullptr), nullptr);
#if HXT_SIM
    EXPECT_EQ(sim::LiveLocalAllocCount(), 0u);
    EXPECT_TRUE(sim::Misuses().empty());
#endif
}

} // namespace
