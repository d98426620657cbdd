// A Windows NT machine as the program expects to find it, and what a user sees of the dialog:
// shared by the native tests and the native benchmark, so it needs no test framework.
#pragma once

#include <sim/machine.h>
#include <sim/ui.h>

#include <string>
#include <vector>

#include "ui/HxSetupDlg.h"
#include "ui/MainDialogView.h"

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

// A fixed drive of `clusters` clusters, by default of one 512-byte sector each, FAT, the second
// partition of the second disk: a small partition the driver could mirror. The setters change
// one thing each, for the rows that are about it.
class FixedDrive {
public:
    explicit FixedDrive(char letter, DWORD clusters, DWORD bytesPerSector = 512,
                        DWORD sectorsPerCluster = 1) {
        m_drive.letter = letter;
        m_drive.type = DRIVE_FIXED;
        m_drive.totalClusters = clusters;
        m_drive.bytesPerSector = bytesPerSector;
        m_drive.sectorsPerCluster = sectorsPerCluster;
        m_drive.fileSystem = "FAT";
        m_drive.device = "\\Device\\Harddisk1\\Partition2";
    }
    FixedDrive& FileSystem(const std::string& name) {
        m_drive.fileSystem = name;
        return *this;
    }
    FixedDrive& FreeClusters(DWORD clusters) {
        m_drive.freeClusters = clusters;
        return *this;
    }
    FixedDrive& Device(const std::string& name) {
        m_drive.device = name;
        return *this;
    }
    operator sim::Drive() const { return m_drive; }

private:
    sim::Drive m_drive;
};

// Where the system looks for the driver's image when its service key names none: the driver's
// installer has copied it there before it runs the set-up.
inline const std::string kDriverImage = "C:\\WINDOWS\\System32\\drivers\\HxVol.sys";

// The system keys as a fresh Windows NT has them, with the driver's image in place, on a machine
// whose only drive is a system disk far larger than any budget.
inline void SeedNtSystem(DWORD dwPoolSize = 0) {
    sim::SeedFile(kDriverImage);
    sim::SeedDword(kMemoryKey, "NonPagedPoolSize", dwPoolSize);
    sim::SeedMultiSz(kGroupOrderKey, "List", kNtGroups);
    sim::SeedKey("SYSTEM\\CurrentControlSet\\Services\\EventLog\\System");
    sim::AddDrive(FixedDrive('C', 1u << 20, 512, 8) // 4 GiB of 4 KiB clusters
                      .FileSystem("NTFS")
                      .Device("\\Device\\Harddisk0\\Partition1"));
}

// What the main dialog's painted panels show is read from the dialog itself, through the rules
// it paints them by; how they look is left to the end-to-end suite. The framework keeps the
// dialog object in its window's DWLP_USER slot.
inline CHxSetupDlg& MainDialogOf(HWND hwnd) {
    return *static_cast<CHxSetupDlg*>(
        reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER)));
}

// The properties panel's lines for the drive last picked; none before a pick.
inline std::vector<std::string> PropertiesShown(HWND hwnd) {
    std::vector<std::string> out;
    if (const DriveEntry* pEntry = MainDialogOf(hwnd).m_pSelected) {
        PanelLine lines[kPropertiesLineCount];
        MakePropertiesLines(*pEntry, lines);
        for (const PanelLine& line : lines)
            out.push_back(line.szText);
    }
    return out;
}

// Panels painted so far: each takes a device context of its own, and nothing else the program
// does takes one.
inline std::size_t PanelsPainted() {
    std::size_t n = 0;
    for (const auto& call : sim::FallibleCalls())
        n += call.api == sim::Api::GetDC;
    return n;
}

} // namespace hxtest
