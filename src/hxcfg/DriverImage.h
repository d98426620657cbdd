// Where the system looks for the driver's image at the next start, and whether it is there.
#pragma once

#include <windows.h>

enum ImageState {
    kImageThere,
    kImageMissing,    // no file where the system looks
    kImageNotChecked, // the check itself failed: lError says why
    kImageOtherForm,  // an ImagePath of a form that names no file hxcfg can look at
};

struct DriverImage {
    char szPath[2 * MAX_PATH]; // where the system looks, as the system names it to a user
    ImageState state;
    LONG lError;
};

// pszImagePath: ImagePath as stored, or nullptr when there is none.
void FindDriverImage(const char* pszImagePath, DriverImage* pImage);
