#include "config/ServiceGroupList.h"

#include <string.h>

#include "config/RegistryLayout.h"

namespace {
// Compares a counted name with a text, ignoring the case of ASCII letters only.
bool NameEquals(const BYTE* pbName, DWORD cbName, const char* pszText) {
    for (DWORD i = 0; i < cbName; ++i) {
        unsigned char a = pbName[i];
        unsigned char b = static_cast<unsigned char>(pszText[i]);
        if (b == '\0')
            return false;
        if (a >= 'A' && a <= 'Z')
            a = static_cast<unsigned char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<unsigned char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return pszText[cbName] == '\0';
}

// Appends a name and its NUL; false when the result area has no room.
bool Append(BYTE* pbResult, DWORD cbResultArea, DWORD* pcbUsed, const BYTE* pbName, DWORD cbName) {
    if (cbName + 1 > cbResultArea - *pcbUsed)
        return false;
    memcpy(pbResult + *pcbUsed, pbName, cbName);
    pbResult[*pcbUsed + cbName] = '\0';
    *pcbUsed += cbName + 1;
    return true;
}
} // namespace

GroupListResult InsertGroupBeforeFilter(const BYTE* pbList, DWORD cbList, BYTE* pbResult,
                                        DWORD cbResultArea, DWORD* pcbNew) {
    static const BYTE kGroup[] = HX_GROUP_NAME;
    const DWORD cbGroup = sizeof kGroup - 1;
    bool bInserted = false;
    bool bOverflow = false;
    DWORD cbUsed = 0;

    DWORD pos = 0;
    while (pos < cbList && pbList[pos] != '\0') {
        DWORD cbName = 0;
        while (pos + cbName < cbList && pbList[pos + cbName] != '\0')
            ++cbName;
        const BYTE* pbName = pbList + pos;
        if (NameEquals(pbName, cbName, HX_GROUP_NAME))
            return kGroupAlreadyListed;
        if (!bInserted && NameEquals(pbName, cbName, HX_GROUP_BEFORE)) {
            bInserted = true;
            bOverflow |= !Append(pbResult, cbResultArea, &cbUsed, kGroup, cbGroup);
        }
        if (!bOverflow)
            bOverflow |= !Append(pbResult, cbResultArea, &cbUsed, pbName, cbName);
        pos += cbName + 1;
    }
    if (!bInserted)
        return kNoFilterGroup;
    if (bOverflow || cbUsed == cbResultArea)
        return kListTooLong;
    pbResult[cbUsed++] = '\0'; // the list's final empty string
    *pcbNew = cbUsed;
    return kGroupInserted;
}

namespace {
// Calls onName(pbName, cbName) for each name of the list up to its final empty string or the
// end of the bytes, whichever comes first; stops early when onName returns false.
template <typename OnName> void WalkNames(const BYTE* pbList, DWORD cbList, OnName onName) {
    DWORD pos = 0;
    while (pos < cbList && pbList[pos] != '\0') {
        DWORD cbName = 0;
        while (pos + cbName < cbList && pbList[pos + cbName] != '\0')
            ++cbName;
        if (!onName(pbList + pos, cbName))
            return;
        pos += cbName + 1;
    }
}
} // namespace

GroupPlace FindGroup(const BYTE* pbList, DWORD cbList) {
    GroupPlace place = kGroupMissing;
    bool bFilterSeen = false;
    WalkNames(pbList, cbList, [&](const BYTE* pbName, DWORD cbName) {
        if (NameEquals(pbName, cbName, HX_GROUP_NAME)) {
            place = bFilterSeen ? kGroupAfterFilter : kGroupInPlace;
            return false;
        }
        bFilterSeen |= NameEquals(pbName, cbName, HX_GROUP_BEFORE);
        return true;
    });
    return place;
}

BOOL RemoveGroup(const BYTE* pbList, DWORD cbList, BYTE* pbResult, DWORD* pcbNew) {
    // Not the walk of the system's reading, which ends at the first empty string: the list is
    // someone else's, and what lies beyond that string is kept as it is.
    BOOL bRemoved = FALSE;
    DWORD cbUsed = 0;
    DWORD pos = 0;
    while (pos < cbList) {
        DWORD cbName = 0;
        while (pos + cbName < cbList && pbList[pos + cbName] != '\0')
            ++cbName;
        DWORD cbEntry = pos + cbName < cbList ? cbName + 1 : cbName; // with its NUL, if any
        if (cbName != 0 && NameEquals(pbList + pos, cbName, HX_GROUP_NAME)) {
            bRemoved = TRUE;
        } else {
            memcpy(pbResult + cbUsed, pbList + pos, cbEntry);
            cbUsed += cbEntry;
        }
        pos += cbEntry;
    }
    *pcbNew = cbUsed;
    return bRemoved;
}
