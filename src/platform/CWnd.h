// CWnd: a window handle with the wrappers the dialogs use. Owns nothing: the window belongs to
// the system (or to its dialog), the object only refers to it.
#pragma once

#include <windows.h>

#include "platform/MessageMap.h"

class CString;

class CWnd : public CCmdTarget {
public:
    CWnd() : m_hWnd(NULL) {}
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    CWnd(const CWnd& other) : CCmdTarget(), m_hWnd(other.m_hWnd) {}
    CWnd& operator=(const CWnd& other) {
        m_hWnd = other.m_hWnd;
        return *this;
    }
    ~CWnd() override {}
    const AFX_MSGMAP* GetMessageMap() const override;

    operator HWND() const { return m_hWnd; }

    // A wrapper of the child window; its m_hWnd is NULL when there is no such child.
    CWnd GetDlgItem(int nID) const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL ShowWindow(int nCmdShow);
    void SetWindowText(const char* pszText);
    void GetWindowText(CString& rString) const;
    LRESULT SendMessage(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse);
    BOOL KillTimer(UINT_PTR nIDEvent);
    void Invalidate(BOOL bErase = TRUE);
    void GetClientRect(RECT* pRect) const;
    BOOL IsIconic() const;
    HWND SetFocus();
    // Centres on the owner when it is visible and not minimised, else on the work area; either
    // way the window ends up inside the work area.
    void CenterWindow();
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    // The dialog's own box: owned by this window, with an explicit caption.
    int MessageBox(const char* pszText, const char* pszCaption, UINT nType = MB_OK);

    // Dispatches one message through the message map. TRUE when a handler took it and did not
    // ask for the default processing; *pResult then holds the message's result.
    BOOL OnWndMsg(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // Default handlers: each leaves the message to the system's default processing.
    void OnTimer(UINT_PTR nIDEvent);
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    void OnDestroy();

    HWND m_hWnd;

protected:
    // Asks for the system's default processing of the message being dispatched.
    void Default() { m_bDefault = TRUE; }

    static const AFX_MSGMAP messageMap;

private:
    BOOL m_bDefault = FALSE;
};
