// CPoolSizeDlg: the non-paged pool size as a whole percentage of physical memory, from the
// platform default (stored as 0) to 75.
#pragma once

#include <windows.h>

#include "platform/CDialog.h"
#include "platform/CFont.h"
#include "platform/CSpinButtonCtrl.h"
#include "ui/PoolSizeRules.h"

class CPoolSizeDlg : public CDialog {
public:
    explicit CPoolSizeDlg(CWnd* pParent = nullptr);
    ~CPoolSizeDlg() override;

    CSpinButtonCtrl m_spin;
    int m_nPercent;
    LOGFONTA m_logFont;
    CFont m_font;
    int m_nMinPercent;
    DWORD m_dwTotalPhys; // set by the caller before DoModal
    DWORD m_dwPoolSize;  // the result: bytes, 0 for the platform default

    // Message handlers.
    void OnMaximum();
    void OnDefault();
    void OnDeltaPosSpin(NMHDR* pNMHDR, LRESULT* pResult);

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void EnableButtons(PoolButtons buttons);
    void EnableButton(int nID, BOOL bEnable);
};
