// The main dialog's two information panels. They are painted at the moments something changes,
// never from WM_PAINT: a repaint of the dialog wipes them until the next change.
#include "ui/HxSetupDlg.h"

#include <string.h>

#include "platform/CDC.h"
#include "ui/MainDialogView.h"
#include "ui/PanelLayout.h"

namespace {
void DrawStatusLine(CDC& dc, int y, const char* psz) {
    int nLength = static_cast<int>(strlen(psz));
    SIZE size = dc.GetTextExtent(psz, nLength);
    dc.TextOut(StatusLineX(static_cast<int>(size.cx)), y, psz, nLength);
}
} // namespace

void CHxSetupDlg::DrawDriveProperties(const DriveEntry* pEntry) {
    PanelLine lines[kPropertiesLineCount];
    MakePropertiesLines(*pEntry, lines);

    CClientDC dc(this);
    dc.FillSolidRect(&kPropertiesRect, kPropertiesColour);
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(&m_font);
    for (const PanelLine& line : lines)
        dc.TextOut(line.x, line.y, line.szText, static_cast<int>(strlen(line.szText)));
}

void CHxSetupDlg::DrawStatus(const char* pszLine1, const char* pszLine2) {
    CClientDC dc(this);
    dc.FillSolidRect(&kStatusRect, kStatusColour);
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(&m_font);
    DrawStatusLine(dc, kStatusLine1Y, pszLine1);
    if (pszLine2 != nullptr)
        DrawStatusLine(dc, kStatusLine2Y, pszLine2);
}

void CHxSetupDlg::OnTimer(UINT_PTR nIDEvent) {
    if (m_nStartTimer == 0 || nIDEvent != m_nStartTimer) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    DrawStatus(m_strStatus, nullptr);
    KillTimer(m_nStartTimer);
}
