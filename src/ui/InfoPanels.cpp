// The main dialog's two information panels. They are painted at the moments something changes,
// never from WM_PAINT: a repaint of the dialog wipes them until the next change.
#include "ui/HxSetupDlg.h"

#include <string.h>

#include "platform/CDC.h"
#include "ui/PanelLayout.h"

namespace {
const int kPropertiesX = 28;
const int kStatusWidth = 170;
const int kStatusLeft = 234;

void DrawLine(CDC& dc, int x, int y, const char* psz) {
    dc.TextOut(x, y, psz, static_cast<int>(strlen(psz)));
}

// Centred on kStatusLeft + kStatusWidth / 2; a line wider than the panel runs out on the left.
void DrawStatusLine(CDC& dc, int y, const char* psz) {
    int nLength = static_cast<int>(strlen(psz));
    SIZE size = dc.GetTextExtent(psz, nLength);
    int x = (kStatusWidth - static_cast<int>(size.cx)) / 2 + kStatusLeft;
    dc.TextOut(x, y, psz, nLength);
}
} // namespace

void CHxSetupDlg::DrawDriveProperties(const DriveEntry* pEntry) {
    CClientDC dc(this);
    dc.FillSolidRect(&kPropertiesRect, kPropertiesColour);
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(&m_font);

    char szLine[120];
    int n = wsprintfA(szLine, pEntry->bRamDisk ? "%s      (Ram Disk)" : "%s     (Hard Disk)",
                      pEntry->szDriveName);
    dc.TextOut(kPropertiesX, 180, szLine, n);
    n = wsprintfA(szLine, "Drive type:   %4s", pEntry->szFileSystem);
    dc.TextOut(kPropertiesX, 195, szLine, n);

    if (pEntry->bRamDisk) {
        DrawLine(dc, kPropertiesX, 240, "If selected, this device is created");
        DrawLine(dc, kPropertiesX, 252, "automatically during the next");
        DrawLine(dc, kPropertiesX, 264, "system reboot.");
    } else {
        DrawLine(dc, kPropertiesX, 240, "If selected, a mirror image of");
        DrawLine(dc, kPropertiesX, 252, "this drive is created in memory");
        DrawLine(dc, kPropertiesX, 264, "the next time your system boots.");
    }
}

void CHxSetupDlg::DrawStatus(const char* pszLine1, const char* pszLine2) {
    CClientDC dc(this);
    dc.FillSolidRect(&kStatusRect, kStatusColour);
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(&m_font);
    DrawStatusLine(dc, 120, pszLine1);
    if (pszLine2 != nullptr)
        DrawStatusLine(dc, 136, pszLine2);
}

void CHxSetupDlg::OnTimer(UINT_PTR nIDEvent) {
    if (m_nStartTimer == 0 || nIDEvent != m_nStartTimer) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    DrawStatus(m_strStatus, nullptr);
    KillTimer(m_nStartTimer);
}
