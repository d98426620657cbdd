// Named mutexes: CreateMutexA, OpenMutexA, WaitForSingleObject, ReleaseMutex, and their handles'
// CloseHandle.
// - "Global\" names the machine's namespace; a bare name, the program's session's, which is
//   another (as under Wine). With SetNoGlobalNamespace (Windows NT 4.0, whose one namespace is
//   the machine's) a "Global\" name fails with ERROR_PATH_NOT_FOUND. Names are case-sensitive.
// - CreateMutexA of an existing name opens it and sets ERROR_ALREADY_EXISTS (the initial owner
//   is then not taken), of a new one ERROR_SUCCESS. OpenMutexA of a name that does not exist
//   fails with ERROR_FILE_NOT_FOUND.
// - A mutex is recursive: each wait that takes it needs its ReleaseMutex. A wait on one another
//   process holds (HoldElsewhere) times out at once; the log line shows the time asked.
// - The object lives while the program holds a handle or another process holds it.
#include "internal.h"

#include <map>
#include <string>

namespace sim {
namespace {

struct Mutex {
    int handles = 0;
    int owned = 0; // the program's recursion count
    bool elsewhere = false;
};

struct Sync {
    std::map<std::string, Mutex> named;
    std::map<ULONG_PTR, std::string> handles;
    bool noGlobal = false;
    ULONG_PTR next = 0x40000;
};

Sync& Y() {
    static Sync sync;
    return sync;
}

// The object's name; false, with the error set, for a name this system lacks.
bool Resolve(LPCSTR lpName, std::string* name) {
    *name = lpName ? lpName : "";
    if (Y().noGlobal && name->compare(0, 7, "Global\\") == 0) {
        detail::SetError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    return true;
}

HANDLE NewHandle(const std::string& name) {
    ULONG_PTR h = Y().next;
    Y().next += 4;
    Y().handles[h] = name;
    ++Y().named[name].handles;
    return reinterpret_cast<HANDLE>(h);
}

Mutex* Find(HANDLE h) {
    auto it = Y().handles.find(reinterpret_cast<ULONG_PTR>(h));
    return it != Y().handles.end() ? &Y().named[it->second] : nullptr;
}

void Drop(const std::string& name) {
    auto it = Y().named.find(name);
    if (it != Y().named.end() && it->second.handles == 0 && !it->second.elsewhere)
        Y().named.erase(it);
}

} // namespace

void HoldElsewhere(const std::string& name) {
    Y().named[name].elsewhere = true;
}

void ReleaseHeldElsewhere(const std::string& name) {
    if (Y().named.count(name)) {
        Y().named[name].elsewhere = false;
        Drop(name);
    }
}

void SetNoGlobalNamespace(bool none) {
    Y().noGlobal = none;
}

std::size_t OpenMutexCount() {
    return Y().handles.size();
}

namespace detail {
void ResetSync() {
    Y() = Sync{};
}

bool CloseMutex(HANDLE hObject) {
    auto it = Y().handles.find(reinterpret_cast<ULONG_PTR>(hObject));
    if (it == Y().handles.end())
        return false;
    std::string name = it->second;
    Y().handles.erase(it);
    Mutex& m = Y().named[name];
    if (--m.handles == 0 && m.owned != 0)
        RecordMisuse("CloseHandle of the last handle of mutex " + name + " while it is held");
    Drop(name);
    return true;
}
} // namespace detail
} // namespace sim

namespace d = sim::detail;

extern "C" {

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCSTR lpName) {
    d::LogCall(std::string("CreateMutexA ") + (lpName ? lpName : "(unnamed)"));
    std::string name;
    if (!sim::Resolve(lpName, &name))
        return nullptr;
    bool exists = sim::Y().named.count(name) != 0;
    HANDLE h = sim::NewHandle(name);
    if (!exists && bInitialOwner)
        ++sim::Y().named[name].owned;
    d::SetError(exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

HANDLE WINAPI OpenMutexA(DWORD, BOOL, LPCSTR lpName) {
    d::LogCall(std::string("OpenMutexA ") + (lpName ? lpName : ""));
    std::string name;
    if (!sim::Resolve(lpName, &name))
        return nullptr;
    if (!sim::Y().named.count(name)) {
        d::SetError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return sim::NewHandle(name);
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    d::LogCall("WaitForSingleObject " + std::to_string(dwMilliseconds));
    sim::Mutex* m = sim::Find(hHandle);
    if (m == nullptr) {
        d::RecordMisuse("WaitForSingleObject on an unknown handle");
        d::SetError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (m->elsewhere)
        return WAIT_TIMEOUT;
    ++m->owned;
    return WAIT_OBJECT_0;
}

BOOL WINAPI ReleaseMutex(HANDLE hMutex) {
    d::LogCall("ReleaseMutex");
    sim::Mutex* m = sim::Find(hMutex);
    if (m == nullptr) {
        d::SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (m->owned == 0) {
        d::SetError(ERROR_NOT_OWNER);
        return FALSE;
    }
    --m->owned;
    return TRUE;
}

} // extern "C"
