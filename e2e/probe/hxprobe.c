/*
 * hxprobe: the end-to-end suite's own eyes inside the Wine prefix. It reads back what HxSetup
 * left behind without going through HxSetup, and reports what the system tells a program.
 *
 *   hxprobe reg SUBKEY...    every value of each HKLM\SUBKEY as the ANSI entry points return
 *                            it, one line each: "SUBKEY<TAB>name<TAB>type<TAB>byte count<TAB>
 *                            hex bytes", sorted by name, after a line "SUBKEY<TAB>(key)<TAB>
 *                            present<TAB>n subkeys" or "SUBKEY<TAB>(key)<TAB>absent"
 *   hxprobe regedit SUBKEY[:VALUE]...
 *                            the same keys (or single values) as REGEDIT4 text, with the
 *                            strings of multi-string and expandable values spelled out in
 *                            comments, since regedit shows those only as hex
 *   hxprobe memory           the total physical memory in bytes, as GlobalMemoryStatus tells
 *                            a process of the probe's bitness (large-address aware, as the
 *                            program's executables are)
 *   hxprobe control TITLE ID the enabled state (1 or 0) and text of control ID of the window
 *                            titled TITLE, separated by a tab
 *   hxprobe dosdevice NAME TARGET
 *                            redefines the DOS device NAME (such as D:) as the NT path TARGET
 *                            for as long as the prefix's wineserver lives
 *   hxprobe drives           every logical drive: root, type, size in bytes, QueryDosDevice name
 *   hxprobe font FACE PT     the text metrics of FACE at PT points and the dialog base units
 *                            it gives (average width of the alphabet, height)
 *   hxprobe repaint TITLE    invalidates the whole client area of the window titled TITLE, with
 *                            its background, as an uncovered window is; the window repaints
 *                            itself when its thread next asks for a message
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char* type_name(DWORD t) {
    switch (t) {
    case REG_NONE:
        return "REG_NONE";
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    default:
        return "REG_OTHER";
    }
}

typedef struct {
    char name[256];
    DWORD type;
    DWORD cb;
    BYTE* data;
} Value;

static int by_name(const void* a, const void* b) {
    return _stricmp(((const Value*)a)->name, ((const Value*)b)->name);
}

/* Reads every value of HKLM\subkey (or the one named value when only is set); -1: no key. */
static int load_key(const char* subkey, const char* only, Value* values, int max, DWORD* nSubkeys) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    int n = 0;
    for (DWORD i = 0; n < max; i++) {
        Value* v = &values[n];
        DWORD cchName = sizeof v->name;
        if (RegEnumValueA(key, i, v->name, &cchName, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        if (only && _stricmp(only, v->name))
            continue;
        /* Ask the byte count first, then read exactly that many: no guess at a buffer size. */
        v->cb = 0;
        if (RegQueryValueExA(key, v->name, NULL, &v->type, NULL, &v->cb) != ERROR_SUCCESS)
            continue;
        v->data = malloc(v->cb + 1);
        DWORD cb = v->cb;
        if (RegQueryValueExA(key, v->name, NULL, &v->type, v->data, &cb) != ERROR_SUCCESS) {
            free(v->data);
            continue;
        }
        v->cb = cb;
        n++;
    }
    *nSubkeys = 0;
    RegQueryInfoKeyA(key, NULL, NULL, NULL, nSubkeys, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    qsort(values, n, sizeof values[0], by_name);
    return n;
}

static void dump_key(const char* subkey) {
    Value values[128];
    DWORD nSubkeys;
    int n = load_key(subkey, NULL, values, 128, &nSubkeys);
    if (n < 0) {
        printf("%s\t(key)\tabsent\n", subkey);
        return;
    }
    printf("%s\t(key)\tpresent\t%lu subkeys\n", subkey, (unsigned long)nSubkeys);
    for (int i = 0; i < n; i++) {
        printf("%s\t%s\t%s\t%lu\t", subkey, values[i].name, type_name(values[i].type),
               (unsigned long)values[i].cb);
        for (DWORD j = 0; j < values[i].cb; j++)
            printf("%02x", values[i].data[j]);
        printf("\n");
        free(values[i].data);
    }
}

/* A text up to its NUL, in double quotes; escaped as regedit escapes it, or as it stands. */
static void print_quoted(const BYTE* p, DWORD n, int escape) {
    putchar('"');
    for (DWORD i = 0; i < n && p[i]; i++) {
        if (escape && (p[i] == '"' || p[i] == '\\'))
            putchar('\\');
        putchar(p[i]);
    }
    putchar('"');
}

/* REGEDIT4 hex list, wrapped as regedit wraps it (lines of at most 80 characters). */
static void print_hex(const char* prefix, const BYTE* p, DWORD n) {
    int col = printf("%s", prefix);
    for (DWORD i = 0; i < n; i++) {
        if (col > 76) {
            printf("\\\n  ");
            col = 2;
        }
        col += printf("%02x%s", p[i], i + 1 < n ? "," : "");
    }
    printf("\n");
}

static void regedit_key(const char* arg) {
    char subkey[512];
    lstrcpynA(subkey, arg, sizeof subkey);
    char* only = strchr(subkey, ':');
    if (only)
        *only++ = 0;
    Value values[128];
    DWORD nSubkeys;
    int n = load_key(subkey, only, values, 128, &nSubkeys);
    printf("\n[HKEY_LOCAL_MACHINE\\%s]\n", subkey);
    if (n < 0) {
        printf("; not present\n");
        return;
    }
    for (int i = 0; i < n; i++) {
        Value* v = &values[i];
        char prefix[300];
        if (v->type == REG_MULTI_SZ || v->type == REG_EXPAND_SZ) {
            printf("; %s, %s of %lu bytes:\n", v->name, type_name(v->type), (unsigned long)v->cb);
            for (DWORD j = 0; j < v->cb && v->data[j];) {
                DWORD len = (DWORD)strnlen((const char*)v->data + j, v->cb - j);
                printf(";   ");
                print_quoted(v->data + j, len, 0);
                printf("\n");
                j += len + 1;
            }
        }
        if (v->type == REG_DWORD && v->cb == 4) {
            printf("\"%s\"=dword:%08lx\n", v->name, (unsigned long)*(DWORD*)v->data);
        } else if (v->type == REG_SZ) {
            printf("\"%s\"=", v->name);
            print_quoted(v->data, v->cb, 1);
            printf("\n");
            if (v->cb == 0 || memchr(v->data, 0, v->cb) != v->data + v->cb - 1)
                printf("; %s: REG_SZ of %lu bytes\n", v->name, (unsigned long)v->cb);
        } else {
            const char* code = v->type == REG_EXPAND_SZ  ? "2"
                               : v->type == REG_MULTI_SZ ? "7"
                               : v->type == REG_BINARY   ? ""
                                                         : "0";
            snprintf(prefix, sizeof prefix, "\"%s\"=hex%s%s%s:", v->name, *code ? "(" : "", code,
                     *code ? ")" : "");
            print_hex(prefix, v->data, v->cb);
        }
        free(v->data);
    }
}

static int define_device(const char* name, const char* target) {
    /* The mount manager has already defined the drive: take its definition away first. */
    DefineDosDeviceA(DDD_REMOVE_DEFINITION, name, NULL);
    if (!DefineDosDeviceA(DDD_RAW_TARGET_PATH, name, target)) {
        fprintf(stderr, "hxprobe: DefineDosDevice %s failed: %lu\n", name, GetLastError());
        return 1;
    }
    return 0;
}

static int list_drives(void) {
    char roots[512];
    if (!GetLogicalDriveStringsA(sizeof roots, roots))
        return 1;
    for (char* r = roots; *r; r += strlen(r) + 1) {
        UINT type = GetDriveTypeA(r);
        DWORD spc = 0, bps = 0, fc = 0, tc = 0;
        unsigned long long size = 0;
        if (type == DRIVE_FIXED && GetDiskFreeSpaceA(r, &spc, &bps, &fc, &tc))
            size = (unsigned long long)tc * bps * spc;
        char fs[32] = "", dev[256] = "", name[3] = {r[0], r[1], 0};
        if (type == DRIVE_FIXED)
            GetVolumeInformationA(r, NULL, 0, NULL, NULL, NULL, fs, sizeof fs);
        if (!QueryDosDeviceA(name, dev, sizeof dev))
            strcpy(dev, "-");
        printf("%s\t%u\t%llu\t%s\t%s\n", name, type, size, fs[0] ? fs : "-", dev);
    }
    return 0;
}

static int font_metrics(const char* face, int points) {
    HDC dc = GetDC(NULL);
    LOGFONTA lf = {0};
    lf.lfHeight = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    char got[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof got, got);
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE sz;
    GetTextExtentPoint32A(dc, alphabet, 52, &sz);
    /* The dialog manager's base units: average alphabet width rounded, and the cell height. */
    printf("face\t%s\nheight\t%ld\navecharwidth\t%ld\nbaseunits\t%ld\t%ld\npitchfamily\t0x%02x\n",
           got, tm.tmHeight, tm.tmAveCharWidth, (sz.cx / 26 + 1) / 2, tm.tmHeight,
           tm.tmPitchAndFamily);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(NULL, dc);
    return 0;
}

/* The enabled state and text of control ID in the top-level window titled TITLE (another
 * process's): the system copies a control's text across processes for WM_GETTEXT. */
static int print_control(const char* title, int id) {
    char text[256] = "";
    DWORD_PTR got = 0;
    HWND dialog = FindWindowA(NULL, title);
    HWND control = dialog ? GetDlgItem(dialog, id) : NULL;
    if (!control) {
        fprintf(stderr, "hxprobe: no control %d in a window \"%s\"\n", id, title);
        return 1;
    }
    if (!SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 5000,
                             &got))
        return 1;
    printf("%d\t%s\n", IsWindowEnabled(control) ? 1 : 0, text);
    return 0;
}

static int repaint(const char* title) {
    HWND window = FindWindowA(NULL, title);
    if (!window || !InvalidateRect(window, NULL, TRUE)) {
        fprintf(stderr, "hxprobe: cannot repaint a window \"%s\"\n", title);
        return 1;
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 3 && !strcmp(argv[1], "reg")) {
        for (int i = 2; i < argc; i++)
            dump_key(argv[i]);
        return 0;
    }
    if (argc >= 3 && !strcmp(argv[1], "regedit")) {
        printf("REGEDIT4\n");
        for (int i = 2; i < argc; i++)
            regedit_key(argv[i]);
        return 0;
    }
    if (argc == 2 && !strcmp(argv[1], "memory")) {
        /* What the system tells a process of the probe's bitness, the program's own. The 32-bit
         * probe is large-address aware, as the program is: told up to 4 GiB (the figure is
         * saturated there), where one that is not is told at most 2 GiB. */
        MEMORYSTATUS ms;
        memset(&ms, 0, sizeof ms);
        ms.dwLength = sizeof ms;
        GlobalMemoryStatus(&ms);
        printf("%llu\n", (unsigned long long)ms.dwTotalPhys);
        return 0;
    }
    if (argc == 4 && !strcmp(argv[1], "control"))
        return print_control(argv[2], atoi(argv[3]));
    if (argc == 4 && !strcmp(argv[1], "dosdevice"))
        return define_device(argv[2], argv[3]);
    if (argc == 2 && !strcmp(argv[1], "drives"))
        return list_drives();
    if (argc == 4 && !strcmp(argv[1], "font"))
        return font_metrics(argv[2], atoi(argv[3]));
    if (argc == 3 && !strcmp(argv[1], "repaint"))
        return repaint(argv[2]);
    fprintf(stderr, "usage: hxprobe reg SUBKEY... | regedit SUBKEY[:VALUE]... | drives | memory | "
                    "control TITLE ID |"
                    " font FACE POINTS | repaint TITLE |"
                    " dosdevice NAME TARGET\n");
    return 2;
}
