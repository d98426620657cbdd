#include "platform/CWnd.h"

#include "platform/CString.h"
#include "platform/MessageBoxes.h"

static const AFX_MSGMAP_ENTRY g_wndEntries[] = {{0, 0, 0, AfxSig_end, nullptr}};
const AFX_MSGMAP CWnd::messageMap = {&CCmdTarget::messageMap, g_wndEntries};

const AFX_MSGMAP* CWnd::GetMessageMap() const {
    return &CWnd::messageMap;
}

CWnd CWnd::GetDlgItem(int nID) const {
    return CWnd(::GetDlgItem(m_hWnd, nID));
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    return ::EnableWindow(m_hWnd, bEnable);
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    return ::ShowWindow(m_hWnd, nCmdShow);
}

void CWnd::SetWindowText(const char* pszText) {
    ::SetWindowTextA(m_hWnd, pszText);
}

void CWnd::GetWindowText(CString& rString) const {
    int nLength = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, rString.GetBuffer(nLength), nLength + 1);
    rString.ReleaseBuffer();
}

LRESULT CWnd::SendMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, nMsg, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse) {
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, NULL);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    return ::KillTimer(m_hWnd, nIDEvent);
}

void CWnd::Invalidate(BOOL bErase) {
    ::InvalidateRect(m_hWnd, NULL, bErase);
}

void CWnd::GetClientRect(RECT* pRect) const {
    ::GetClientRect(m_hWnd, pRect);
}

BOOL CWnd::IsIconic() const {
    return ::IsIconic(m_hWnd);
}

HWND CWnd::SetFocus() {
    return ::SetFocus(m_hWnd);
}

void CWnd::CenterWindow() {
    HWND hWndCenter = ::GetWindow(m_hWnd, GW_OWNER);
    if (hWndCenter != NULL && (!::IsWindowVisible(hWndCenter) || ::IsIconic(hWndCenter)))
        hWndCenter = NULL;

    RECT rcArea;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    RECT rcCenter = rcArea;
    if (hWndCenter != NULL)
        ::GetWindowRect(hWndCenter, &rcCenter);

    RECT rcDlg;
    ::GetWindowRect(m_hWnd, &rcDlg);
    int cxDlg = rcDlg.right - rcDlg.left;
    int cyDlg = rcDlg.bottom - rcDlg.top;
    int xLeft = (rcCenter.left + rcCenter.right) / 2 - cxDlg / 2;
    int yTop = (rcCenter.top + rcCenter.bottom) / 2 - cyDlg / 2;

    // Keep the whole window reachable: the right and bottom edges give way first, so a window
    // larger than the work area keeps its caption on screen.
    if (xLeft + cxDlg > rcArea.right)
        xLeft = rcArea.right - cxDlg;
    if (xLeft < rcArea.left)
        xLeft = rcArea.left;
    if (yTop + cyDlg > rcArea.bottom)
        yTop = rcArea.bottom - cyDlg;
    if (yTop < rcArea.top)
        yTop = rcArea.top;

    ::SetWindowPos(m_hWnd, NULL, xLeft, yTop, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

int CWnd::MessageBox(const char* pszText, const char* pszCaption, UINT nType) {
    return DialogMessageBox(m_hWnd, pszText, pszCaption, nType);
}

void CWnd::OnTimer(UINT_PTR) {
    Default();
}

void CWnd::OnSysCommand(UINT, LPARAM) {
    Default();
}

void CWnd::OnPaint() {
    Default();
}

void CWnd::OnDestroy() {
    Default();
}

BOOL CWnd::OnWndMsg(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    UINT nCode = 0;
    UINT nID = 0;
    if (nMsg == WM_COMMAND) {
        nCode = HIWORD(wParam);
        nID = LOWORD(wParam);
    } else if (nMsg == WM_NOTIFY) {
        const NMHDR* pNMHDR = reinterpret_cast<const NMHDR*>(lParam);
        nCode = pNMHDR->code;
        nID = static_cast<UINT>(pNMHDR->idFrom);
    }
    const AFX_MSGMAP_ENTRY* pEntry = AfxFindMessageEntry(GetMessageMap(), nMsg, nCode, nID);
    if (pEntry == nullptr)
        return FALSE;

    // A handler may run a nested modal loop that dispatches to this object again.
    BOOL bOuterDefault = m_bDefault;
    m_bDefault = FALSE;
    LRESULT lResult = 0;
    switch (pEntry->nSig) {
    case AfxSig_vv:
        (this->*(pEntry->pfn))();
        break;
    case AfxSig_vw:
        (this->*AfxPmsgCast<AFX_PMSG_TIMER>(pEntry->pfn))(wParam);
        break;
    case AfxSig_vwl:
        (this->*AfxPmsgCast<AFX_PMSG_SYSCOMMAND>(pEntry->pfn))(static_cast<UINT>(wParam), lParam);
        break;
    case AfxSig_hv:
        lResult =
            reinterpret_cast<LRESULT>((this->*AfxPmsgCast<AFX_PMSG_QUERYDRAGICON>(pEntry->pfn))());
        break;
    case AfxSig_notify:
        (this->*AfxPmsgCast<AFX_PMSG_NOTIFY>(pEntry->pfn))(reinterpret_cast<NMHDR*>(lParam),
                                                           &lResult);
        break;
    default:
        break;
    }
    BOOL bDefault = m_bDefault;
    m_bDefault = bOuterDefault;
    if (bDefault)
        return FALSE;
    *pResult = lResult;
    return TRUE;
}
