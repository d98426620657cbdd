#include "platform/AfxInstance.h"

#include "platform/CWinApp.h"

HINSTANCE AfxGetInstanceHandle() {
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_hInstance != NULL)
        return pApp->m_hInstance;
    return ::GetModuleHandleA(NULL);
}
