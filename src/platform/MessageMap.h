// Message maps: const tables from (message, notification code, control id) to a handler, walked
// from the most derived class to its bases, so dispatch can be tested without any window.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <string.h>

class CCmdTarget;
typedef void (CCmdTarget::*AFX_PMSG)();

// How a handler is called.
enum AfxSig : UINT {
    AfxSig_end = 0,
    AfxSig_vv,     // void OnX()                     WM_COMMAND and plain messages
    AfxSig_vw,     // void OnX(UINT_PTR)             WM_TIMER
    AfxSig_vwl,    // void OnX(UINT, LPARAM)         WM_SYSCOMMAND
    AfxSig_hv,     // HCURSOR OnX()                  WM_QUERYDRAGICON
    AfxSig_notify, // void OnX(NMHDR*, LRESULT*)     WM_NOTIFY
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // WM_COMMAND, WM_NOTIFY or a window message
    UINT nCode;    // notification code (BN_CLICKED, NM_CLICK...); 0 for window messages
    UINT nID;      // control or command id; 0 for window messages
    AfxSig nSig;
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    const AFX_MSGMAP_ENTRY* lpEntries; // ends with an entry whose nSig is AfxSig_end
};

// The first entry of pMap or its bases that handles the message; nullptr if none does.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* pMap, UINT nMessage, UINT nCode,
                                            UINT nID);

class CCmdTarget {
public:
    virtual ~CCmdTarget() {}
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Routes a command (WM_COMMAND with a notification code) through this object's map.
    // TRUE when a handler took it. Not virtual: the map already says everything a class adds.
    BOOL OnCmdMsg(UINT nID, UINT nCode);

protected:
    static const AFX_MSGMAP messageMap;
};

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP messageMap;                                                            \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return &theClass::messageMap;                                                              \
    }                                                                                              \
    typedef theClass ThisClass_##theClass;                                                         \
    static const AFX_MSGMAP_ENTRY theClass##_entries[] = {
#define END_MESSAGE_MAP(theClass, baseClass)                                                       \
    { 0, 0, 0, AfxSig_end, nullptr }                                                               \
    }                                                                                              \
    ;                                                                                              \
    const AFX_MSGMAP theClass::messageMap = {&baseClass::messageMap, theClass##_entries};

typedef void (CCmdTarget::*AFX_PMSG_TIMER)(UINT_PTR);
typedef void (CCmdTarget::*AFX_PMSG_SYSCOMMAND)(UINT, LPARAM);
typedef HCURSOR (CCmdTarget::*AFX_PMSG_QUERYDRAGICON)();
typedef void (CCmdTarget::*AFX_PMSG_NOTIFY)(NMHDR*, LRESULT*);

// Handlers of other shapes are stored as AFX_PMSG and turned back by the dispatcher, which knows
// the shape from nSig. Pointers to members of one class all have the same representation; the
// copy keeps the compiler from treating the round trip as a call through the wrong type.
template <class To, class From> inline To AfxPmsgCast(From pfn) {
    static_assert(sizeof(To) == sizeof(From), "pointers to members differ in size");
    To result;
    memcpy(&result, &pfn, sizeof(result));
    return result;
}
#define AFX_HANDLER(pfn) static_cast<AFX_PMSG>(pfn)
// The static_cast checks the handler's signature at compile time.
#define AFX_HANDLER_AS(type, pfn) AfxPmsgCast<AFX_PMSG>(static_cast<type>(pfn))

// Handlers are named by their qualified name (CMyDlg::OnX); window-message handlers have fixed
// names and take the class.
#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, (UINT)(id), AfxSig_vv, AFX_HANDLER(&memberFxn)},
#define ON_CONTROL(code, id, memberFxn)                                                            \
    {WM_COMMAND, (UINT)(code), (UINT)(id), AfxSig_vv, AFX_HANDLER(&memberFxn)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_NOTIFY(code, id, memberFxn)                                                             \
    {WM_NOTIFY, (UINT)(code), (UINT)(id), AfxSig_notify,                                           \
     AFX_HANDLER_AS(AFX_PMSG_NOTIFY, &memberFxn)},
#define ON_WM_TIMER(theClass)                                                                      \
    {WM_TIMER, 0, 0, AfxSig_vw, AFX_HANDLER_AS(AFX_PMSG_TIMER, &theClass::OnTimer)},
#define ON_WM_SYSCOMMAND(theClass)                                                                 \
    {WM_SYSCOMMAND, 0, 0, AfxSig_vwl, AFX_HANDLER_AS(AFX_PMSG_SYSCOMMAND, &theClass::OnSysCommand)},
#define ON_WM_PAINT(theClass) {WM_PAINT, 0, 0, AfxSig_vv, AFX_HANDLER(&theClass::OnPaint)},
#define ON_WM_QUERYDRAGICON(theClass)                                                              \
    {WM_QUERYDRAGICON, 0, 0, AfxSig_hv,                                                            \
     AFX_HANDLER_AS(AFX_PMSG_QUERYDRAGICON, &theClass::OnQueryDragIcon)},
#define ON_WM_DESTROY(theClass) {WM_DESTROY, 0, 0, AfxSig_vv, AFX_HANDLER(&theClass::OnDestroy)},
