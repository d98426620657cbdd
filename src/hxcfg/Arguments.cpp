#include "hxcfg/Arguments.h"

#include <string.h>

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

ParseResult Fail(CText* pError, const char* pszWhat, const char* pszGiven = nullptr) {
    pError->Clear();
    pError->Add(pszWhat);
    if (pszGiven != nullptr)
        pError->Add(": ").AddQuoted(pszGiven);
    return kUsageError;
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
        return Fail(pError, "SIZE must be at most 4095M", psz);
    pArgs->dwSizeMiB = dw;
    return kParsed;
}

ParseResult ParseDrive(const char* psz, HxArgs* pArgs, CText* pError) {
    char c = UpperChar(psz[0]);
    if (c < 'A' || c > 'Z' || psz[1] != ':' || psz[2] != '\0')
        return Fail(pError, "a drive is a letter and a colon (such as D:)", psz);
    pArgs->cDrive = c;
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
    if (dw > 75)
        return Fail(pError, "the pool size is at most 75 %", psz);
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
        if (strcmp(psz, "-h") == 0 || strcmp(psz, "--help") == 0 || strcmp(psz, "/?") == 0) {
            pArgs->bHelp = TRUE;
        } else if (strcmp(psz, "--dry-run") == 0) {
            pArgs->bDryRun = TRUE;
        } else if (strcmp(psz, "--reg") == 0) {
            if (pArgs->pszRegFile != nullptr)
                return Fail(pError, "--reg is given twice");
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return Fail(pError, "--reg needs a file name");
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

const char* UsageText() {
    return "Usage: hxcfg COMMAND [ARGUMENT] [--dry-run | --reg FILE]\n"
           "\n"
           "  status           the installed configuration, the memory budget, the drives,\n"
           "                   and whether the disk will be built at the next start\n"
           "  ramdisk [SIZE]   configure the RAM disk S: of SIZE (such as 64M or 1G);\n"
           "                   the whole budget when no SIZE is given\n"
           "  mirror X:        configure the mirror of the fixed drive X:\n"
           "  pool default|max|N\n"
           "                   the non-paged pool at the system's default, at 75 %, or at N %\n"
           "  remove           remove the driver's keys, its event log source and its group\n"
           "\n"
           "  --dry-run        print the change as REGEDIT4 text and write nothing\n"
           "  --reg FILE       write that text to FILE (a new file) instead of applying it\n"
           "  -h, --help, /?   this text\n"
           "\n"
           "Exit status: 0 done (status: the disk will be built), 1 status, or ramdisk, mirror\n"
           "or pool after writing, found reasons why it will not, 2 usage error, 3 refused on\n"
           "this machine, 4 a registry write failed.\n";
}
