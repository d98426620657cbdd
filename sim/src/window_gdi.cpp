// sim's GDI: device contexts of a window's client area that record what is drawn on it, fonts,
// stock objects, icons, bitmaps and image lists, and the window painting cycle.
#include "window_internal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sim::win {

namespace {

HGDIOBJ NewObject(const GdiObject& obj) {
    HGDIOBJ h = NewHandle();
    S().objects[h] = obj;
    return h;
}

GdiObject* Obj(HGDIOBJ h) {
    auto& objs = S().objects;
    auto it = objs.find(h);
    return it == objs.end() ? nullptr : &it->second;
}

Dc* DcOf(HDC h) {
    auto& dcs = S().dcs;
    auto it = dcs.find(h);
    return it == dcs.end() ? nullptr : &it->second;
}

HGDIOBJ Stock(int i) {
    State& st = S();
    if (auto it = st.stock.find(i); it != st.stock.end())
        return it->second;
    GdiObject o;
    o.stock = true;
    switch (i) {
    case WHITE_BRUSH:
        o.type = ObjType::Brush;
        break;
    case BLACK_PEN:
        o.type = ObjType::Pen;
        break;
    case SYSTEM_FONT:
        o.type = ObjType::Font;
        o.lf.lfHeight = 16;
        o.lf.lfWeight = FW_BOLD;
        std::strcpy(o.lf.lfFaceName, "System");
        break;
    default:
        return nullptr;
    }
    HGDIOBJ h = NewObject(o);
    st.stock[i] = h;
    return h;
}

// Width and height of a bitmap resource: a BITMAPINFOHEADER without the file's header.
bool DibSize(const std::vector<unsigned char>& dib, int& width, int& height) {
    if (dib.size() < 12)
        return false;
    auto le32 = [&](size_t off) {
        return static_cast<int32_t>(dib[off] | dib[off + 1] << 8 | dib[off + 2] << 16 |
                                    static_cast<uint32_t>(dib[off + 3]) << 24);
    };
    width = le32(4);
    height = std::abs(le32(8));
    return width > 0 && height > 0;
}

bool Intersects(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Inside(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

sim::ui::Surface* SurfaceOfDc(Dc& dc) {
    if (!dc.hwnd)
        return nullptr;
    return &S().surfaces[dc.hwnd];
}

HDC NewDc(HWND hwnd, bool paint) {
    Dc dc;
    dc.hwnd = hwnd;
    dc.paint = paint;
    dc.font = Stock(SYSTEM_FONT);
    dc.brush = Stock(WHITE_BRUSH);
    dc.pen = Stock(BLACK_PEN);
    HDC h = static_cast<HDC>(NewHandle());
    S().dcs[h] = dc;
    return h;
}

} // namespace

// An opaque fill hides the texts it covers: they are no longer what the user sees.
void PaintOver(sim::ui::Surface& s, const sim::ui::Fill& fill) {
    s.texts.erase(
        std::remove_if(s.texts.begin(), s.texts.end(),
                       [&](const sim::ui::TextRun& t) { return Inside(fill.rect, t.x, t.y); }),
        s.texts.end());
    s.fills.push_back(fill);
}

void WipeSurface(Window& w, const RECT& area, bool whole) {
    State& st = S();
    auto it = st.surfaces.find(w.h);
    if (it == st.surfaces.end())
        return;
    sim::ui::Surface& s = it->second;
    if (whole) {
        s = sim::ui::Surface{};
        return;
    }
    // A partial repaint loses whatever it touches; a fill cut in two is not kept in pieces.
    s.fills.erase(std::remove_if(s.fills.begin(), s.fills.end(),
                                 [&](const sim::ui::Fill& f) { return Intersects(f.rect, area); }),
                  s.fills.end());
    s.texts.erase(std::remove_if(s.texts.begin(), s.texts.end(),
                                 [&](const sim::ui::TextRun& t) { return Inside(area, t.x, t.y); }),
                  s.texts.end());
    s.icons.erase(std::remove_if(s.icons.begin(), s.icons.end(),
                                 [&](const POINT& p) { return Inside(area, p.x, p.y); }),
                  s.icons.end());
}

bool IsGdiObject(HGDIOBJ h, ObjType type) {
    GdiObject* o = Obj(h);
    return o && o->type == type;
}

void DestroyImageListInternal(HIMAGELIST himl) {
    GdiObject* o = Obj(himl);
    if (o && o->type == ObjType::ImageList)
        S().objects.erase(himl);
}

HFONT CreateDialogFont(const std::string& face, int pointSize) {
    GdiObject o;
    o.type = ObjType::Font;
    o.stock = true; // the dialog manager's own: created and freed with the dialog, never counted
    o.lf.lfHeight = -MulDivRound(pointSize ? pointSize : 8, 96, 72);
    o.lf.lfWeight = FW_NORMAL;
    std::snprintf(o.lf.lfFaceName, LF_FACESIZE, "%s", face.c_str());
    return static_cast<HFONT>(NewObject(o));
}

} // namespace sim::win

using namespace sim::win;

extern "C" {

// ---- painting cycle ----

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    Window* w = Find(hWnd);
    if (!w) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Invalidate(*w, lpRect, bErase != FALSE);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    Window* w = Find(hWnd);
    if (!w || !lpPaint) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    SIZE cs = ClientSize(*w);
    RECT area = w->updatePending ? w->updateRect : RECT{0, 0, 0, 0};
    bool whole = w->updatePending && w->updateWhole;
    bool erase = w->eraseNeeded;
    w->updatePending = false;
    w->updateWhole = false;
    w->eraseNeeded = false;
    // The update region is painted over by the window's background first.
    if (whole || area.right > area.left)
        WipeSurface(*w, area, whole);
    HDC hdc = NewDc(hWnd, true);
    std::memset(lpPaint, 0, sizeof *lpPaint);
    lpPaint->hdc = hdc;
    lpPaint->rcPaint = whole ? RECT{0, 0, cs.cx, cs.cy} : area;
    lpPaint->fErase = FALSE;
    if (erase && !w->iconic) {
        // Handled (nonzero) means the background was erased.
        lpPaint->fErase = Send(hWnd, WM_ERASEBKGND, (WPARAM)hdc, 0) ? FALSE : TRUE;
    }
    return hdc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    (void)hWnd;
    if (!lpPaint)
        return FALSE;
    auto& dcs = S().dcs;
    auto it = dcs.find(lpPaint->hdc);
    if (it == dcs.end() || !it->second.paint) {
        sim::detail::RecordMisuse("EndPaint of a device context that BeginPaint did not give");
        return FALSE;
    }
    dcs.erase(it);
    return TRUE;
}

HDC WINAPI GetDC(HWND hWnd) {
    DWORD err = 0;
    if (hWnd && !Find(hWnd)) {
        sim::detail::SetError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (sim::detail::ShouldFail(sim::Api::GetDC, "", "", &err)) {
        sim::detail::SetError(err);
        return nullptr;
    }
    return NewDc(hWnd, false);
}

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
    (void)hWnd;
    auto& dcs = S().dcs;
    auto it = dcs.find(hDC);
    if (it == dcs.end() || it->second.paint) {
        sim::detail::RecordMisuse("ReleaseDC of a device context that GetDC did not give");
        return 0;
    }
    dcs.erase(it);
    return 1;
}

// ---- objects ----

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lplf) {
    DWORD err = 0;
    if (!lplf) {
        sim::detail::SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (sim::detail::ShouldFail(sim::Api::CreateFontIndirect, "", "", &err)) {
        sim::detail::SetError(err);
        return nullptr;
    }
    GdiObject o;
    o.type = ObjType::Font;
    o.lf = *lplf;
    return static_cast<HFONT>(NewObject(o));
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    Dc* dc = DcOf(hdc);
    GdiObject* o = Obj(h);
    if (!dc || !o) {
        sim::detail::SetError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HGDIOBJ old = nullptr;
    switch (o->type) {
    case ObjType::Font:
        old = dc->font;
        dc->font = h;
        break;
    case ObjType::Brush:
        old = dc->brush;
        dc->brush = h;
        break;
    case ObjType::Pen:
        old = dc->pen;
        dc->pen = h;
        break;
    default:
        // Bitmaps go into memory device contexts only; image lists and icons never.
        sim::detail::SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return old;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    GdiObject* o = Obj(ho);
    if (!o || o->type == ObjType::ImageList || o->type == ObjType::Icon) {
        sim::detail::SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (o->stock)
        return TRUE;
    S().objects.erase(ho);
    return TRUE;
}

// ---- attributes ----

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
    Dc* dc = DcOf(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF old = dc->bk;
    dc->bk = color;
    return old;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    Dc* dc = DcOf(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    int old = dc->bkMode;
    dc->bkMode = mode;
    return old;
}

// ---- drawing ----

BOOL WINAPI ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCSTR lpString,
                        UINT c, const INT* lpDx) {
    (void)lpDx;
    Dc* dc = DcOf(hdc);
    if (!dc) {
        sim::detail::SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    sim::ui::Surface* s = SurfaceOfDc(*dc);
    if (s && (options & ETO_OPAQUE) && lprect)
        PaintOver(*s, sim::ui::Fill{*lprect, dc->bk});
    if (s && lpString && c > 0)
        s->texts.push_back(sim::ui::TextRun{x, y, std::string(lpString, c),
                                            static_cast<HFONT>(dc->font), dc->bkMode, dc->text});
    return TRUE;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
    Dc* dc = DcOf(hdc);
    if (!dc || c < 0 || (c > 0 && !lpString)) {
        sim::detail::SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (sim::ui::Surface* s = SurfaceOfDc(*dc); s && c > 0)
        s->texts.push_back(sim::ui::TextRun{x, y, std::string(lpString, c),
                                            static_cast<HFONT>(dc->font), dc->bkMode, dc->text});
    return TRUE;
}

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
    Dc* dc = DcOf(hdc);
    if (!dc || !psizl || c < 0 || (c > 0 && !lpString)) {
        sim::detail::SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int height = 13;
    if (GdiObject* f = Obj(dc->font);
        f && f->type == ObjType::Font && !f->stock && f->lf.lfHeight != 0)
        height = std::abs(static_cast<int>(f->lf.lfHeight));
    psizl->cx = sim::ui::TextWidth(lpString, c);
    psizl->cy = height;
    return TRUE;
}

// ---- icons ----

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    int id = sim::res::IdOf(lpIconName);
    State& st = S();
    if (!hInstance) {
        // The system's icons.
        if (id < 32512 || id > 32518) {
            sim::detail::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
    } else if (id < 0 || !sim::res::FindData(sim::res::kGroupIcon, id)) {
        sim::detail::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    int key = hInstance ? id : -id;
    if (auto it = st.icons.find(key); it != st.icons.end())
        return it->second;
    // Icons from LoadIcon are shared: the same handle each time, never destroyed by the program.
    GdiObject o;
    o.type = ObjType::Icon;
    o.stock = true;
    HICON h = static_cast<HICON>(NewObject(o));
    st.icons[key] = h;
    return h;
}

BOOL WINAPI DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
    Dc* dc = DcOf(hDC);
    GdiObject* o = Obj(hIcon);
    if (!dc || !o || o->type != ObjType::Icon) {
        sim::detail::SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (sim::ui::Surface* s = SurfaceOfDc(*dc))
        s->icons.push_back(POINT{X, Y});
    return TRUE;
}

// ---- common controls ----

void WINAPI InitCommonControls(void) {
    S().commonControls = true;
}

BOOL WINAPI ImageList_Destroy(HIMAGELIST himl) {
    if (!IsGdiObject(himl, ObjType::ImageList))
        return FALSE;
    S().objects.erase(himl);
    return TRUE;
}

HIMAGELIST WINAPI ImageList_LoadImageA(HINSTANCE hi, LPCSTR lpbmp, int cx, int cGrow,
                                       COLORREF crMask, UINT uType, UINT uFlags) {
    (void)hi;
    (void)cGrow;
    if (uType != IMAGE_BITMAP)
        return nullptr;
    int width = 0, height = 0;
    // Only the executable's own bitmaps: the program loads no file.
    const int id = (uFlags & LR_LOADFROMFILE) ? -1 : sim::res::IdOf(lpbmp);
    const auto* dib = id < 0 ? nullptr : sim::res::FindData(sim::res::kBitmap, id);
    if (!dib || !DibSize(*dib, width, height)) {
        sim::detail::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (cx <= 0)
        cx = height; // square images when no width is given
    GdiObject o;
    o.type = ObjType::ImageList;
    o.cx = cx;
    o.cy = height;
    o.flags = crMask == CLR_NONE ? 0 : ILC_MASK;
    o.count = width / cx;
    return static_cast<HIMAGELIST>(NewObject(o));
}

} // extern "C"

namespace sim::ui {

const Surface& SurfaceOf(HWND hwnd) {
    static const Surface empty;
    auto& s = S().surfaces;
    auto it = s.find(hwnd);
    return it == s.end() ? empty : it->second;
}

std::size_t OutstandingDCs() {
    return S().dcs.size();
}

HFONT SystemFont() {
    return static_cast<HFONT>(Stock(SYSTEM_FONT));
}

int ImageCount(HIMAGELIST himl) {
    GdiObject* o = Obj(himl);
    return o && o->type == ObjType::ImageList ? o->count : 0;
}

std::size_t OutstandingGdiObjects() {
    std::size_t n = 0;
    for (const auto& [h, o] : S().objects)
        if (!o.stock)
            ++n;
    return n;
}

} // namespace sim::ui

int sim::ui::TextWidth(const char* text, int length) {
    int width = 0;
    for (int i = 0; i < length; ++i)
        width += text[i] == ' ' ? kBlankWidth : kCharWidth;
    return width;
}
