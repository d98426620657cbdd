// Where the driver and the system keep what this program reads and writes, below
// HKEY_LOCAL_MACHINE, and the names of the values.
#pragma once

#define HX_KEY_MEMORY_MANAGEMENT                                                                   \
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management"
#define HX_KEY_GROUP_ORDER "SYSTEM\\CurrentControlSet\\Control\\ServiceGroupOrder"
#define HX_KEY_SERVICE "SYSTEM\\CurrentControlSet\\Services\\HxVol"
#define HX_KEY_PARAMETERS "SYSTEM\\CurrentControlSet\\Services\\HxVol\\Parameters"
#define HX_KEY_EVENT_SOURCE "SYSTEM\\CurrentControlSet\\Services\\EventLog\\System\\HxVol"

// The class texts the keys are created with are literal type names, as the installer always had.
#define HX_CLASS_DRIVER_KEYS "REG_SZ"
#define HX_CLASS_EVENT_SOURCE "REG_EXPAND_SZ"

#define HX_GROUP_NAME "Halcyonix" // 9 letters; 10 bytes with its NUL
#define HX_GROUP_BEFORE "filter"
// The dialog reads the service group order into an area of this many bytes: a longer list stops
// its preparation.
#define HX_GROUP_LIST_AREA 1024
#define HX_TYPES_SUPPORTED 7 // error, warning and information events
#define HX_EVENT_MESSAGE_FILE "%SystemRoot%\\System32\\Drivers\\HxVol.sys" // 39 characters

// Caption of the configuration store's own error boxes.
#define HX_CAPTION_NOT_CONFIGURED "Halcyonix Not Configured"
