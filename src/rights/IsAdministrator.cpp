#include "rights/IsAdministrator.h"

namespace {
// The process token, unless the thread is impersonating; NULL when neither can be had.
HANDLE OpenCallerToken() {
    HANDLE hToken = NULL;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &hToken))
        return hToken;
    if (GetLastError() != ERROR_NO_TOKEN)
        return NULL;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return hToken;
    return NULL;
}

// Membership alone counts: whether the group is enabled in the token plays no part.
BOOL TokenListsAdministrators(HANDLE hToken) {
    DWORD cbGroups = 0;
    GetTokenInformation(hToken, TokenGroups, nullptr, 0, &cbGroups);
    if (cbGroups == 0)
        return FALSE;
    TOKEN_GROUPS* pGroups = static_cast<TOKEN_GROUPS*>(LocalAlloc(LMEM_FIXED, cbGroups));
    if (pGroups == nullptr)
        return FALSE;
    BOOL bMember = FALSE;
    if (GetTokenInformation(hToken, TokenGroups, pGroups, cbGroups, &cbGroups)) {
        SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
        PSID pAdministrators = nullptr;
        if (AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                     DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &pAdministrators)) {
            for (DWORD i = 0; i < pGroups->GroupCount && !bMember; ++i)
                bMember = EqualSid(pGroups->Groups[i].Sid, pAdministrators);
            FreeSid(pAdministrators);
        }
    }
    LocalFree(pGroups);
    return bMember ? 1 : 0;
}
} // namespace

BOOL IsAdministrator() {
    HANDLE hToken = OpenCallerToken();
    if (hToken == NULL)
        return 0;
    BOOL bMember = TokenListsAdministrators(hToken);
    CloseHandle(hToken);
    return bMember;
}
