// CDialog: a modal dialog from a template, bound to its window from WM_INITDIALOG to
// WM_NCDESTROY, its messages dispatched through the message maps.
#pragma once

#include <windows.h>

#include "platform/CWnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;
    const AFX_MSGMAP* GetMessageMap() const override;

    // Runs the dialog in a nested modal loop; IDOK or IDCANCEL (-1 if it could not be created).
    INT_PTR DoModal();

    // Moves member values into the controls (FALSE) or reads and validates them (TRUE).
    // FALSE when a validation failed; its message has been shown.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    virtual void DoDataExchange(CDataExchange* pDX);
    // Runs the data exchange into the controls; TRUE lets the focus go to the first tab stop.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    void EndDialog(INT_PTR nResult);
    // Moves the focus to a control as the dialog manager's own navigation does (an edit box's
    // text is selected).
    void GotoDlgCtrl(HWND hWndCtrl);

    // The help topic of a dialog: dialog topics start here, then the template number.
    static const DWORD kHelpTopicBase = 0x20000;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

protected:
    static const AFX_MSGMAP messageMap;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR OnDialogMessage(UINT nMsg, WPARAM wParam, LPARAM lParam);
};

// Registers the common control classes the dialogs use; harmless to call more than once.
void AfxInitCommonControls();
