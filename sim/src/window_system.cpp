// The system's side of the window system: the icon metric, the work area, keyboard state and
// the help engine.
#include "window_internal.h"

#include <cstdio>

using namespace sim::win;

extern "C" {

// ---- metrics ----

// The one metric the program asks for: the size of an icon.
int WINAPI GetSystemMetrics(int nIndex) {
    return nIndex == SM_CXICON || nIndex == SM_CYICON ? 32 : 0;
}

BOOL WINAPI SystemParametersInfoA(UINT uiAction, UINT, PVOID pvParam, UINT) {
    if (uiAction == SPI_GETWORKAREA && pvParam) {
        *static_cast<RECT*>(pvParam) = S().workArea;
        return TRUE;
    }
    sim::detail::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

// ---- keyboard ----

// Only the modifiers the scripted user holds down while it presses F1 (with Alt the key gives no
// help, so none asks then).
SHORT WINAPI GetKeyState(int nVirtKey) {
    const State& st = S();
    bool down = (nVirtKey == VK_SHIFT && st.keyShift) || (nVirtKey == VK_CONTROL && st.keyCtrl);
    return down ? static_cast<SHORT>(0x8000) : 0;
}

// ---- help ----

BOOL WINAPI WinHelpA(HWND, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData) {
    State& st = S();
    std::string file = lpszHelp ? lpszHelp : "";
    char data[32];
    std::snprintf(data, sizeof data, "0x%llX", static_cast<unsigned long long>(dwData));
    sim::detail::LogCall("WinHelpA " + file + " " + std::to_string(uCommand) + " " + data);
    st.help.push_back(sim::ui::HelpCall{file, uCommand, dwData});
    return sim::detail::FailsWithLastError(sim::Api::WinHelp, "") ? FALSE : TRUE;
}

} // extern "C"
