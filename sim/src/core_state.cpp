// The simulated machine's shared state: reset, fault injection, the call log, misuse records,
// the thread's last error and message boxes.
#include "internal.h"

#include <algorithm>
#include <cctype>
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

// The first button of each MB_TYPEMASK kind, what a user pressing Enter gets.
int DefaultAnswer(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL:
        return IDOK;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO:
        return IDYES;
    case MB_RETRYCANCEL:
        return IDRETRY;
    default:
        return IDOK;
    }
}

std::string Escape(const char* s) {
    std::string out;
    if (!s)
        return "(null)";
    for (; *s; ++s) {
        switch (*s) {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += *s;
        }
    }
    return out;
}

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
    switch (api) {
    case Api::RegOpenKeyEx:
        return "RegOpenKeyExA";
    case Api::RegCreateKeyEx:
        return "RegCreateKeyExA";
    case Api::RegQueryValueEx:
        return "RegQueryValueExA";
    case Api::RegSetValueEx:
        return "RegSetValueExA";
    case Api::RegCloseKey:
        return "RegCloseKey";
    case Api::OpenThreadToken:
        return "OpenThreadToken";
    case Api::OpenProcessToken:
        return "OpenProcessToken";
    case Api::GetTokenInformation:
        return "GetTokenInformation";
    case Api::AllocateAndInitializeSid:
        return "AllocateAndInitializeSid";
    case Api::LocalAlloc:
        return "LocalAlloc";
    case Api::GetLogicalDriveStrings:
        return "GetLogicalDriveStringsA";
    case Api::GetDriveType:
        return "GetDriveTypeA";
    case Api::GetDiskFreeSpace:
        return "GetDiskFreeSpaceA";
    case Api::GetVolumeInformation:
        return "GetVolumeInformationA";
    case Api::QueryDosDevice:
        return "QueryDosDeviceA";
    case Api::SetTimer:
        return "SetTimer";
    case Api::CreateFontIndirect:
        return "CreateFontIndirectA";
    case Api::GetDC:
        return "GetDC";
    case Api::DialogBoxParam:
        return "DialogBoxParamA";
    case Api::WinHelp:
        return "WinHelpA";
    case Api::RegDeleteKey:
        return "RegDeleteKeyA";
    case Api::RegEnumKey:
        return "RegEnumKeyExA";
    case Api::CreateFile:
        return "CreateFileA";
    case Api::WriteFile:
        return "WriteFile";
    case Api::FlushFileBuffers:
        return "FlushFileBuffers";
    case Api::CloseHandle:
        return "CloseHandle";
    case Api::GetFileAttributes:
        return "GetFileAttributesA";
    }
    return "?";
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
    }
    if (fail && error)
        *error = err;
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

void RecordMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    S().boxes.push_back(MessageBoxCall{owner, text ? text : "", caption ? caption : "", type});
}

void SetMessageBoxHook(int (*hook)(HWND, const char*, const char*, UINT)) {
    g_messageBoxHook = hook;
}

void RecordMisuse(const std::string& line) {
    S().misuses.push_back(line);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool LessNoCase(const std::string& a, const std::string& b) {
    return UpperAscii(a) < UpperAscii(b);
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
    sim::detail::LogCall("MessageBoxA \"" + sim::Escape(lpCaption) + "\" \"" + sim::Escape(lpText) +
                         "\"");
    sim::detail::RecordMessageBox(hWnd, lpText, lpCaption, uType);
    if (sim::g_messageBoxHook)
        return sim::g_messageBoxHook(hWnd, lpText, lpCaption, uType);
    return sim::DefaultAnswer(uType);
}

} // extern "C"
