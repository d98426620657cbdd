// sim's GDI: device contexts, fonts, icons and image lists, and the painting cycle. Nothing drawn
// is kept (how the dialogs look is the end-to-end suite's): what stays is what the program can get
// wrong here, its handles, their release, and the calls that can fail.
#include "window_internal.h"

namespace sim::win {

namespace {

// Stock and shared objects are never counted and never freed.
HGDIOBJ NewObject(ObjType type, bool stock = false) {
    HGDIOBJ h = NewHandle();
    S().objects[h] = GdiObject{type, stock};
    return h;
}

template <typename Map, typename Key> auto* Lookup(Map& map, Key key) {
    auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
}
GdiObject* Obj(HGDIOBJ h) {
    return Lookup(S().objects, h);
}
Dc* DcOf(HDC h) {
    return Lookup(S().dcs, h);
}

// Sets an attribute of a device context and gives the one it replaces, or `failed`.
template <typename T> T Swap(HDC hdc, T Dc::*field, T value, T failed) {
    Dc* dc = DcOf(hdc);
    if (!dc)
        return failed;
    T old = dc->*field;
    dc->*field = value;
    return old;
}

// The font a new device context has selected, shared by all of them.
HGDIOBJ SystemFontObject() {
    State& st = S();
    if (!st.systemFont)
        st.systemFont = NewObject(ObjType::Font, true);
    return st.systemFont;
}

HDC NewDc(bool paint) {
    HDC h = static_cast<HDC>(NewHandle());
    S().dcs[h] = Dc{paint, SystemFontObject()};
    return h;
}

// A device context goes back the way it came: from BeginPaint to EndPaint, from GetDC to ReleaseDC.
BOOL ForgetDc(HDC hdc, bool paint, const char* misuse) {
    Dc* dc = DcOf(hdc);
    if (!dc || dc->paint != paint) {
        sim::detail::RecordMisuse(misuse);
        return FALSE;
    }
    S().dcs.erase(hdc);
    return TRUE;
}

// Sets the last error and gives the call's failure value.
template <typename T> T Refuse(DWORD error, T value = T()) {
    sim::detail::SetError(error);
    return value;
}

bool IsGdiObject(HGDIOBJ h, ObjType type) {
    return Obj(h) && Obj(h)->type == type;
}

} // namespace

// The dialog manager's own: created and freed with the dialog, never counted.
HFONT CreateDialogFont(const std::string&, int) {
    return static_cast<HFONT>(NewObject(ObjType::Font, true));
}

} // namespace sim::win

using namespace sim::win;

extern "C" {

// No part of a window is ever invalid: sim sends no WM_PAINT, and a paint that a window asks
// for itself covers its whole client area, its background left as it is.
BOOL WINAPI InvalidateRect(HWND hWnd, const RECT*, BOOL) {
    return Find(hWnd) ? TRUE : Refuse<BOOL>(ERROR_INVALID_WINDOW_HANDLE);
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    Window* w = Find(hWnd);
    if (!w || !lpPaint)
        return Refuse<HDC>(ERROR_INVALID_WINDOW_HANDLE);
    const SIZE cs = ClientSize(*w);
    *lpPaint = PAINTSTRUCT{};
    lpPaint->hdc = NewDc(true);
    lpPaint->rcPaint = RECT{0, 0, cs.cx, cs.cy};
    return lpPaint->hdc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* lpPaint) {
    const char* misuse = "EndPaint of a device context that BeginPaint did not give";
    return lpPaint ? ForgetDc(lpPaint->hdc, true, misuse) : FALSE;
}

HDC WINAPI GetDC(HWND hWnd) {
    if (hWnd && !Find(hWnd))
        return Refuse<HDC>(ERROR_INVALID_WINDOW_HANDLE);
    return sim::detail::FailsWithLastError(sim::Api::GetDC, "") ? nullptr : NewDc(false);
}

int WINAPI ReleaseDC(HWND, HDC hDC) {
    return ForgetDc(hDC, false, "ReleaseDC of a device context that GetDC did not give");
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lplf) {
    if (!lplf)
        return Refuse<HFONT>(ERROR_INVALID_PARAMETER);
    return sim::detail::FailsWithLastError(sim::Api::CreateFontIndirect, "")
               ? nullptr
               : static_cast<HFONT>(NewObject(ObjType::Font));
}

// Fonts only: bitmaps go into memory device contexts, image lists and icons never.
HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    GdiObject* o = Obj(h);
    if (!DcOf(hdc) || !o)
        return Refuse<HGDIOBJ>(ERROR_INVALID_HANDLE);
    if (o->type != ObjType::Font)
        return Refuse<HGDIOBJ>(ERROR_INVALID_PARAMETER);
    return Swap(hdc, &Dc::font, h, HGDIOBJ());
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    GdiObject* o = Obj(ho);
    if (!o || o->type != ObjType::Font)
        return Refuse<BOOL>(ERROR_INVALID_HANDLE);
    if (!o->stock)
        S().objects.erase(ho);
    return TRUE;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
    return Swap(hdc, &Dc::bk, color, COLORREF(CLR_INVALID));
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    return mode == TRANSPARENT || mode == OPAQUE ? Swap(hdc, &Dc::bkMode, mode, 0) : 0;
}

// ---- drawing: checked, not kept ----

BOOL WINAPI ExtTextOutA(HDC hdc, int, int, UINT, const RECT*, LPCSTR, UINT, const INT*) {
    return DcOf(hdc) ? TRUE : Refuse<BOOL>(ERROR_INVALID_HANDLE);
}

BOOL WINAPI TextOutA(HDC hdc, int, int, LPCSTR lpString, int c) {
    const bool good = DcOf(hdc) && c >= 0 && (c == 0 || lpString);
    return good ? TRUE : Refuse<BOOL>(ERROR_INVALID_PARAMETER);
}

// A fixed metric for every font: 6 pixels a character, 13 high.
BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
    if (!DcOf(hdc) || !psizl || c < 0 || (c > 0 && !lpString))
        return Refuse<BOOL>(ERROR_INVALID_PARAMETER);
    *psizl = SIZE{6 * c, 13};
    return TRUE;
}

// The executable's own icons, shared: the same handle each time, never destroyed by the program.
// None of the system's: the program asks for none.
HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    const int id = sim::res::IdOf(lpIconName);
    if (!hInstance || id < 0 || !sim::res::FindData(sim::res::kGroupIcon, id))
        return Refuse<HICON>(ERROR_RESOURCE_NAME_NOT_FOUND);
    HICON& icon = S().icons[id];
    if (!icon)
        icon = static_cast<HICON>(NewObject(ObjType::Icon, true));
    return icon;
}

BOOL WINAPI DrawIcon(HDC hDC, int, int, HICON hIcon) {
    const bool good = DcOf(hDC) && IsGdiObject(hIcon, ObjType::Icon);
    return good ? TRUE : Refuse<BOOL>(ERROR_INVALID_HANDLE);
}

void WINAPI InitCommonControls(void) {
    S().commonControls = true;
}

BOOL WINAPI ImageList_Destroy(HIMAGELIST himl) {
    return IsGdiObject(himl, ObjType::ImageList) && S().objects.erase(himl);
}

// Only the executable's own bitmaps: the program loads no file.
HIMAGELIST WINAPI ImageList_LoadImageA(HINSTANCE, LPCSTR lpbmp, int, int, COLORREF, UINT uType,
                                       UINT uFlags) {
    if (uType != IMAGE_BITMAP)
        return nullptr;
    const int id = (uFlags & LR_LOADFROMFILE) ? -1 : sim::res::IdOf(lpbmp);
    if (id < 0 || !sim::res::FindData(sim::res::kBitmap, id))
        return Refuse<HIMAGELIST>(ERROR_RESOURCE_NAME_NOT_FOUND);
    return static_cast<HIMAGELIST>(NewObject(ObjType::ImageList));
}

} // extern "C"
