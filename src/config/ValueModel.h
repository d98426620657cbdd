// The model of how Windows NT reads every value that decides whether the driver builds its disk:
// who reads it, what it accepts, what a missing or malformed value means, and what HxSetup
// writes. The dialog's write and hxcfg's verdict both take the layout from this one table.
#pragma once

#include <windows.h>

class CDriverConfig;

// Who reads a value at the next start (a bit each; a value may have more than one reader).
enum ValueReader {
    kReaderLoader = 1,            // the boot loader and the I/O manager: boot and system drivers
    kReaderServiceController = 2, // the service controller: automatic drivers
    kReaderDriver = 4,            // HxVol itself, from its Parameters key
    kReaderEventLog = 8,          // the event log service
    kReaderMemoryManager = 16,    // the memory manager, for the pool it sizes at start
};

// What a value that strays from HxSetup's own means for the disk at the next start.
enum ValueWeight {
    kWeightNone,   // nothing the verdict judges
    kWeightNote,   // the disk is built all the same, only not as HxSetup sets it up
    kWeightReason, // the disk will not be built
};

// Where the value HxSetup writes comes from.
enum ValueSource {
    kNotWritten,      // HxSetup's write leaves it alone (preparation or nobody writes it)
    kWrittenConstant, // always the same: dwWritten, or the text pszWritten
    kWrittenDword,    // the record's field pdwField
    kWrittenDosDevice // the record's DosDevice text
};

struct ValueRule {
    const char* pszKey;  // below HKEY_LOCAL_MACHINE
    const char* pszName; // nullptr: the key itself, whose presence is what is read
    unsigned readers;    // ValueReader bits
    DWORD dwType;        // the type its readers take
    // For a REG_DWORD: the values its readers accept. Outside them the value is malformed.
    DWORD dwLow;
    DWORD dwHigh;
    ValueWeight missing;   // the value (or key) is not there
    ValueWeight malformed; // another type or length, a value out of range, a text of another form
    ValueWeight differs;   // accepted by its readers, but not what HxSetup writes
    // What HxSetup writes, in the order of the table within each key.
    ValueSource source;
    DWORD cbWritten;
    DWORD dwWritten;
    const char* pszWritten;
    DWORD CDriverConfig::*pdwField;
};

extern const ValueRule kValueRules[];
extern const int kValueRuleCount;

// The row of a value (names are unique across the table); nullptr when there is none.
const ValueRule* FindValueRule(const char* pszName);
