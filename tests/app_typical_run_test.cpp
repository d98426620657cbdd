// The typical first run after an installation, step by step, as the administrator sees it and
// as the registry records it.
#include <sim/ui.h>

#include "app/HxSetupApp.h"
#include "hx_test_support.h"
#include "res/resource.h"

using namespace hxtest;

namespace {

std::vector<BYTE> Dword(DWORD v) {
    return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
}

class TypicalRun : public MachineTest {};

TEST_F(TypicalRun, FromTheInstallersNoticeToTheRamDiskWritten) {
    // A 32 MiB machine with the system's default pool, a system disk far larger than any
    // budget, and a small FAT partition that fits.
    SeedNtSystem(0);
    sim::SetTotalPhys(33554432);
    sim::AddDrive(FixedDrive('D', 4096).Device("\\Device\\Harddisk1\\Partition2")); // 2 MiB

    sim::ui::OnDialog(IDD_HXSETUP_DIALOG, [](sim::ui::Dialog& d) {
        // The notice is gone and nothing of ours is active: the main dialog has no owner.
        EXPECT_EQ(GetWindow(d.hwnd(), GW_OWNER), nullptr);
        // 5. Every fixed drive below the 8 MiB budget, then the RAM disk of 8 MiB.
        EXPECT_EQ(d.Text(IDC_SYSTEM_MEMORY), "System Memory:    32 MB");
        EXPECT_EQ(d.Text(IDC_USABLE_MEMORY), "Usable Memory:     8 MB");
        EXPECT_EQ(d.ListRows(IDC_DRIVE_LIST),
                  (std::vector<std::string>{" D:               2048               ...",
                                            " S:               8192               ..."}));
        EXPECT_EQ(d.ListImages(IDC_DRIVE_LIST), (std::vector<int>{3, 2}));
        // ... and after 200 milliseconds the start status, for a driver never configured.
        EXPECT_EQ(PanelsPainted(), 0u);
        sim::ui::AdvanceClock(200);
        EXPECT_EQ(PanelsPainted(), 1u);
        EXPECT_STREQ(MainDialogOf(d.hwnd()).m_strStatus, "Running on drive ");

        // 6. The user clicks "S:", sees its properties, and configures it.
        EXPECT_FALSE(d.Visible(IDC_SELECT_DRIVE));
        d.ClickListRow(IDC_DRIVE_LIST, 1);
        EXPECT_TRUE(d.Enabled(IDC_DRIVE_PROPERTIES));
        EXPECT_EQ(PropertiesShown(d.hwnd()),
                  (std::vector<std::string>{"S:      (Ram Disk)", "Drive type:    FAT",
                                            "If selected, this device is created",
                                            "automatically during the next", "system reboot."}));
        d.Click(IDC_SELECT_DRIVE);
        EXPECT_EQ(PanelsPainted(), 3u) << "the start status, the properties, the new status";

        // 7. OK.
        d.Click(IDOK);
    });

    // 1. The installer's text, on the command line as the installer passes it.
    sim::SetCommandLine("HxSetup.exe Halcyonix Installation Successful");
    AfxWinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 1);

    ExpectBoxes({{true, "Halcyonix Installation Successful", "Setup Complete", MB_OK}});
    EXPECT_EQ(sim::ui::UnscriptedDialogs(), 0u);

    // 3. Preparation: the group before "filter", the event log source.
    std::vector<std::string> groups = kNtGroups;
    groups.insert(groups.begin() + 6, "Halcyonix");
    EXPECT_EQ(sim::GetValue(kGroupOrderKey, "List")->data, MultiSz(groups));
    EXPECT_EQ(sim::GetDword(kEventSourceKey, "TypesSupported"), 7u);

    // 7. The pool size, the service key and the Parameters key.
    EXPECT_EQ(sim::GetDword(kMemoryKey, "NonPagedPoolSize"), 0u);
    const struct {
        const std::string& key;
        const char* name;
        DWORD type;
        std::vector<BYTE> data;
    } written[] = {
        {kServiceKey, "Start", REG_DWORD, Dword(0)},
        {kServiceKey, "Type", REG_DWORD, Dword(1)},
        {kServiceKey, "ErrorControl", REG_DWORD, Dword(1)},
        {kServiceKey, "Group", REG_SZ, Bytes(std::string("Halcyonix\0", 10))},
        {kParametersKey, "BreakOnEntry", REG_DWORD, Dword(0)},
        {kParametersKey, "DebugLevel", REG_DWORD, Dword(0)},
        {kParametersKey, "Drive", REG_DWORD, Dword(0)},
        {kParametersKey, "Partition", REG_DWORD, Dword(0)},
        {kParametersKey, "DiskSize", REG_DWORD, Dword(8388608)},
        // Two bytes handed over; the registry, as NT's does, counts the NUL after them.
        {kParametersKey, "DosDevice", REG_SZ, Bytes(std::string("S:\0", 3))},
    };
    for (const auto& w : written) {
        auto v = sim::GetValue(w.key, w.name);
        ASSERT_TRUE(v.has_value()) << w.name;
        EXPECT_EQ(v->type, w.type) << w.name;
        EXPECT_EQ(v->data, w.data) << w.name;
    }
    EXPECT_EQ(sim::ui::OutstandingDCs(), 0u);
    EXPECT_EQ(sim::ui::OutstandingGdiObjects(), 0u);
    EXPECT_TRUE(sim::Misuses().empty());
}

} // namespace
