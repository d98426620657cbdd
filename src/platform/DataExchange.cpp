#include "platform/DataExchange.h"

#include "platform/CString.h"
#include "platform/CWnd.h"
#include "platform/MessageBoxes.h"

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd), m_bFailed(FALSE),
      m_hWndLastControl(NULL), m_bEditLastControl(FALSE) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
    m_hWndLastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    m_bEditLastControl = FALSE;
    return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND hWnd = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWnd;
}

void CDataExchange::Fail() {
    m_bFailed = TRUE;
    if (!m_bSaveAndValidate || m_hWndLastControl == NULL)
        return;
    ::SetFocus(m_hWndLastControl);
    if (m_bEditLastControl)
        ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (pDX->m_bFailed)
        return;
    // Attached again at every pass, so the object follows a dialog that is run more than once.
    rControl.m_hWnd = pDX->PrepareCtrl(nIDC);
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    if (pDX->m_bFailed)
        return;
    CWnd wnd(pDX->PrepareEditCtrl(nIDC));
    if (pDX->m_bSaveAndValidate)
        wnd.GetWindowText(value);
    else
        wnd.SetWindowText(value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    if (pDX->m_bFailed)
        return;
    CWnd wnd(pDX->PrepareEditCtrl(nIDC));
    if (pDX->m_bSaveAndValidate) {
        CString strText;
        wnd.GetWindowText(strText);
        if (!AfxParseInt(strText, &value)) {
            AfxMessageBox("Please enter an integer.");
            pDX->Fail();
        }
    } else {
        char szText[16];
        wsprintfA(szText, "%d", value);
        wnd.SetWindowText(szText);
    }
}

// Replaces %1 and %2 in pszFormat, as the framework's prompts have them.
static void FormatPrompt2(char* pszOut, int cchOut, const char* pszFormat, const char* psz1,
                          const char* psz2) {
    char* pEnd = pszOut + cchOut - 1;
    for (const char* p = pszFormat; *p != '\0' && pszOut < pEnd; ++p) {
        if (p[0] == '%' && (p[1] == '1' || p[1] == '2')) {
            for (const char* q = p[1] == '1' ? psz1 : psz2; *q != '\0' && pszOut < pEnd; ++q)
                *pszOut++ = *q;
            ++p;
        } else {
            *pszOut++ = *p;
        }
    }
    *pszOut = '\0';
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
    if (pDX->m_bFailed || !pDX->m_bSaveAndValidate)
        return;
    if (value >= minVal && value <= maxVal)
        return;
    char szMin[16];
    char szMax[16];
    wsprintfA(szMin, "%d", minVal);
    wsprintfA(szMax, "%d", maxVal);
    char szPrompt[96];
    FormatPrompt2(szPrompt, sizeof(szPrompt), "Please enter an integer between %1 and %2.", szMin,
                  szMax);
    AfxMessageBox(szPrompt);
    pDX->Fail();
}

BOOL AfxParseInt(const char* pszText, int* pnValue) {
    const char* p = pszText;
    while (*p == ' ' || *p == '\t')
        ++p;
    BOOL bNegative = FALSE;
    if (*p == '+' || *p == '-')
        bNegative = *p++ == '-';
    if (*p < '0' || *p > '9')
        return FALSE;
    LONGLONG llValue = 0;
    const LONGLONG llLimit = bNegative ? 2147483648LL : 2147483647LL;
    for (; *p >= '0' && *p <= '9'; ++p) {
        llValue = llValue * 10 + (*p - '0');
        if (llValue > llLimit)
            llValue = llLimit; // keeps going to check the rest is digits
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p != '\0')
        return FALSE;
    *pnValue = static_cast<int>(bNegative ? -llValue : llValue);
    return TRUE;
}
