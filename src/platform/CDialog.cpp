#include "platform/CDialog.h"

#include "platform/AfxInstance.h"
#include "platform/CWinApp.h"
#include "platform/DataExchange.h"
#include "platform/MessageBoxes.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, CDialog::OnOK)
ON_COMMAND(IDCANCEL, CDialog::OnCancel)
END_MESSAGE_MAP(CDialog, CWnd)

void AfxInitCommonControls() {
    // The list view and the up-down control are classes of the first common controls; the
    // Ex form of this call came later and would keep the program from loading where it is
    // missing (Windows NT 4.0 as installed).
    ::InitCommonControls();
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {}

INT_PTR CDialog::DoModal() {
    AfxInitCommonControls();
    CWinApp* pApp = AfxGetApp();
    DWORD dwOuterContext = pApp ? pApp->m_dwHelpContext : 0;
    // Without a parent the dialog belongs to the window the user is in, which the dialog
    // manager disables for the run: a dialog without an owner would leave that window taking
    // clicks behind it.
    HWND hWndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : AfxGetOwnerWindow();
    INT_PTR nResult =
        ::DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hWndParent,
                          &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    // F1 in the dialog that is active again asks for its own topic.
    if (pApp)
        pApp->m_dwHelpContext = dwOuterContext;
    return nResult;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(INT_PTR nResult) {
    ::EndDialog(m_hWnd, nResult);
}

void CDialog::GotoDlgCtrl(HWND hWndCtrl) {
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hWndCtrl), TRUE);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    CDialog* pDialog;
    if (nMsg == WM_INITDIALOG) {
        pDialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        pDialog->m_hWnd = hWnd;
    } else {
        pDialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    // Messages before WM_INITDIALOG (WM_SETFONT and the like) get the default processing.
    if (pDialog == nullptr)
        return FALSE;

    INT_PTR nResult = pDialog->OnDialogMessage(nMsg, wParam, lParam);
    if (nMsg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        pDialog->m_hWnd = NULL;
    }
    return nResult;
}

INT_PTR CDialog::OnDialogMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    switch (nMsg) {
    case WM_INITDIALOG:
        if (CWinApp* pApp = AfxGetApp())
            pApp->m_dwHelpContext = kHelpTopicBase + m_nIDTemplate;
        return OnInitDialog();

    case WM_HELP:
        // F1 arrives as WM_HELP, sent by the default processing of WM_KEYF1 to the focused
        // control and passed up to the dialog by the control's default processing. Only a
        // plain F1 asks for the dialog's topic.
        if (::GetKeyState(VK_SHIFT) >= 0 && ::GetKeyState(VK_CONTROL) >= 0 &&
            ::GetKeyState(VK_MENU) >= 0)
            SendMessage(WM_COMMAND, ID_HELP, 0);
        return TRUE;

    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_TIMER:
    case WM_SYSCOMMAND:
    case WM_PAINT:
    case WM_QUERYDRAGICON:
    case WM_DESTROY: {
        LRESULT lResult = 0;
        if (OnWndMsg(nMsg, wParam, lParam, &lResult)) {
            if (nMsg == WM_QUERYDRAGICON)
                return lResult; // one of the messages whose result the dialog returns directly
            if (nMsg == WM_NOTIFY)
                ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, lResult);
            return TRUE;
        }
        // Commands the dialog does not handle go to the application (ID_HELP among them).
        if (nMsg == WM_COMMAND) {
            CWinApp* pApp = AfxGetApp();
            if (pApp && pApp->OnCmdMsg(LOWORD(wParam), HIWORD(wParam)))
                return TRUE;
        }
        return FALSE;
    }

    default:
        return FALSE;
    }
}
