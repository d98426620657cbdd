#include "config/ValueModel.h"

#include <string.h>

#include "config/DriverConfig.h"
#include "config/RegistryLayout.h"

// The readers' rules are those that Windows NT publishes for service keys:
// - Start (REG_DWORD 0-4, no default): 0 boot, loaded by the kernel loader; 1 system, loaded by
//   the I/O subsystem at kernel initialisation; 2 automatic, loaded by the service control
//   manager; 3 manual, not started until someone starts it; 4 disabled (Windows 2000 Registry
//   Reference, "Start"). Only 0 to 2 load the driver at the next start; HxSetup writes 0.
// - Type (REG_DWORD, no default): 1 a kernel-mode device driver, 2 a file system driver; 4 and 8
//   are adapter arguments and recognisers, 16 and up Win32 programs (Windows 2000 Registry
//   Reference, "Type"). A file system driver is a kernel driver too: both are loaded as drivers.
// - ErrorControl (REG_DWORD): 0 ignore, 1 normal, 2 severe, 3 critical; it says only how start-up
//   proceeds when the driver fails to load or to initialise (Windows NT Resource Kit, Services
//   subkey entries), never whether the driver is loaded.
// - Group (REG_SZ, no default): the load order group. Services of the groups in the
//   ServiceGroupOrder List start first, then those of groups not in the list, then those of no
//   group (the CreateService reference, lpLoadOrderGroup): a group out of place or unlisted
//   changes when the driver loads, not whether.
// - ImagePath (REG_EXPAND_SZ): the driver's image. Without it the I/O manager looks for
//   \SystemRoot\System32\drivers\<service name>.sys (Windows 2000 Registry Reference,
//   "ObjectName", and the driver parameters of the NT registry); stock systems store it in the
//   forms "\SystemRoot\System32\drivers\x.sys" and "System32\drivers\x.sys", the latter relative
//   to the system root.
// - ServiceGroupOrder List (REG_MULTI_SZ): the order in which the boot loader and the I/O
//   manager load the groups of drivers (Windows NT 4.0 Resource Kit, ServiceGroupOrder).
// - The event log source: read by the event log service to show the driver's events; the driver
//   loads without it.
// - NonPagedPoolSize (REG_DWORD): read by the memory manager at start; 0 lets it choose.
// The Parameters values are read by HxVol alone, as it is written: each must be there, of its
// type and form, for the disk to be built.

namespace {
const char kGroup[] = HX_GROUP_NAME;
const DWORD kAny = 0xFFFFFFFF;
const unsigned kServiceReaders = kReaderLoader | kReaderServiceController;
} // namespace

// Within each key, in the order the dialog writes the values.
const ValueRule kValueRules[] = {
    {HX_KEY_SERVICE, "ErrorControl", kServiceReaders, REG_DWORD, 0, 3, kWeightNote, kWeightNote,
     kWeightNote, kWrittenConstant, 4, 1, nullptr, nullptr},
    {HX_KEY_SERVICE, "Start", kServiceReaders, REG_DWORD, 0, 2, kWeightReason, kWeightReason,
     kWeightNote, kWrittenDword, 4, 0, nullptr, &CDriverConfig::Start},
    {HX_KEY_SERVICE, "Type", kServiceReaders, REG_DWORD, 1, 2, kWeightReason, kWeightReason,
     kWeightNote, kWrittenConstant, 4, 1, nullptr, nullptr},
    {HX_KEY_SERVICE, "Group", kServiceReaders, REG_SZ, 0, 0, kWeightNote, kWeightNote, kWeightNote,
     kWrittenConstant, sizeof kGroup, 0, kGroup, nullptr},
    {HX_KEY_SERVICE, "ImagePath", kServiceReaders, REG_EXPAND_SZ, 0, 0, kWeightNone, kWeightReason,
     kWeightNone, kNotWritten, 0, 0, nullptr, nullptr},

    {HX_KEY_PARAMETERS, "BreakOnEntry", kReaderDriver, REG_DWORD, 0, kAny, kWeightNone, kWeightNone,
     kWeightNone, kWrittenDword, 4, 0, nullptr, &CDriverConfig::BreakOnEntry},
    {HX_KEY_PARAMETERS, "DebugLevel", kReaderDriver, REG_DWORD, 0, kAny, kWeightNone, kWeightNone,
     kWeightNone, kWrittenDword, 4, 0, nullptr, &CDriverConfig::DebugLevel},
    {HX_KEY_PARAMETERS, "Drive", kReaderDriver, REG_DWORD, 0, kAny, kWeightReason, kWeightReason,
     kWeightNone, kWrittenDword, 4, 0, nullptr, &CDriverConfig::Drive},
    {HX_KEY_PARAMETERS, "Partition", kReaderDriver, REG_DWORD, 0, kAny, kWeightReason,
     kWeightReason, kWeightNone, kWrittenDword, 4, 0, nullptr, &CDriverConfig::Partition},
    {HX_KEY_PARAMETERS, "DiskSize", kReaderDriver, REG_DWORD, 0, kAny, kWeightReason, kWeightReason,
     kWeightNone, kWrittenDword, 4, 0, nullptr, &CDriverConfig::DiskSize},
    // The letter and colon only, without a NUL: the driver reads exactly two bytes.
    {HX_KEY_PARAMETERS, "DosDevice", kReaderDriver, REG_SZ, 0, 0, kWeightReason, kWeightReason,
     kWeightNone, kWrittenDosDevice, 2, 0, nullptr, nullptr},

    {HX_KEY_EVENT_SOURCE, nullptr, kReaderEventLog, REG_NONE, 0, 0, kWeightNote, kWeightNone,
     kWeightNone, kNotWritten, 0, 0, nullptr, nullptr},
    {HX_KEY_GROUP_ORDER, "List", kReaderLoader | kReaderServiceController, REG_MULTI_SZ, 0, 0,
     kWeightNote, kWeightNote, kWeightNote, kNotWritten, 0, 0, nullptr, nullptr},
    // Written before the driver's keys, unless the caller skips it.
    {HX_KEY_MEMORY_MANAGEMENT, "NonPagedPoolSize", kReaderMemoryManager, REG_DWORD, 0, kAny,
     kWeightNone, kWeightNone, kWeightNone, kWrittenDword, 4, 0, nullptr,
     &CDriverConfig::NonPagedPoolSize},
};

const int kValueRuleCount = sizeof kValueRules / sizeof kValueRules[0];

const ValueRule* FindValueRule(const char* pszName) {
    for (int i = 0; i < kValueRuleCount; ++i)
        if (kValueRules[i].pszName != nullptr && strcmp(kValueRules[i].pszName, pszName) == 0)
            return &kValueRules[i];
    return nullptr;
}

// The values of one key as the model lays them out, in its order.
void CDriverConfig::PlanValues(const char* pszKey, CRegPlan* pPlan) const {
    for (int i = 0; i < kValueRuleCount; ++i) {
        const ValueRule& rule = kValueRules[i];
        if (strcmp(rule.pszKey, pszKey) != 0)
            continue;
        if (rule.source == kWrittenDword)
            pPlan->SetDword(rule.pszName, this->*rule.pdwField);
        else if (rule.source == kWrittenDosDevice)
            pPlan->SetValue(rule.pszName, rule.dwType, DosDevice, rule.cbWritten);
        else if (rule.source == kWrittenConstant && rule.pszWritten == nullptr)
            pPlan->SetDword(rule.pszName, rule.dwWritten);
        else if (rule.source == kWrittenConstant)
            pPlan->SetValue(rule.pszName, rule.dwType, rule.pszWritten, rule.cbWritten);
    }
}
