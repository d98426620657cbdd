// CHxSetupDlg: the main dialog. The memory figures, the candidate drives, the drive last picked
// and a status panel; Select/Configure Drive and Extend Pool Memory change the configuration
// record in memory only.
#pragma once

#include <windows.h>

#include "drives/DriveEntry.h"
#include "platform/CDialog.h"
#include "platform/CFont.h"
#include "platform/CImageList.h"
#include "platform/CListCtrl.h"
#include "platform/CString.h"

class CHxSetupDlg : public CDialog {
public:
    explicit CHxSetupDlg(CWnd* pParent = nullptr);
    ~CHxSetupDlg() override;

    CListCtrl m_driveList;
    CString m_strSystemMemory;
    CString m_strUsableMemory;
    DWORD m_nStartTimer; // the start timer's identifier; 0 when it could not be set
    CImageList m_imageList;
    HICON m_hIcon;
    LOGFONTA m_logFont;
    CFont m_font;            // the panels' font
    DriveEntry* m_pSelected; // points into m_pDrives
    CString m_strStatus;     // shown once, shortly after the dialog opens
    DriveEntry* m_pDrives;   // owned
    DWORD m_dwTotalMemory;
    DWORD m_dwUsableMemory;

    // The information panels, painted straight onto the client area.
    void DrawDriveProperties(const DriveEntry* pEntry);
    // pszLine2 may be nullptr: only one line is drawn.
    void DrawStatus(const char* pszLine1, const char* pszLine2);

    // Message handlers.
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnDestroy();
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnExtendPool();
    void OnSelectConfigure();
    void OnClickDriveList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnTimer(UINT_PTR nIDEvent);

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

private:
    void ShowMemoryFigures();
    void FillDriveList();
    void FreeDrives();
};
