// The system's side of the window system: screen metrics, the work area, keyboard state and the
// help engine.
#include "window_internal.h"

#include <cstdio>

using namespace sim::win;

extern "C" {

// ---- metrics ----

int WINAPI GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
        return kScreenW;
    case SM_CYSCREEN:
        return kScreenH;
    case SM_CYFULLSCREEN:
        return S().workArea.bottom - S().workArea.top - kCaption;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return 16;
    case SM_CYCAPTION:
        return kCaption;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return kBorder;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return kDlgFrame;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return kSizeFrame;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return kEdge;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYMENU:
        return 19;
    case SM_CXSIZE:
    case SM_CYSIZE:
        return 18;
    case SM_CYSMCAPTION:
        return 15;
    case SM_CXMIN:
        return 112;
    case SM_CYMIN:
        return 27;
    case SM_CXMAXIMIZED:
        return S().workArea.right - S().workArea.left + 2 * kSizeFrame;
    case SM_CYMAXIMIZED:
        return S().workArea.bottom - S().workArea.top + 2 * kSizeFrame;
    case SM_CMONITORS:
        return 1;
    default:
        return 0;
    }
}

BOOL WINAPI SystemParametersInfoA(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni) {
    (void)uiParam;
    (void)fWinIni;
    if (uiAction == SPI_GETWORKAREA && pvParam) {
        *static_cast<RECT*>(pvParam) = S().workArea;
        return TRUE;
    }
    sim::detail::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

// ---- keyboard ----

SHORT WINAPI GetKeyState(int nVirtKey) {
    State& st = S();
    bool down = false;
    switch (nVirtKey) {
    case VK_SHIFT:
    case VK_LSHIFT:
        down = st.keyShift;
        break;
    case VK_CONTROL:
    case VK_LCONTROL:
        down = st.keyCtrl;
        break;
    case VK_MENU:
    case VK_LMENU:
        down = st.keyAlt;
        break;
    default:
        break;
    }
    return down ? static_cast<SHORT>(0x8000) : 0;
}

// ---- help ----

BOOL WINAPI WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData) {
    (void)hWndMain;
    State& st = S();
    std::string file = lpszHelp ? lpszHelp : "";
    char data[32];
    std::snprintf(data, sizeof data, "0x%llX", static_cast<unsigned long long>(dwData));
    sim::detail::LogCall("WinHelpA " + file + " " + std::to_string(uCommand) + " " + data);
    st.help.push_back(sim::ui::HelpCall{file, uCommand, dwData});
    DWORD err = 0;
    if (sim::detail::ShouldFail(sim::Api::WinHelp, "", "", &err)) {
        sim::detail::SetError(err);
        return FALSE;
    }
    return TRUE;
}

} // extern "C"
