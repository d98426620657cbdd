#include "platform/MessageMap.h"

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* pMap, UINT nMessage, UINT nCode,
                                            UINT nID) {
    for (; pMap != nullptr; pMap = pMap->pBaseMap) {
        for (const AFX_MSGMAP_ENTRY* p = pMap->lpEntries; p->nSig != AfxSig_end; ++p) {
            if (p->nMessage == nMessage && p->nCode == nCode && p->nID == nID)
                return p;
        }
    }
    return nullptr;
}

static const AFX_MSGMAP_ENTRY g_cmdTargetEntries[] = {{0, 0, 0, AfxSig_end, nullptr}};
const AFX_MSGMAP CCmdTarget::messageMap = {nullptr, g_cmdTargetEntries};

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return &CCmdTarget::messageMap;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, UINT nCode) {
    const AFX_MSGMAP_ENTRY* p = AfxFindMessageEntry(GetMessageMap(), WM_COMMAND, nCode, nID);
    if (p == nullptr || p->nSig != AfxSig_vv)
        return FALSE;
    (this->*(p->pfn))();
    return TRUE;
}
