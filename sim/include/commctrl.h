// comctl32: the common controls (list view, image list, up-down) HxSetup uses.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// ---- initialisation ----
void WINAPI InitCommonControls(void);

// ---- class names ----
#define WC_LISTVIEWA "SysListView32"
#define UPDOWN_CLASSA "msctls_updown32"

// ---- notifications ----
typedef struct tagNMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
} NMHDR, *LPNMHDR;

#define NM_FIRST (0U - 0U)
#define NM_CLICK (NM_FIRST - 2)

#define UDN_FIRST (0U - 721U)
#define UDN_DELTAPOS (UDN_FIRST - 1)

// ---- image lists ----
struct _IMAGELIST;
typedef struct _IMAGELIST* HIMAGELIST;
BOOL WINAPI ImageList_Destroy(HIMAGELIST himl);
HIMAGELIST WINAPI ImageList_LoadImageA(HINSTANCE hi, LPCSTR lpbmp, int cx, int cGrow,
                                       COLORREF crMask, UINT uType, UINT uFlags);

// ---- list view ----
#define LVM_FIRST 0x1000
#define LVM_SETIMAGELIST (LVM_FIRST + 3)
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_INSERTITEMA (LVM_FIRST + 7)
#define LVM_DELETEITEM (LVM_FIRST + 8)
#define LVM_INSERTCOLUMNA (LVM_FIRST + 27)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_SETITEMCOUNT (LVM_FIRST + 47)

#define LVSIL_SMALL 1

#define LVIF_TEXT 0x00000001
#define LVIF_IMAGE 0x00000002

#define LVIS_FOCUSED 0x0001
#define LVIS_SELECTED 0x0002

typedef struct tagLVITEMA {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
    int iIndent;
} LVITEMA, *LPLVITEMA;

#define LVCF_FMT 0x0001
#define LVCF_WIDTH 0x0002
#define LVCF_TEXT 0x0004
#define LVCFMT_LEFT 0x0000

typedef struct tagLVCOLUMNA {
    UINT mask;
    int fmt;
    int cx;
    LPSTR pszText;
    int cchTextMax;
    int iSubItem;
    int iImage;
    int iOrder;
} LVCOLUMNA, *LPLVCOLUMNA;

// ---- up-down ----
#define UDM_SETRANGE (WM_USER + 101)
#define UDM_SETPOS (WM_USER + 103)
#define UDM_SETACCEL (WM_USER + 107)

typedef struct _UDACCEL {
    UINT nSec;
    UINT nInc;
} UDACCEL, *LPUDACCEL;

typedef struct _NM_UPDOWN {
    NMHDR hdr;
    int iPos;
    int iDelta;
} NMUPDOWN, *LPNMUPDOWN;

#ifdef __cplusplus
}
#endif
