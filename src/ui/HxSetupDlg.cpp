#include "ui/HxSetupDlg.h"

#include <string.h>

#include "budget/MemoryBudget.h"
#include "config/DriverConfig.h"
#include "platform/AfxInstance.h"
#include "platform/CDC.h"
#include "platform/CWinApp.h"
#include "platform/DataExchange.h"
#include "ui/BoxReport.h"
#include "res/resource.h"
#include "ui/PoolSizeDlg.h"

namespace {
const UINT_PTR kStartTimerId = 1;
const UINT kStartTimerDelay = 200; // milliseconds
const int kImageMemoryChip = 2;
const int kImageHardDisk = 3;
} // namespace

BEGIN_MESSAGE_MAP(CHxSetupDlg, CDialog)
ON_WM_SYSCOMMAND(CHxSetupDlg)
ON_WM_DESTROY(CHxSetupDlg)
ON_WM_PAINT(CHxSetupDlg)
ON_WM_QUERYDRAGICON(CHxSetupDlg)
ON_BN_CLICKED(IDC_EXTEND_POOL, CHxSetupDlg::OnExtendPool)
ON_BN_CLICKED(IDC_SELECT_DRIVE, CHxSetupDlg::OnSelectConfigure)
ON_NOTIFY(NM_CLICK, IDC_DRIVE_LIST, CHxSetupDlg::OnClickDriveList)
ON_WM_TIMER(CHxSetupDlg)
END_MESSAGE_MAP(CHxSetupDlg, CDialog)

CHxSetupDlg::CHxSetupDlg(CWnd* pParent)
    : CDialog(IDD_HXSETUP_DIALOG, pParent), m_nStartTimer(0), m_hIcon(NULL), m_pSelected(nullptr),
      m_pDrives(nullptr), m_dwTotalMemory(0), m_dwUsableMemory(0) {
    m_hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    memset(&m_logFont, 0, sizeof(m_logFont));
    m_logFont.lfHeight = 10;
    strcpy(m_logFont.lfFaceName, "MS Sans Serif");
    m_font.CreateFontIndirect(&m_logFont);
}

// The chain is normally gone with WM_DESTROY; this covers a dialog that never opened.
CHxSetupDlg::~CHxSetupDlg() {
    FreeDrives();
}

void CHxSetupDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_DRIVE_LIST, m_driveList);
    DDX_Text(pDX, IDC_SYSTEM_MEMORY, m_strSystemMemory);
    DDX_Text(pDX, IDC_USABLE_MEMORY, m_strUsableMemory);
}

BOOL CHxSetupDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CenterWindow();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    GetDlgItem(IDC_DRIVE_PROPERTIES).EnableWindow(FALSE);
    GetDlgItem(IDC_SELECT_DRIVE).ShowWindow(SW_HIDE);
    CWnd help = GetDlgItem(ID_HELP);
    help.EnableWindow(FALSE);
    help.ShowWindow(SW_HIDE);

    ShowMemoryFigures();

    m_driveList.SetItemCount(32); // room, not a limit
    m_imageList.Create(IDB_DRIVES, 16, 8, RGB(128, 0, 0));
    m_driveList.SetImageList(&m_imageList, LVSIL_SMALL);
    m_driveList.InsertColumn(0, " Drive           Size(KB)", LVCFMT_LEFT, 172);

    m_pDrives = BuildCandidateDrives(m_dwUsableMemory, BoxReport());
    if (m_pDrives == nullptr)
        return FALSE; // no list, no start status; Extend Pool Memory may still build one

    FillDriveList();
    m_nStartTimer = static_cast<DWORD>(SetTimer(kStartTimerId, kStartTimerDelay));
    return TRUE;
}

void CHxSetupDlg::ShowMemoryFigures() {
    m_strSystemMemory.Format("System Memory: %5d MB", m_dwTotalMemory / kDisplayMegabyte);
    m_strUsableMemory.Format("Usable Memory: %5d MB", m_dwUsableMemory / kDisplayMegabyte);
    GetDlgItem(IDC_SYSTEM_MEMORY).SetWindowText(m_strSystemMemory);
    GetDlgItem(IDC_USABLE_MEMORY).SetWindowText(m_strUsableMemory);
}

void CHxSetupDlg::FillDriveList() {
    int nRow = 0;
    for (const DriveEntry* p = m_pDrives; p != nullptr; p = p->pNext, ++nRow) {
        // Only the low 32 bits of the kilobyte figure are shown.
        int nKilobytes = static_cast<int>(static_cast<DWORD>(p->llSize / 1024));
        char szRow[64];
        wsprintfA(szRow, " %s        %11d               ...", p->szDriveName, nKilobytes);
        m_driveList.InsertItem(nRow, szRow, p->bHardDisk ? kImageHardDisk : kImageMemoryChip);
    }
}

void CHxSetupDlg::FreeDrives() {
    DriveEntry* pHead = m_pDrives;
    m_pDrives = nullptr;
    m_pSelected = nullptr;
    FreeDriveList(pHead);
}

void CHxSetupDlg::OnClickDriveList(NMHDR*, LRESULT* pResult) {
    CWnd properties = GetDlgItem(IDC_DRIVE_PROPERTIES);
    CWnd select = GetDlgItem(IDC_SELECT_DRIVE);
    properties.EnableWindow(FALSE);
    select.ShowWindow(SW_HIDE);

    // The pick is the row with the focus, which the click has just moved there; a click below
    // the rows leaves the focus where it was.
    int nCount = m_driveList.GetItemCount();
    for (int nRow = 0; nRow < nCount; ++nRow) {
        if ((m_driveList.GetItemState(nRow, LVIS_FOCUSED) & LVIS_FOCUSED) == 0)
            continue;
        properties.EnableWindow(TRUE);
        select.ShowWindow(SW_SHOW);
        DriveEntry* pEntry = m_pDrives;
        for (int i = 0; i < nRow && pEntry != nullptr; ++i)
            pEntry = pEntry->pNext;
        m_pSelected = pEntry;
        if (pEntry != nullptr)
            DrawDriveProperties(pEntry);
        break;
    }
    *pResult = 0;
}

void CHxSetupDlg::OnSelectConfigure() {
    const DriveEntry* pEntry = m_pSelected;
    if (pEntry == nullptr)
        return;
    g_pDriverConfig->ConfigureDrive(*pEntry);

    char szLine1[64];
    wsprintfA(szLine1, "Drive %s configured", pEntry->szDriveName);
    DrawStatus(szLine1, "Click on \"OK\" to confirm");
}

void CHxSetupDlg::OnExtendPool() {
    CPoolSizeDlg dlg(nullptr);
    dlg.m_dwTotalPhys = m_dwTotalMemory;
    if (dlg.DoModal() != IDOK)
        return;

    m_dwUsableMemory = CalcUsableMemory(m_dwTotalMemory, dlg.m_dwPoolSize);
    ShowMemoryFigures();

    // The old chain goes before the new one is built, so both never hold memory at once.
    FreeDrives();
    m_pDrives = BuildCandidateDrives(m_dwUsableMemory, BoxReport());
    for (int nRow = m_driveList.GetItemCount() - 1; nRow >= 0; --nRow)
        m_driveList.DeleteItem(nRow);
    FillDriveList();

    char szLine1[64];
    wsprintfA(szLine1, "Non-Paged Pool reset to %dMB", m_dwUsableMemory / kDisplayMegabyte);
    const char* pszLine2 = "Device choice list updated";
    if (g_pDriverConfig->FitRamDiskToBudget(m_dwUsableMemory))
        pszLine2 = "Ram Disk auto resized";
    DrawStatus(szLine1, pszLine2);
}

void CHxSetupDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    CDialog::OnSysCommand(nID, lParam);
}

void CHxSetupDlg::OnDestroy() {
    FreeDrives();
    CWinApp* pApp = AfxGetApp();
    ::WinHelpA(m_hWnd, pApp ? pApp->m_pszHelpFilePath : nullptr, HELP_QUIT, 0);
    CDialog::OnDestroy();
}

void CHxSetupDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint(); // the panels are not part of the window's own painting
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rect.bottom - rect.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CHxSetupDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}
