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

enum GroupPlace {
    kGroupMissing,     // the driver's group is not listed: the system never starts the driver
    kGroupInPlace,     // listed, and no "filter" before it
    kGroupAfterFilter, // listed after "filter": started too late
};
// Where the driver's group stands in the list (names compared without regard to ASCII case).
GroupPlace FindGroup(const BYTE* pbList, DWORD cbList);

// Builds into pbResult (room for cbList bytes) the bytes of the list without any entry equal to
// the driver's group, each taken out with its NUL, wherever it stands: after an empty string
// too, and at the end without a NUL. Every other byte stays as it was, in its place. TRUE, with
// the new length in *pcbNew, when there was one to take out.
BOOL RemoveGroup(const BYTE* pbList, DWORD cbList, BYTE* pbResult, DWORD* pcbNew);
