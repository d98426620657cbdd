// The walk over the system's service group list (REG_MULTI_SZ) that places the driver's group
// immediately before the group "filter".
#pragma once

#include <windows.h>

enum GroupListResult {
    kGroupAlreadyListed, // the driver's group is there already, wherever it stands: leave the list
    kGroupInserted,      // the new list is built
    kNoFilterGroup,      // no "filter" to stand before: leave the list
    kListTooLong,        // the new list would not fit the result area
};

// Builds into pbResult (cbResultArea bytes) the list pbList (cbList bytes, as the query returned
// them) with the group inserted; on kGroupInserted *pcbNew is the new list's length. Never reads
// past cbList nor writes past cbResultArea; a list without its final empty string, or without
// any NUL, ends at cbList.
GroupListResult InsertGroupBeforeFilter(const BYTE* pbList, DWORD cbList, BYTE* pbResult,
                                        DWORD cbResultArea, DWORD* pcbNew);
