#include "ui/PoolSizeDlg.h"

#include <string.h>

#include "budget/MemoryBudget.h"
#include "config/DriverConfig.h"
#include "platform/DataExchange.h"
#include "res/resource.h"
#include "ui/PoolSizeRules.h"

BEGIN_MESSAGE_MAP(CPoolSizeDlg, CDialog)
ON_BN_CLICKED(IDC_POOL_MAXIMUM, CPoolSizeDlg::OnMaximum)
ON_BN_CLICKED(IDC_POOL_DEFAULT, CPoolSizeDlg::OnDefault)
ON_NOTIFY(UDN_DELTAPOS, IDC_POOL_SPIN, CPoolSizeDlg::OnDeltaPosSpin)
END_MESSAGE_MAP(CPoolSizeDlg, CDialog)

CPoolSizeDlg::CPoolSizeDlg(CWnd* pParent)
    : CDialog(IDD_POOLSIZE, pParent), m_nPercent(0), m_nMinPercent(0), m_dwTotalPhys(0),
      m_dwPoolSize(0) {
    memset(&m_logFont, 0, sizeof(m_logFont));
    m_logFont.lfHeight = 18;
    m_logFont.lfWeight = 600;
    m_font.CreateFontIndirect(&m_logFont);
}

CPoolSizeDlg::~CPoolSizeDlg() {}

void CPoolSizeDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_POOL_SPIN, m_spin);
    DDX_Text(pDX, IDC_POOL_PERCENT, m_nPercent);
    // The box accepts the whole scale; below the minimum is the OK step's own range check.
    DDV_MinMaxInt(pDX, m_nPercent, 0, kMaxPoolPercent);
}

BOOL CPoolSizeDlg::OnInitDialog() {
    m_nMinPercent = CalcMinPoolPercent(m_dwTotalPhys);
    m_dwPoolSize = g_pDriverConfig->NonPagedPoolSize;
    m_nPercent = CalcPoolPercent(m_dwTotalPhys, m_dwPoolSize, m_nMinPercent);

    CDialog::OnInitDialog();

    UDACCEL accel = {10, 1}; // one step size only
    m_spin.SetAccel(1, &accel);
    m_spin.SetRange(m_nMinPercent, kMaxPoolPercent);
    m_spin.SetPos(m_nPercent);
    EnableButtons(ButtonsForPercent(m_nPercent, m_nMinPercent));

    CWnd box = GetDlgItem(IDC_POOL_PERCENT);
    box.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_font)), TRUE);
    box.SendMessage(EM_SETSEL, 0, -1);
    box.SendMessage(EM_SCROLLCARET);
    box.SetFocus();
    return FALSE; // the focus is set
}

void CPoolSizeDlg::EnableButtons(PoolButtons buttons) {
    EnableButton(IDC_POOL_DEFAULT, buttons.bDefault);
    EnableButton(IDC_POOL_MAXIMUM, buttons.bMaximum);
}

void CPoolSizeDlg::EnableButton(int nID, BOOL bEnable) {
    CWnd button = GetDlgItem(nID);
    // A button pressed with its mnemonic or the mouse holds the focus. Disabled, it would drop
    // it, and a dialog with no focus ignores Enter, Esc and Tab: the box takes it over first.
    if (!bEnable && ::GetFocus() == button.m_hWnd)
        GotoDlgCtrl(GetDlgItem(IDC_POOL_PERCENT));
    button.EnableWindow(bEnable);
}

void CPoolSizeDlg::OnMaximum() {
    m_nPercent = kMaxPoolPercent;
    m_spin.SetPos(kMaxPoolPercent);
    EnableButtons(ButtonsForPercent(kMaxPoolPercent, m_nMinPercent));
}

void CPoolSizeDlg::OnDefault() {
    m_nPercent = m_nMinPercent;
    m_dwPoolSize = 0;
    m_spin.SetPos(m_nMinPercent);
    EnableButtons(ButtonsForPercent(m_nMinPercent, m_nMinPercent));
}

void CPoolSizeDlg::OnDeltaPosSpin(NMHDR* pNMHDR, LRESULT* pResult) {
    const NMUPDOWN* pUpDown = reinterpret_cast<const NMUPDOWN*>(pNMHDR);
    int nProposed = pUpDown->iPos + pUpDown->iDelta;
    EnableButtons(ButtonsForProposal(nProposed, m_nMinPercent));
    m_nPercent = HoldOnScale(nProposed, m_nMinPercent);
    *pResult = 0;
}

void CPoolSizeDlg::OnOK() {
    // The box is read first, so the percentage the user typed is the one that is stored, and
    // a rejected entry leaves the record as it was.
    if (!UpdateData(TRUE))
        return;

    if (!IsOnScale(m_nPercent, m_nMinPercent)) {
        char szText[96];
        wsprintfA(szText, "NonPaged Pool allocation must be within the range %d%% and 75%%",
                  m_nMinPercent);
        MessageBox(szText, "NonPaged Pool Setting Invalid", MB_OK);
        OnDefault();
        return;
    }

    m_dwPoolSize = CalcPoolSize(m_dwTotalPhys, m_nPercent, m_nMinPercent);
    g_pDriverConfig->NonPagedPoolSize = m_dwPoolSize;
    EndDialog(IDOK);
}
