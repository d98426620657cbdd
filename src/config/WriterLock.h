// One writer of the driver's configuration at a time, across the machine. HxSetup holds the
// lock for its whole run, since its OK writes back the whole record it read at its start; hxcfg
// holds it while a writing command runs. Two named mutexes: the lock, and HxSetup's mark that a
// dialog is open, which hxcfg reads to refuse at once rather than wait for a person.
#pragma once

#include <windows.h>

enum LockOutcome {
    kLockTaken,      // this process holds the lock until the object is destroyed
    kLockDialogOpen, // an HxSetup is open
    kLockBusy,       // another writer kept it past the wait, or it could not be had
};

// How long a writer waits for another hxcfg to finish its writes.
const DWORD kWriterWaitMs = 5000;

class CWriterLock {
public:
    CWriterLock() : m_hDialogMark(nullptr), m_hLock(nullptr), m_bHeld(FALSE) {}
    ~CWriterLock();
    CWriterLock(const CWriterLock&) = delete;
    CWriterLock& operator=(const CWriterLock&) = delete;

    // HxSetup: sets the mark (kLockDialogOpen if another HxSetup has it), then takes the lock.
    LockOutcome TakeForDialog();
    // hxcfg: kLockDialogOpen at once while an HxSetup is open; otherwise takes the lock.
    LockOutcome TakeForCommand();

private:
    LockOutcome TakeLock();

    HANDLE m_hDialogMark;
    HANDLE m_hLock;
    BOOL m_bHeld;
};
