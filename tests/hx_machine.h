// A Windows NT machine as the program expects to find it, and what a user sees of the dialog:
// shared by the native tests and the native benchmark, so it needs no test framework.
#pragma once

#include <sim/machine.h>
#include <sim/ui.h>

#include <string>
#include <vector>

namespace hxtest {

inline const std::string kMemoryKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
inline const std::string kGroupOrderKey = "SYSTEM\\CurrentControlSet\\Control\\ServiceGroupOrder";
inline const std::string kServiceKey = "SYSTEM\\CurrentControlSet\\Services\\HxVol";
inline const std::string kParametersKey = "SYSTEM\\CurrentControlSet\\Services\\HxVol\\Parameters";
inline const std::string kEventSourceKey =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\System\\HxVol";

inline std::vector<BYTE> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

// A multi-string's bytes: each item and its NUL, then the final empty string.
inline std::vector<BYTE> MultiSz(const std::vector<std::string>& items) {
    std::vector<BYTE> out;
    for (const std::string& s : items) {
        out.insert(out.end(), s.begin(), s.end());
        out.push_back(0);
    }
    out.push_back(0);
    return out;
}

inline const std::vector<std::string> kNtGroups = {"System Bus Extender",
                                                   "SCSI miniport",
                                                   "port",
                                                   "Primary disk",
                                                   "SCSI class",
                                                   "SCSI CDROM class",
                                                   "filter",
                                                   "boot file system",
                                                   "Base",
                                                   "Pointer Port"};

// The system keys as a fresh Windows NT has them, on a machine whose only drive is a system
// disk far larger than any budget.
inline void SeedNtSystem(DWORD dwPoolSize = 0) {
    sim::SeedDword(kMemoryKey, "NonPagedPoolSize", dwPoolSize);
    sim::SeedMultiSz(kGroupOrderKey, "List", kNtGroups);
    sim::SeedKey("SYSTEM\\CurrentControlSet\\Services\\EventLog\\System");
    sim::Drive system;
    system.letter = 'C';
    system.totalClusters = 1u << 20; // 4 GiB of 4 KiB clusters
    system.fileSystem = "NTFS";
    sim::AddDrive(system);
}

// The texts drawn in a band of a window's client area, top to bottom.
inline std::vector<std::string> TextsIn(HWND hwnd, int top, int bottom) {
    std::vector<std::string> out;
    for (const auto& t : sim::ui::SurfaceOf(hwnd).texts)
        if (t.y >= top && t.y < bottom)
            out.push_back(t.text);
    return out;
}

} // namespace hxtest
