#include "platform/CWinApp.h"

#include "platform/MessageBoxes.h"

static const AFX_MSGMAP_ENTRY g_winAppEntries[] = {{0, 0, 0, AfxSig_end, nullptr}};
const AFX_MSGMAP CWinApp::messageMap = {&CCmdTarget::messageMap, g_winAppEntries};

const AFX_MSGMAP* CWinApp::GetMessageMap() const {
    return &CWinApp::messageMap;
}

void CWinApp::OnHelp() {
    if (!WinHelpA(GetActiveWindow(), m_pszHelpFilePath, HELP_CONTEXT, m_dwHelpContext))
        AfxMessageBox("Failed to launch help.");
}
