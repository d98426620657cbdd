#include "hxcfg/Arguments.h"

#include <string.h>

#include "budget/MemoryBudget.h"

namespace {
const DWORD kSaturated = 0xFFFFFFFFu;
const DWORD kMostMiB = 4095;

struct VerbName {
    const char* pszName;
    HxVerb verb;
};
const VerbName kVerbs[] = {
    {"status", kVerbStatus}, {"ramdisk", kVerbRamDisk}, {"mirror", kVerbMirror},
    {"pool", kVerbPool},     {"remove", kVerbRemove},
};

BOOL IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A run of decimal digits, saturating; *ppsz is left after them. FALSE when there is none.
BOOL ReadNumber(const char** ppsz, DWORD* pdw) {
    const char* p = *ppsz;
    if (!IsDigit(*p))
        return FALSE;
    DWORD dw = 0;
    for (; IsDigit(*p); ++p) {
        DWORD digit = static_cast<DWORD>(*p - '0');
        dw = dw > (kSaturated - digit) / 10 ? kSaturated : dw * 10 + digit;
    }
    *ppsz = p;
    *pdw = dw;
    return TRUE;
}

BOOL IsHelpOption(const char* psz) {
    return strcmp(psz, "-h") == 0 || strcmp(psz, "--help") == 0 || strcmp(psz, "/?") == 0;
}

ParseResult Fail(CText* pError, const char* pszWhat, const char* pszGiven = nullptr) {
    pError->Clear();
    pError->Add(pszWhat);
    if (pszGiven != nullptr)
        pError->Add(": ").AddQuoted(pszGiven);
    return kUsageError;
}

// "WHAT MOST UNIT: "GIVEN"".
ParseResult FailAbove(CText* pError, const char* pszWhat, DWORD dwMost, const char* pszUnit,
                      const char* pszGiven) {
    CText what;
    what.Add(pszWhat).AddDword(dwMost).Add(pszUnit);
    return Fail(pError, what.Get(), pszGiven);
}

// SIZE: whole MiB, as "64", "64M" or "1G" (either case).
ParseResult ParseSize(const char* psz, HxArgs* pArgs, CText* pError) {
    const char* p = psz;
    DWORD dw = 0;
    if (!ReadNumber(&p, &dw))
        return Fail(pError, "SIZE must be a whole number of MiB, such as 64M or 1G", psz);
    char cUnit = UpperChar(*p);
    if (cUnit == 'G')
        dw = dw > kSaturated / 1024 ? kSaturated : dw * 1024;
    if (cUnit == 'G' || cUnit == 'M')
        ++p;
    if (*p != '\0')
        return Fail(pError, "SIZE must be a whole number of MiB, such as 64M or 1G", psz);
    if (dw == 0)
        return Fail(pError, "SIZE must be at least 1M", psz);
    // The driver holds the size in 32 bits of bytes: no machine's budget is larger.
    if (dw > kMostMiB)
        return FailAbove(pError, "SIZE must be at most ", kMostMiB, "M", psz);
    pArgs->dwSizeMiB = dw;
    return kParsed;
}

ParseResult ParseDrive(const char* psz, HxArgs* pArgs, CText* pError) {
    if (!IsDriveName(psz))
        return Fail(pError, "a drive is a letter and a colon (such as D:)", psz);
    pArgs->cDrive = UpperChar(psz[0]);
    return kParsed;
}

ParseResult ParsePool(const char* psz, HxArgs* pArgs, CText* pError) {
    if (EqualNoCase(psz, "default")) {
        pArgs->pool = kPoolDefault;
        return kParsed;
    }
    if (EqualNoCase(psz, "max")) {
        pArgs->pool = kPoolMax;
        return kParsed;
    }
    const char* p = psz;
    DWORD dw = 0;
    if (!ReadNumber(&p, &dw) || *p != '\0')
        return Fail(pError, "the pool size is default, max or a whole percentage", psz);
    if (dw > static_cast<DWORD>(kMaxPoolPercent))
        return FailAbove(pError, "the pool size is at most ", kMaxPoolPercent, " %", psz);
    pArgs->pool = kPoolPercent;
    pArgs->nPercent = static_cast<int>(dw);
    return kParsed;
}
} // namespace

ParseResult ParseArguments(int argc, const char* const* argv, HxArgs* pArgs, CText* pError) {
    *pArgs = HxArgs();
    const char* pszOperand = nullptr;
    for (int i = 0; i < argc; ++i) {
        const char* psz = argv[i];
        if (IsHelpOption(psz)) {
            pArgs->bHelp = TRUE;
        } else if (strcmp(psz, "--dry-run") == 0) {
            pArgs->bDryRun = TRUE;
        } else if (strcmp(psz, "--reg") == 0) {
            if (pArgs->pszRegFile != nullptr)
                return Fail(pError, "--reg is given twice");
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return Fail(pError, "--reg needs a file name");
            // "--reg --dry-run" lost an argument; it names no file the user meant to make.
            const char* pszNext = argv[i + 1];
            if (IsHelpOption(pszNext) || strcmp(pszNext, "--dry-run") == 0 ||
                strcmp(pszNext, "--reg") == 0)
                return Fail(pError, "--reg needs a file name, not an option", pszNext);
            pArgs->pszRegFile = argv[++i];
        } else if (psz[0] == '-' && psz[1] != '\0' && !IsDigit(psz[1])) {
            // "-1" is no option but a SIZE or a percentage below 0, which its own message names.
            return Fail(pError, "unknown option", psz);
        } else if (pArgs->verb == kVerbNone) {
            for (const VerbName& v : kVerbs)
                if (EqualNoCase(psz, v.pszName))
                    pArgs->verb = v.verb;
            if (pArgs->verb == kVerbNone)
                return Fail(pError, "unknown command", psz);
        } else if (pszOperand == nullptr) {
            pszOperand = psz;
        } else {
            return Fail(pError, "one argument too many", psz);
        }
    }
    if (pArgs->bHelp)
        return kParsedHelp;
    if (pArgs->verb == kVerbNone)
        return Fail(pError, "no command given (hxcfg --help lists them)");
    if (pArgs->bDryRun && pArgs->pszRegFile != nullptr)
        return Fail(pError, "--dry-run and --reg exclude each other");
    if (pArgs->verb == kVerbStatus && (pArgs->bDryRun || pArgs->pszRegFile != nullptr))
        return Fail(pError, "status writes nothing: --dry-run and --reg do not apply to it");

    switch (pArgs->verb) {
    case kVerbRamDisk:
        return pszOperand != nullptr ? ParseSize(pszOperand, pArgs, pError) : kParsed;
    case kVerbMirror:
        if (pszOperand == nullptr)
            return Fail(pError, "mirror needs a drive, such as D:");
        return ParseDrive(pszOperand, pArgs, pError);
    case kVerbPool:
        if (pszOperand == nullptr)
            return Fail(pError, "pool needs default, max or a percentage");
        return ParsePool(pszOperand, pArgs, pError);
    default:
        if (pszOperand != nullptr)
            return Fail(pError, "one argument too many", pszOperand);
        return kParsed;
    }
}

namespace {
BOOL IsBlank(WCHAR c) {
    return c == L' ' || c == L'\t';
}

// Splits the command line as msvcrt's start-up code does: the program's name runs to a blank, or
// from a quote to the next, taken whole. Then arguments part at blanks and tabs outside quotes;
// 2n backslashes before a quote give n, and the quote opens or closes a quoted part (a doubled
// quote inside one gives a quote); 2n+1 give n and a quote; any other backslash is itself.
// pOut receives each argument and its NUL (no more than the line and one NUL); returns the count.
int SplitCommandLine(LPCWSTR p, WCHAR* pOut, WCHAR** ppArgs) {
    int n = 0;
    ppArgs[n++] = pOut;
    if (*p == L'"') {
        for (++p; *p != 0 && *p != L'"'; ++p)
            *pOut++ = *p;
        if (*p == L'"')
            ++p;
    } else {
        for (; *p != 0 && !IsBlank(*p); ++p)
            *pOut++ = *p;
    }
    *pOut++ = 0;
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (*p == 0)
            return n;
        ppArgs[n++] = pOut;
        BOOL bQuoted = FALSE;
        while (*p != 0 && (bQuoted || !IsBlank(*p))) {
            int nSlashes = 0;
            while (*p == L'\\') {
                ++p;
                ++nSlashes;
            }
            if (*p != L'"') {
                for (; nSlashes > 0; --nSlashes)
                    *pOut++ = L'\\';
                if (*p != 0 && (bQuoted || !IsBlank(*p)))
                    *pOut++ = *p++;
                continue;
            }
            for (int i = 0; i < nSlashes / 2; ++i)
                *pOut++ = L'\\';
            if (nSlashes % 2 != 0) {
                *pOut++ = *p++;
            } else if (bQuoted && p[1] == L'"') {
                *pOut++ = *p;
                p += 2;
            } else {
                bQuoted = !bQuoted;
                ++p;
            }
        }
        *pOut++ = 0;
    }
}

// Whether pch[0..cch-1] comes back unchanged from the ANSI code page; the round trip shows both a
// default character and a best-fit look-alike (WC_NO_BEST_FIT_CHARS, which would refuse the
// latter, came with Windows 2000).
BOOL SurvivesCodePage(LPCWSTR pch, int cch) {
    if (cch == 0)
        return TRUE;
    char sz[16];
    int cb = WideCharToMultiByte(CP_ACP, 0, pch, cch, sz, sizeof sz, nullptr, nullptr);
    WCHAR wsz[8];
    if (cb <= 0 || MultiByteToWideChar(CP_ACP, 0, sz, cb, wsz, 8) != cch)
        return FALSE;
    for (int i = 0; i < cch; ++i)
        if (wsz[i] != pch[i])
            return FALSE;
    return TRUE;
}

// The argument in the ANSI code page, in a new buffer; nullptr, with *pError saying why, when a
// character has no exact form there.
char* ToAnsi(LPCWSTR psz, int nArg, CText* pError) {
    int nChar = 0;
    for (LPCWSTR p = psz; *p != 0; ++nChar) {
        // A surrogate pair is one character.
        int cch = (p[0] >= 0xD800 && p[0] < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000) ? 2 : 1;
        if (!SurvivesCodePage(p, cch)) {
            DWORD dwCode = cch == 2 ? 0x10000 + ((p[0] - 0xD800) << 10) + (p[1] - 0xDC00)
                                    : static_cast<DWORD>(p[0]);
            pError->Clear();
            pError->Add("argument ").AddDword(static_cast<DWORD>(nArg)).Add(", character ");
            pError->AddDword(static_cast<DWORD>(nChar + 1)).Add(" (U+");
            for (int nShift = dwCode > 0xFFFF ? 16 : 12; nShift >= 0; nShift -= 4)
                pError->AddChar("0123456789ABCDEF"[(dwCode >> nShift) & 0xF]);
            pError->Add(")");
            pError->Add(" has no exact form in this system's ANSI code page, so the system would "
                        "read another character; type the argument without it");
            return nullptr;
        }
        p += cch;
    }
    int cb = WideCharToMultiByte(CP_ACP, 0, psz, -1, nullptr, 0, nullptr, nullptr);
    char* pszAnsi = cb > 0 ? new char[cb] : nullptr;
    if (pszAnsi == nullptr ||
        WideCharToMultiByte(CP_ACP, 0, psz, -1, pszAnsi, cb, nullptr, nullptr) != cb) {
        delete[] pszAnsi;
        pError->Clear();
        pError->Add("argument ").AddDword(static_cast<DWORD>(nArg)).Add(" cannot be read");
        return nullptr;
    }
    return pszAnsi;
}
} // namespace

CAnsiArguments::~CAnsiArguments() {
    for (int i = 0; i < m_argc; ++i)
        delete[] m_argv[i];
    delete[] m_argv;
}

BOOL CAnsiArguments::Take(LPCWSTR pszCommandLine, CText* pError) {
    int cch = 0;
    while (pszCommandLine[cch] != 0)
        ++cch;
    WCHAR* pBuf = new WCHAR[cch + 1];
    WCHAR** ppArgs = new WCHAR*[cch + 2];
    int argc = pBuf && ppArgs ? SplitCommandLine(pszCommandLine, pBuf, ppArgs) : 0;
    m_argv = argc > 0 ? new char*[argc + 1] : nullptr;
    BOOL bTaken = m_argv != nullptr;
    if (!bTaken) {
        pError->Clear();
        pError->Add("the command line cannot be read: not enough memory");
    }
    for (; bTaken && m_argc < argc; ++m_argc) {
        m_argv[m_argc] = ToAnsi(ppArgs[m_argc], m_argc, pError);
        // The program's own name is not read: any folder name will do.
        if (m_argv[m_argc] == nullptr && m_argc == 0 && (m_argv[0] = new char[1]) != nullptr)
            m_argv[0][0] = '\0';
        if (m_argv[m_argc] == nullptr) {
            bTaken = FALSE;
            break;
        }
    }
    if (m_argv != nullptr)
        m_argv[m_argc] = nullptr;
    delete[] ppArgs;
    delete[] pBuf;
    return bTaken;
}

void AddUsage(CText* pOut) {
    pOut->Add("Usage: hxcfg COMMAND [ARGUMENT] [--dry-run | --reg FILE]\n"
              "\n"
              "  status           the installed configuration, the memory budget, the drives,\n"
              "                   and whether the disk will be built at the next start\n"
              "  ramdisk [SIZE]   configure the RAM disk S: of SIZE (such as 64M or 1G);\n"
              "                   the whole budget when no SIZE is given\n"
              "  mirror X:        configure the mirror of the fixed drive X:\n"
              "  pool default|max|N\n"
              "                   the non-paged pool at the system's default, at ");
    pOut->AddDword(kMaxPoolPercent)
        .Add(" %, or at N %\n"
             "  remove           remove the driver's keys, its event log source and its group\n"
             "\n"
             "  --dry-run        print the change as REGEDIT4 text and write nothing\n"
             "  --reg FILE       write that text to FILE (a new file) instead of applying it\n"
             "  -h, --help, /?   this text\n"
             "\n"
             "Exit status: 0 done (status: the disk will be built), 1 status, or ramdisk, mirror\n"
             "or pool after writing, found reasons why it will not, 2 usage error, 3 refused on\n"
             "this machine, 4 a registry write failed.\n");
}
