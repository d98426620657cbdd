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
#include "ui/MainDialogView.h"
#include "ui/PoolSizeDlg.h"

namespace {
const UINT_PTR kStartTimerId = 1;
const UINT kStartTimerDelay = 200; // milliseconds
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
        DriveRow row;
        MakeDriveRow(*p, row);
        m_driveList.InsertItem(nRow, row.szText, row.nImage);
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
    int nFocused = -1;
    int nCount = m_driveList.GetItemCount();
    for (int nRow = 0; nRow < nCount && nFocused < 0; ++nRow) {
        if ((m_driveList.GetItemState(nRow, LVIS_FOCUSED) & LVIS_FOCUSED) != 0)
            nFocused = nRow;
    }
    if (nFocused >= 0) {
        properties.EnableWindow(TRUE);
        select.ShowWindow(SW_SHOW);
        m_pSelected = EntryAtRow(m_pDrives, nFocused);
        if (m_pSelected != nullptr)
            DrawDriveProperties(m_pSelected);
    }
    *pResult = 0;
}

void CHxSetupDlg::OnSelectConfigure() {
    const DriveEntry* pEntry = m_pSelected;
    if (pEntry == nullptr)
        return;
    g_pDriverConfig->ConfigureDrive(*pEntry);

    char szLine1[64];
    FormatConfiguredLine(*pEntry, szLine1);
    DrawStatus(szLine1, ConfirmLine());
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
    FormatPoolResetLine(m_dwUsableMemory, szLine1);
    DrawStatus(szLine1, PoolResetSecondLine(g_pDriverConfig->FitRamDiskToBudget(m_dwUsableMemory)));
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
