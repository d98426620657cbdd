// CHxSetupApp: the application object; InitInstance carries the whole run.
#pragma once

#include <windows.h>

#include "platform/CWinApp.h"
#include "rights/IsAdministrator.h"

class CHxSetupApp : public CWinApp {
public:
    CHxSetupApp();
    ~CHxSetupApp() override;
    const AFX_MSGMAP* GetMessageMap() const override;
    BOOL InitInstance() override;
    // ID_HELP: asks the help engine for the topic of the active dialog.
    void OnHelp();

    DWORD m_dwUsableMemory;
    DWORD m_dwStartPoolSize;
    MEMORYSTATUS m_memStatus;

protected:
    static const AFX_MSGMAP messageMap;
};

extern CHxSetupApp theApp;
