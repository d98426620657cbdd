#include "platform/MessageBoxes.h"

#include "platform/CWinApp.h"

HWND AfxGetOwnerWindow() {
    HWND hWnd = ::GetActiveWindow();
    while (hWnd != NULL && (::GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CHILD))
        hWnd = ::GetParent(hWnd);
    return hWnd;
}

int OwnerlessMessageBox(const char* pszText, const char* pszCaption, UINT nType) {
    return MessageBoxA(NULL, pszText, pszCaption, nType);
}

int AfxMessageBox(const char* pszText, UINT nType) {
    if ((nType & MB_ICONMASK) == 0 && (nType & MB_TYPEMASK) == MB_OK)
        nType |= MB_ICONEXCLAMATION;
    return MessageBoxA(AfxGetOwnerWindow(), pszText, AfxGetAppName(), nType);
}

int DialogMessageBox(HWND hDialog, const char* pszText, const char* pszCaption, UINT nType) {
    return MessageBoxA(hDialog, pszText, pszCaption, nType);
}
