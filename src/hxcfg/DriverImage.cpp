#include "hxcfg/DriverImage.h"

#include <string.h>

#include "hxcfg/Text.h"

namespace {
// Without ImagePath, the I/O manager loads \SystemRoot\System32\drivers\<service name>.sys.
const char kDefaultImage[] = "System32\\drivers\\HxVol.sys";
const char kSystemRootPrefix[] = "\\SystemRoot\\";
const char kDosDevicesPrefix[] = "\\??\\";

BOOL IsFolder(const char* pszPath) {
    DWORD dw = GetFileAttributesA(pszPath);
    return dw != INVALID_FILE_ATTRIBUTES && (dw & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Copies both texts into psz (cch bytes); FALSE when they do not fit.
BOOL Join(char* psz, size_t cch, const char* pszFirst, const char* pszSecond) {
    size_t n1 = strlen(pszFirst), n2 = strlen(pszSecond);
    if (n1 + n2 + 1 > cch)
        return FALSE;
    memcpy(psz, pszFirst, n1);
    memcpy(psz + n1, pszSecond, n2 + 1);
    return TRUE;
}
} // namespace

void FindDriverImage(const char* pszImagePath, DriverImage* pImage) {
    pImage->szPath[0] = '\0';
    pImage->state = kImageNotChecked;
    pImage->lError = ERROR_SUCCESS;
    char szRoot[MAX_PATH + 1];
    UINT cch = GetWindowsDirectoryA(szRoot, sizeof szRoot - 1);
    if (cch == 0 || cch >= sizeof szRoot - 1) {
        pImage->lError = cch == 0 ? static_cast<LONG>(GetLastError()) : ERROR_BUFFER_OVERFLOW;
        return;
    }
    if (szRoot[cch - 1] != '\\') { // a root folder such as "C:\" ends in its backslash already
        szRoot[cch++] = '\\';
        szRoot[cch] = '\0';
    }

    // The forms in which ImagePath names the image: relative to the system root (with or
    // without the \SystemRoot\ prefix), or a drive's path behind \??\, the NT name of the DOS
    // drive letters. Any other path beginning with a backslash names an NT device directly.
    const char* pszRelative = kDefaultImage;
    const char* pszDrivePath = nullptr;
    if (pszImagePath != nullptr) {
        const char* pszRest = AfterPrefix(pszImagePath, kSystemRootPrefix);
        pszDrivePath = AfterPrefix(pszImagePath, kDosDevicesPrefix);
        if (pszImagePath[0] == '\\' && pszRest == nullptr && pszDrivePath == nullptr) {
            Join(pImage->szPath, sizeof pImage->szPath, pszImagePath, "");
            pImage->state = kImageOtherForm;
            return;
        }
        pszRelative = pszRest != nullptr        ? pszRest
                      : pszDrivePath == nullptr ? pszImagePath
                                                : nullptr;
    }
    BOOL bFits = pszRelative != nullptr
                     ? Join(pImage->szPath, sizeof pImage->szPath, szRoot, pszRelative)
                     : Join(pImage->szPath, sizeof pImage->szPath, pszDrivePath, "");
    if (!bFits) {
        pImage->lError = ERROR_FILENAME_EXCED_RANGE;
        return;
    }

    // A 32-bit process on 64-bit Windows is shown another folder as System32; the one the system
    // loads drivers from it reaches as Sysnative. Elsewhere there is no Sysnative.
    char szCheck[sizeof pImage->szPath + 16];
    const char* pszCheck = pImage->szPath;
    char szNative[MAX_PATH + 16];
    const char* pszInSystem32 =
        pszRelative != nullptr ? AfterPrefix(pszRelative, "System32\\") : nullptr;
    if (pszInSystem32 != nullptr && Join(szNative, sizeof szNative, szRoot, "Sysnative") &&
        IsFolder(szNative) && Join(szCheck, sizeof szCheck, szNative, pszInSystem32 - 1)) {
        pszCheck = szCheck;
    }
    DWORD dwAttributes = GetFileAttributesA(pszCheck);
    if (dwAttributes != INVALID_FILE_ATTRIBUTES) {
        pImage->state =
            (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? kImageMissing : kImageThere;
        return;
    }
    pImage->lError = static_cast<LONG>(GetLastError());
    if (pImage->lError == ERROR_FILE_NOT_FOUND || pImage->lError == ERROR_PATH_NOT_FOUND ||
        pImage->lError == ERROR_INVALID_NAME)
        pImage->state = kImageMissing;
}
