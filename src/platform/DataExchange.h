// Data exchange between a dialog's members and its controls. Without exceptions, a failed
// validation is a flag: every later exchange of the same pass does nothing.
#pragma once

#include <windows.h>

class CString;
class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    // The control that the following exchange and validation are about.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Ends the pass: the focus goes back to the last control (an edit box gets its whole text
    // selected), and the dialog stays open.
    void Fail();

    BOOL m_bSaveAndValidate; // TRUE: controls to members, with validation
    CWnd* m_pDlgWnd;         // the dialog
    BOOL m_bFailed;
    HWND m_hWndLastControl;
    BOOL m_bEditLastControl;
};

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);

// Reads an integer as the data exchange does: blanks, an optional sign, at least one digit,
// blanks, and nothing else. A value beyond the int range saturates. FALSE if it is no integer.
BOOL AfxParseInt(const char* pszText, int* pnValue);
