#include "platform/CWinApp.h"

#include <string.h>

namespace {
CWinApp* g_pApp = nullptr;
}

static const AFX_MSGMAP_ENTRY g_winAppEntries[] = {{0, 0, 0, AfxSig_end, nullptr}};
const AFX_MSGMAP CWinApp::messageMap = {&CCmdTarget::messageMap, g_winAppEntries};

const AFX_MSGMAP* CWinApp::GetMessageMap() const {
    return &CWinApp::messageMap;
}

CWinApp::CWinApp(const char* pszAppName)
    : m_dwHelpContext(0), m_hInstance(NULL), m_lpCmdLine(nullptr), m_nCmdShow(0),
      m_pszAppName(pszAppName), m_pszHelpFilePath(nullptr), m_pMainWnd(nullptr), m_szAppName(),
      m_szHelpFilePath() {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

const char* AfxGetAppName() {
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return "";
    if (pApp->m_pszAppName == nullptr)
        pApp->SetNamesFromModule();
    return pApp->m_pszAppName;
}

void CWinApp::SetNamesFromModule() {
    if (m_pszHelpFilePath != nullptr && m_pszAppName != nullptr)
        return;
    char szPath[MAX_PATH];
    DWORD n = GetModuleFileNameA(m_hInstance, szPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        szPath[0] = '\0'; // no path, or a truncated one: better no title than a wrong one
    else
        szPath[n] = '\0';

    // Help file: the whole path, its extension replaced by ".HLP".
    char* pszDot = strrchr(szPath, '.');
    char* pszSlash = strrchr(szPath, '\\');
    size_t nStem = (pszDot && (!pszSlash || pszDot > pszSlash)) ? pszDot - szPath : strlen(szPath);
    memcpy(m_szHelpFilePath, szPath, nStem);
    memcpy(m_szHelpFilePath + nStem, ".HLP", 5);
    m_pszHelpFilePath = m_szHelpFilePath;

    if (m_pszAppName == nullptr) {
        const char* pszName = pszSlash ? pszSlash + 1 : szPath;
        size_t nName = szPath + nStem - pszName;
        memcpy(m_szAppName, pszName, nName);
        m_szAppName[nName] = '\0';
        m_pszAppName = m_szAppName;
    }
}

const char* AfxCommandLineTail(const char* pszCommandLine) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszCommandLine);
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p > ' ')
            ++p;
    }
    while (*p != '\0' && *p <= ' ')
        ++p;
    return reinterpret_cast<const char*>(p);
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return -1;
    pApp->m_hInstance = hInstance;
    pApp->m_nCmdShow = nCmdShow;
    // The C runtime's own split of the command line is not used: the text must stay whole.
    pApp->m_lpCmdLine = const_cast<LPSTR>(AfxCommandLineTail(GetCommandLineA()));
    // Each run takes its names afresh from the executable it runs as.
    if (pApp->m_pszAppName == pApp->m_szAppName)
        pApp->m_pszAppName = nullptr;
    pApp->m_pszHelpFilePath = nullptr;
    pApp->SetNamesFromModule();
    pApp->InitInstance();
    return pApp->ExitInstance();
}
