// The simulated machine's shared state: reset, fault injection, the call log, misuse records,
// the thread's last error and message boxes.
#include "internal.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace sim {
namespace {

struct FaultState {
    Fault fault;
    int matched = 0; // calls of fault.api that matched key and value so far
};

struct State {
    std::vector<FaultState> faults;
    std::size_t failNth = 0; // 0 = none
    DWORD failNthError = 0;
    bool failNthPersistent = false;
    std::vector<FallibleCall> fallible;
    std::vector<std::string> callLog;
    std::vector<std::string> misuses;
    std::vector<MessageBoxCall> boxes;
    DWORD lastError = 0;
};

State& S() {
    static State state;
    return state;
}

std::vector<void (*)()>& ResetHooks() {
    static std::vector<void (*)()> hooks;
    return hooks;
}

int (*g_messageBoxHook)(HWND, const char*, const char*, UINT) = nullptr;

} // namespace

void Reset() {
    S() = State{};
    detail::ResetRegistry();
    detail::ResetSecurity();
    detail::ResetMachine();
    detail::ResetFiles();
    detail::ResetSync();
    for (auto hook : ResetHooks())
        hook();
}

void InjectFault(const Fault& fault) {
    S().faults.push_back(FaultState{fault, 0});
}

void FailNthCall(std::size_t n, DWORD error, bool persistent) {
    S().failNth = n;
    S().failNthError = error;
    S().failNthPersistent = persistent;
}

std::size_t FallibleCallCount() {
    return S().fallible.size();
}

const std::vector<FallibleCall>& FallibleCalls() {
    return S().fallible;
}

const char* ApiName(Api api) {
    static const std::vector<std::string> kNames = [] { // in the order of sim::Api
        std::istringstream in(
            "RegOpenKeyExA RegCreateKeyExA RegQueryValueExA RegSetValueExA RegCloseKey "
            "OpenThreadToken OpenProcessToken GetTokenInformation AllocateAndInitializeSid "
            "LocalAlloc GetLogicalDriveStringsA GetDriveTypeA GetDiskFreeSpaceA "
            "GetVolumeInformationA QueryDosDeviceA SetTimer CreateFontIndirectA GetDC "
            "DialogBoxParamA WinHelpA RegDeleteKeyA RegEnumKeyExA CreateFileA WriteFile "
            "FlushFileBuffers CloseHandle GetFileAttributesA");
        return std::vector<std::string>(std::istream_iterator<std::string>(in), {});
    }();
    return kNames.at(static_cast<std::size_t>(api)).c_str();
}

const std::vector<MessageBoxCall>& MessageBoxes() {
    return S().boxes;
}
const std::vector<std::string>& CallLog() {
    return S().callLog;
}
void ClearCallLog() {
    S().callLog.clear();
}
const std::vector<std::string>& Misuses() {
    return S().misuses;
}
void ClearLastError() {
    S().lastError = 0;
}

namespace detail {

void SetError(DWORD error) {
    S().lastError = error;
}

bool ShouldFail(Api api, const std::string& key, const std::string& value, DWORD* error) {
    State& st = S();
    st.fallible.push_back(FallibleCall{api, key, value, false, 0});
    const std::size_t n = st.fallible.size();
    bool fail = false;
    DWORD err = 0;
    if (st.failNth != 0 && (n == st.failNth || (st.failNthPersistent && n > st.failNth))) {
        fail = true;
        err = st.failNthError;
    }
    // Every matching fault counts the call, whether or not an earlier rule already fails it, so
    // that "the 2nd RegSetValueEx of DiskSize" means the same whatever else is injected.
    for (FaultState& f : st.faults) {
        if (f.fault.api != api)
            continue;
        if (!f.fault.key.empty() && !EqualNoCase(f.fault.key, key))
            continue;
        if (!f.fault.value.empty() && !EqualNoCase(f.fault.value, value))
            continue;
        ++f.matched;
        if (!fail && (f.fault.nth == 0 || f.fault.nth == f.matched)) {
            fail = true;
            err = f.fault.error;
        }
    }
    if (fail) {
        st.fallible.back().failed = true;
        st.fallible.back().error = err;
        if (error)
            *error = err;
    }
    return fail;
}

bool FailsWithLastError(Api api, const std::string& key) {
    DWORD err = 0;
    const bool fail = ShouldFail(api, key, "", &err);
    if (fail)
        S().lastError = err;
    return fail;
}

void LogCall(const std::string& line) {
    S().callLog.push_back(line);
}

void OnReset(void (*hook)()) {
    auto& hooks = ResetHooks();
    if (std::find(hooks.begin(), hooks.end(), hook) == hooks.end())
        hooks.push_back(hook);
}

void SetMessageBoxHook(int (*hook)(HWND, const char*, const char*, UINT)) {
    g_messageBoxHook = hook;
}

void RecordMisuse(const std::string& line) {
    S().misuses.push_back(line);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return UpperAscii(a) == UpperAscii(b);
}

std::string UpperAscii(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

} // namespace detail
} // namespace sim

// ---- Win32 surface ----

extern "C" {

DWORD WINAPI GetLastError(void) {
    return sim::S().lastError;
}

// The owner is recorded as given; the text and caption are copied. A NULL caption is "Error" on
// real Windows; it is recorded as "" here so that tests see that none was given.
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    sim::detail::LogCall(std::string("MessageBoxA ") + (lpCaption ? lpCaption : ""));
    sim::S().boxes.push_back({hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "", uType});
    if (sim::g_messageBoxHook)
        return sim::g_messageBoxHook(hWnd, lpText, lpCaption, uType);
    return IDOK; // what Enter gives on the one kind of box the program shows, MB_OK
}

} // extern "C"
