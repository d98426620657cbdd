// CWinApp: the application object. Its start-up hook carries the whole run.
#pragma once

#include <windows.h>

#include "platform/MessageMap.h"

#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

class CWnd;

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* pszAppName = nullptr);
    ~CWinApp() override;
    const AFX_MSGMAP* GetMessageMap() const override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // The help topic of the dialog that is running, for the application's ID_HELP handler.
    DWORD m_dwHelpContext;

    HINSTANCE m_hInstance;
    LPSTR m_lpCmdLine; // the command line after the program's name and the blanks after it
    int m_nCmdShow;
    const char* m_pszAppName;      // the executable's file name without directory and extension
    const char* m_pszHelpFilePath; // the executable's path with the extension ".HLP"
    CWnd* m_pMainWnd;

    // Fills the title and the help file's path in from the executable's path, once.
    void SetNamesFromModule();

protected:
    static const AFX_MSGMAP messageMap;

private:
    friend int AfxWinMain(HINSTANCE, HINSTANCE, LPSTR, int);
    char m_szAppName[MAX_PATH];
    char m_szHelpFilePath[MAX_PATH + 4];
};

CWinApp* AfxGetApp();
const char* AfxGetAppName();

// The text after the program's name (quoted or not) and the blanks (codes 1 to 32) after it,
// whole: quotes and trailing blanks are kept.
const char* AfxCommandLineTail(const char* pszCommandLine);

// The framework's entry: fills the application object in, runs InitInstance, then ExitInstance.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
