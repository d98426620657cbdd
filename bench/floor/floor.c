/* The floor for the start-up and size figures: the least program that shows HxSetup's main
 * dialog template. It registers the common controls the template names (a list view cannot be
 * created otherwise) and does nothing else; HxSetup's own run adds its checks, its registry
 * reads and the filled-in dialog on top of this. */
#include <windows.h>
#include <commctrl.h>

#include "resource.h"

static INT_PTR CALLBACK FloorDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (uMsg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(hDlg, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    INITCOMMONCONTROLSEX icc;
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nCmdShow;
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS;
    InitCommonControlsEx(&icc);
    return (int)DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_HXSETUP_DIALOG), NULL,
                                FloorDialogProc, 0);
}
