#include "config/WriterLock.h"

#include <string.h>

namespace {
const char kLockName[] = "Halcyonix.ConfigurationWriter";
const char kDialogMarkName[] = "Halcyonix.SetupDialogOpen";
const char kGlobal[] = "Global\\";

// The name in the machine's namespace: with Terminal Services each session has its own, and
// "Global\" names the machine's. Windows NT 4.0 has no such directory and fails the name; its
// one namespace is the machine's, so the bare name is taken then. A name that is refused
// (another user's object) is not tried bare: that would make a lock of this session alone.
void GlobalName(const char* pszName, char* pszOut) {
    strcpy(pszOut, kGlobal);
    strcat(pszOut, pszName);
}

HANDLE CreateMachineMutex(const char* pszName) {
    char szName[64];
    GlobalName(pszName, szName);
    HANDLE h = CreateMutexA(nullptr, FALSE, szName);
    if (h == nullptr && GetLastError() != ERROR_ACCESS_DENIED)
        h = CreateMutexA(nullptr, FALSE, pszName);
    return h;
}

// Whether the named mutex exists; one we may not open exists too.
BOOL MachineMutexExists(const char* pszName) {
    char szName[64];
    GlobalName(pszName, szName);
    HANDLE h = OpenMutexA(SYNCHRONIZE, FALSE, szName);
    if (h == nullptr && GetLastError() != ERROR_ACCESS_DENIED &&
        GetLastError() != ERROR_FILE_NOT_FOUND)
        h = OpenMutexA(SYNCHRONIZE, FALSE, pszName);
    if (h == nullptr)
        return GetLastError() == ERROR_ACCESS_DENIED;
    CloseHandle(h);
    return TRUE;
}
} // namespace

CWriterLock::~CWriterLock() {
    if (m_bHeld)
        ReleaseMutex(m_hLock);
    if (m_hLock != nullptr)
        CloseHandle(m_hLock);
    if (m_hDialogMark != nullptr)
        CloseHandle(m_hDialogMark);
}

LockOutcome CWriterLock::TakeLock() {
    m_hLock = CreateMachineMutex(kLockName);
    if (m_hLock == nullptr)
        return kLockBusy;
    // A writer that ended without releasing it (WAIT_ABANDONED) left the registry as any
    // interrupted write does; the lock is ours all the same.
    DWORD dwWait = WaitForSingleObject(m_hLock, kWriterWaitMs);
    if (dwWait != WAIT_OBJECT_0 && dwWait != WAIT_ABANDONED)
        return kLockBusy;
    m_bHeld = TRUE;
    return kLockTaken;
}

LockOutcome CWriterLock::TakeForDialog() {
    m_hDialogMark = CreateMachineMutex(kDialogMarkName);
    if (m_hDialogMark == nullptr)
        return GetLastError() == ERROR_ACCESS_DENIED ? kLockDialogOpen : kLockBusy;
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return kLockDialogOpen;
    return TakeLock();
}

LockOutcome CWriterLock::TakeForCommand() {
    if (MachineMutexExists(kDialogMarkName))
        return kLockDialogOpen;
    return TakeLock();
}
