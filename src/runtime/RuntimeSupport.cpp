// The C++ runtime hooks the stand-alone executable needs, over the process heap.
//
// The compiler's own operator new is written in terms of exceptions: even the nothrow form
// catches std::bad_alloc, which drags the exception unwinder, the verbose terminate handler and
// its symbol demangler, and a printf implementation into the program, several times the size of
// the program itself. This program is built without exceptions and only ever asks for small
// fixed-size records, so allocation goes straight to the process heap and an impossible state
// (an allocation that may not fail but did, a pure virtual call) ends the process at once.
//
// Both Windows executables link this file; the native build keeps its C++ runtime's operators,
// which the sanitizers watch.

#include <new>

#include <windows.h>

namespace {
void* HeapAllocate(size_t cb) {
    // A request for no bytes still returns a distinct pointer.
    return HeapAlloc(GetProcessHeap(), 0, cb != 0 ? cb : 1);
}

void HeapRelease(void* p) {
    if (p != nullptr)
        HeapFree(GetProcessHeap(), 0, p);
}

[[noreturn]] void Fatal(const char* pszReason) {
    FatalAppExitA(0, pszReason);
    ExitProcess(3); // not reached: FatalAppExit does not return
}

void* MustAllocate(size_t cb) {
    void* p = HeapAllocate(cb);
    if (p == nullptr)
        Fatal("Out of memory");
    return p;
}
} // namespace

void* operator new(size_t cb) {
    return MustAllocate(cb);
}
void* operator new[](size_t cb) {
    return MustAllocate(cb);
}
void* operator new(size_t cb, const std::nothrow_t&) noexcept {
    return HeapAllocate(cb);
}
void* operator new[](size_t cb, const std::nothrow_t&) noexcept {
    return HeapAllocate(cb);
}

void operator delete(void* p) noexcept {
    HeapRelease(p);
}
void operator delete[](void* p) noexcept {
    HeapRelease(p);
}
void operator delete(void* p, size_t) noexcept {
    HeapRelease(p);
}
void operator delete[](void* p, size_t) noexcept {
    HeapRelease(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    HeapRelease(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    HeapRelease(p);
}

extern "C" void __cxa_pure_virtual() {
    Fatal("Pure virtual function call");
}
