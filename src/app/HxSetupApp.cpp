#include "app/HxSetupApp.h"

#include <string.h>

#include "config/ChangeStart.h"
#include "config/DriverConfig.h"
#include "config/RegistryLayout.h"
#include "config/WriterLock.h"
#include "platform/MessageBoxes.h"
#include "res/resource.h"
#include "ui/BoxReport.h"
#include "ui/HxSetupDlg.h"

CHxSetupApp theApp;

CHxSetupApp::CHxSetupApp() : m_dwUsableMemory(0), m_dwStartPoolSize(0), m_memStatus() {}

CHxSetupApp::~CHxSetupApp() {}

BEGIN_MESSAGE_MAP(CHxSetupApp, CWinApp)
ON_COMMAND(ID_HELP, CHxSetupApp::OnHelp)
END_MESSAGE_MAP(CHxSetupApp, CWinApp)

void CHxSetupApp::OnHelp() {
    if (!WinHelpA(GetActiveWindow(), m_pszHelpFilePath, HELP_CONTEXT, m_dwHelpContext))
        AfxMessageBox("Failed to launch help.");
}

namespace {
struct InstallerNotice {
    const char* pszCommandLine;
    const char* pszText; // nullptr: the command line itself
    const char* pszCaption;
    UINT nIcon;
    BOOL bEndsRun;
};

// Matched whole and case-sensitively, in this order; the first match decides.
const InstallerNotice kNotices[] = {
    {"Halcyonix Installation Failed", nullptr, "Setup Failed", MB_ICONERROR, TRUE},
    {"Wrong OS", "Halcyonix is supported on Windows NT only", "Installation Cancelled",
     MB_ICONERROR, TRUE},
    {"Halcyonix Installation Successful", nullptr, "Setup Complete", 0, FALSE},
};

// Shows the installer's notice, if the command line is one; FALSE when the run ends there.
BOOL ShowInstallerNotice(const char* pszCommandLine) {
    if (pszCommandLine == nullptr || *pszCommandLine == '\0')
        return TRUE;
    for (const InstallerNotice& notice : kNotices) {
        if (strcmp(pszCommandLine, notice.pszCommandLine) == 0) {
            OwnerlessMessageBox(notice.pszText ? notice.pszText : pszCommandLine, notice.pszCaption,
                                notice.nIcon | MB_OK);
            return !notice.bEndsRun;
        }
    }
    return TRUE;
}
// The first HxSetup's window, brought to the front for the second one, which then ends.
void ShowFirstDialog() {
    HWND hWnd = FindWindowA("#32770", HX_MAIN_DIALOG_TITLE);
    if (hWnd == nullptr)
        return;
    if (IsIconic(hWnd))
        ShowWindow(hWnd, SW_RESTORE);
    SetForegroundWindow(hWnd);
}
} // namespace

BOOL CHxSetupApp::InitInstance() {
    if (!ShowInstallerNotice(m_lpCmdLine))
        return 0;

    // One writer at a time: two dialogs, or a dialog and hxcfg, would each write back what they
    // read at their start, and the later one would undo the other's choice.
    CWriterLock lock;
    switch (lock.TakeForDialog()) {
    case kLockTaken:
        break;
    case kLockDialogOpen:
        ShowFirstDialog();
        return 0;
    case kLockBusy:
        OwnerlessMessageBox("Another program is changing the Halcyonix configuration.\nTry again "
                            "when it has finished.",
                            HX_CAPTION_NOT_CONFIGURED, MB_ICONERROR | MB_OK);
        return 0;
    }

    CDriverConfig config;
    g_pDriverConfig = &config;
    struct ResetOnExit {
        ~ResetOnExit() { g_pDriverConfig = nullptr; }
    } resetOnExit;

    CChangeStart start;
    StartResult started = start.Run(kPrepareNow, &config, nullptr, BoxReport());
    m_dwStartPoolSize = config.NonPagedPoolSize;
    m_memStatus = start.memStatus;
    m_dwUsableMemory = start.dwBudget;
    switch (started) {
    case kStartReady:
        break;
    case kStartNotAdministrator:
        OwnerlessMessageBox("You must be an Administrator to\ninstall or reconfigure Halcyonix.",
                            "Insufficient Privileges", MB_ICONERROR | MB_OK);
        return 0;
    case kStartStopped:
        return 0;
    case kStartTooLittleMemory:
        OwnerlessMessageBox("Your system must be configured with at\nleast 16MB of RAM memory to "
                            "use Halcyonix",
                            "HxSetup: Insufficient Memory", MB_ICONERROR | MB_OK);
        return 0;
    }

    CHxSetupDlg dlg;
    dlg.m_dwTotalMemory = start.dwTotalPhys;
    dlg.m_dwUsableMemory = m_dwUsableMemory;
    dlg.m_strStatus = "Running on drive ";
    dlg.m_strStatus += config.DosDevice;
    if (dlg.DoModal() == IDOK && !config.WriteConfig(BoxReport()))
        OwnerlessMessageBox("Error writing registry!", "System registry error",
                            MB_ICONERROR | MB_OK);
    return 0;
}
