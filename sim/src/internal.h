// Shared plumbing between the parts of the simulated Windows (core_*.cpp and window_*.cpp).
// Not visible to product code or tests.
#pragma once

#include <sim/machine.h>
#include <windows.h>

#include <string>

namespace sim::detail {

// Records one fallible call and consults the injected faults: true, with *error set, when this
// call must fail. `key` and `value` are what a sim::Fault matches.
bool ShouldFail(sim::Api api, const std::string& key, const std::string& value, DWORD* error);
// ShouldFail for a call that reports its failure through the last error, which this sets.
bool FailsWithLastError(sim::Api api, const std::string& key);

// The thread's last error, as GetLastError() returns it: what a failing call sets.
void SetError(DWORD error);

// Appends one line to sim::CallLog().
void LogCall(const std::string& line);

// Registers a function that sim::Reset() calls after resetting the core, once however often.
void OnReset(void (*hook)());

// The answer MessageBoxA returns comes from this hook when set (the window system may install one
// to let a scripted user answer); nullptr restores the default answer, IDOK. The hook survives
// sim::Reset() (hooks are code, not state).
void SetMessageBoxHook(int (*hook)(HWND owner, const char* text, const char* caption, UINT type));

// ---- helpers ----
// ASCII case-insensitive comparison, the registry's and the drive names' rule.
bool EqualNoCase(const std::string& a, const std::string& b);
std::string UpperAscii(std::string s);
// Records a line in sim::Misuses().
void RecordMisuse(const std::string& line);

// ---- core-private (core_*.cpp only) ----
// Whether the token the registry checks (the thread's when it impersonates, else the process's)
// has the Administrators group enabled.
bool TokenIsAdmin();
// Per-area resets that sim::Reset() calls before the OnReset hooks.
void ResetRegistry();
void ResetSecurity();
void ResetMachine(); // memory, drives, process
void ResetFiles();   // closes what the program left open
void ResetSync();    // named mutexes
// CloseHandle of a file handle: true, with the call's result in *result, when hFile is one.
bool CloseFile(HANDLE hFile, BOOL* result);
// CloseHandle of a mutex handle: true when hObject is one (closing it cannot fail).
bool CloseMutex(HANDLE hObject);

} // namespace sim::detail
