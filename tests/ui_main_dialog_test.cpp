// The main dialog driven by a scripted user: memory figures, rows, the pick, the two commands,
// the painted panels, the start timer, help, and the failures of the drive list.
#include <gtest/gtest.h>
#include <sim/machine.h>
#include <sim/ui.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "config/DriverConfig.h"
#include "hx_test_support.h"
#include "platform/CWinApp.h"
#include "res/resource.h"
#include "ui/HxSetupDlg.h"
#include "ui/PanelLayout.h"

namespace {

using hxtest::FixedDrive;

const DWORD kMiB = 1048576;
const char kHelpFile[] = "C:\\Program Files\\Halcyonix\\HxSetup.HLP";

using Script = std::function<void(sim::ui::Dialog&, CHxSetupDlg&)>;

// A machine lists at least one drive; a CD-ROM drive is never a candidate.
void AddOtherDrive() {
    sim::Drive cdrom;
    cdrom.letter = 'Z';
    cdrom.type = DRIVE_CDROM;
    sim::AddDrive(cdrom);
}

std::string Row(const char* pszName, int nKilobytes) {
    char sz[64];
    std::snprintf(sz, sizeof sz, " %s        %11d               ...", pszName, nKilobytes);
    return sz;
}

struct Drawn {
    int x, y;
    std::string text;
    bool operator==(const Drawn& o) const { return x == o.x && y == o.y && text == o.text; }
};
std::ostream& operator<<(std::ostream& os, const Drawn& d) {
    return os << "(" << d.x << "," << d.y << ") \"" << d.text << "\"";
}

// Texts drawn since the last repaint, in order, whose y lies within [top, bottom).
std::vector<Drawn> TextsIn(HWND hwnd, int top, int bottom) {
    std::vector<Drawn> out;
    for (const auto& t : sim::ui::SurfaceOf(hwnd).texts)
        if (t.y >= top && t.y < bottom)
            out.push_back({t.x, t.y, t.text});
    return out;
}
std::vector<Drawn> PropertiesTexts(HWND hwnd) {
    return TextsIn(hwnd, kPropertiesRect.top, kPropertiesRect.bottom);
}
std::vector<Drawn> StatusTexts(HWND hwnd) {
    return TextsIn(hwnd, kStatusRect.top, kStatusRect.bottom);
}

// Where a status line of that text starts.
int CentreX(const std::string& text) {
    return (170 - sim::ui::TextWidth(text.data(), static_cast<int>(text.size()))) / 2 + 234;
}

size_t FillsOf(HWND hwnd, COLORREF colour) {
    size_t n = 0;
    for (const auto& f : sim::ui::SurfaceOf(hwnd).fills)
        n += f.colour == colour;
    return n;
}

class MainDialogTest : public hxtest::MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        AddOtherDrive();
        g_pDriverConfig = &m_config;
    }
    void TearDown() override {
        g_pDriverConfig = nullptr;
        EXPECT_EQ(sim::ui::UnscriptedDialogs(), 0u);
        EXPECT_EQ(sim::ui::LiveTimerCount(), 0u);
        EXPECT_EQ(sim::ui::OutstandingDCs(), 0u);
        EXPECT_EQ(sim::ui::OutstandingGdiObjects(), 0u);
        MachineTest::TearDown();
    }

    INT_PTR Run(DWORD dwTotal, DWORD dwUsable, Script script) {
        CHxSetupDlg dlg;
        dlg.m_dwTotalMemory = dwTotal;
        dlg.m_dwUsableMemory = dwUsable;
        dlg.m_strStatus = "Running on drive S:";
        sim::ui::OnDialog(IDD_HXSETUP_DIALOG, [&](sim::ui::Dialog& d) { script(d, dlg); });
        return dlg.DoModal();
    }

    // Extend Pool Memory with the pool size dialog answered by `pool`.
    // The pool dialog is modal to the main dialog: owned by it, which takes no input meanwhile.
    static void Extend(sim::ui::Dialog& d, std::function<void(sim::ui::Dialog&)> pool) {
        const HWND hMain = d.hwnd();
        sim::ui::OnDialog(IDD_POOLSIZE, [=](sim::ui::Dialog& p) {
            EXPECT_EQ(GetWindow(p.hwnd(), GW_OWNER), hMain);
            EXPECT_FALSE(d.Enabled(0)) << "main dialog while the pool dialog runs";
            pool(p);
        });
        d.Click(IDC_EXTEND_POOL);
        EXPECT_TRUE(d.Enabled(0)) << "main dialog after the pool dialog";
    }
    static void ChooseMaximum(sim::ui::Dialog& p) {
        p.Click(IDC_POOL_MAXIMUM);
        p.Enter();
    }
    static void OkAtOnce(sim::ui::Dialog& p) { p.Enter(); }

    CDriverConfig m_config;
};

// ---- opening ----

TEST_F(MainDialogTest, OpensWithNoPickAndTheListPrepared) {
    Run(32 * kMiB, 8 * kMiB, [](sim::ui::Dialog& d, CHxSetupDlg&) {
        EXPECT_FALSE(d.Enabled(IDC_DRIVE_PROPERTIES));
        EXPECT_FALSE(d.Visible(IDC_SELECT_DRIVE));
        EXPECT_FALSE(d.Enabled(ID_HELP));
        EXPECT_FALSE(d.Visible(ID_HELP));
        EXPECT_EQ(d.ListColumns(IDC_DRIVE_LIST),
                  std::vector<std::string>{" Drive           Size(KB)"});
        EXPECT_EQ(d.ListColumnWidth(IDC_DRIVE_LIST, 0), 172);
        EXPECT_EQ(d.ListItemCountHint(IDC_DRIVE_LIST), 32);
        EXPECT_EQ(d.FocusId(), IDOK);
        EXPECT_TRUE(sim::ui::SurfaceOf(d.hwnd()).fills.empty()) << "no panel before the timer";
        d.Esc();
    });
}

// The dialog is centred on the work area and kept on it; one larger than the work area keeps
// its top left corner there, so its caption and system menu stay within reach. The dialog is
// 431 x 461 pixels: its client area of 425 x 436, a frame of 3 and a caption of 19.
struct PlacementCase {
    const char* name;
    RECT workArea;
    POINT topLeft;
};

const PlacementCase kPlacementCases[] = {
    {"centred: margins of 592 and 278", {0, 0, 1023, 739}, {296, 139}},
    {"centred beside a task bar at the left and top", {100, 40, 1023, 739}, {346, 159}},
    {"exactly its size", {100, 40, 531, 501}, {100, 40}},
    {"a pixel too small each way", {100, 40, 530, 500}, {100, 40}},
    {"far too small", {0, 0, 400, 300}, {0, 0}},
    {"too short only: centred across", {0, 0, 1023, 300}, {296, 0}},
};

class MainPlacementTest : public MainDialogTest,
                          public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(MainPlacementTest, KeepsTheCaptionOnTheWorkArea) {
    const PlacementCase& c = GetParam();
    sim::ui::SetWorkArea(c.workArea);
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg&) {
        RECT r = d.WindowRect();
        EXPECT_EQ(r.right - r.left, 431) << "the size the rows are worked out for";
        EXPECT_EQ(r.bottom - r.top, 461) << "the size the rows are worked out for";
        EXPECT_EQ(r.left, c.topLeft.x) << c.name;
        EXPECT_EQ(r.top, c.topLeft.y) << c.name;
        d.Esc();
    });
}

INSTANTIATE_TEST_SUITE_P(WorkAreas, MainPlacementTest, ::testing::ValuesIn(kPlacementCases));

struct FiguresCase {
    DWORD total;
    DWORD usable;
    const char* system;
    const char* usableText;
};

const FiguresCase kFiguresCases[] = {
    {67108864, 16777216, "System Memory:    65 MB", "Usable Memory:    16 MB"},
    {33554432, 3145728, "System Memory:    32 MB", "Usable Memory:     3 MB"},
    {16000000, 3145728, "System Memory:    15 MB", "Usable Memory:     3 MB"},
};

class MainFiguresTest : public MainDialogTest, public ::testing::WithParamInterface<FiguresCase> {};

TEST_P(MainFiguresTest, ShowsMemoryInUnitsOf1024000) {
    const FiguresCase& c = GetParam();
    Run(c.total, c.usable, [&](sim::ui::Dialog& d, CHxSetupDlg&) {
        EXPECT_EQ(d.Text(IDC_SYSTEM_MEMORY), c.system);
        EXPECT_EQ(d.Text(IDC_USABLE_MEMORY), c.usableText);
        d.Esc();
    });
}

INSTANTIATE_TEST_SUITE_P(Machines, MainFiguresTest, ::testing::ValuesIn(kFiguresCases));

struct RowsCase {
    const char* name;
    std::vector<sim::Drive> drives;
    DWORD usable;
    std::vector<std::string> rows;
    std::vector<int> images;
};

const RowsCase kRowsCases[] = {
    {"fixed drive of 10 MiB",
     {FixedDrive('D', 10485760, 1)},
     12582912,
     {Row("D:", 10240), Row("S:", 12288)},
     {3, 2}},
    {"remainder dropped",
     {FixedDrive('D', 10486783, 1)},
     12582912,
     {Row("D:", 10240), Row("S:", 12288)},
     {3, 2}},
    {"RAM disk only", {}, 8388608, {Row("S:", 8192)}, {2}},
    {"two drives in letter order",
     {FixedDrive('C', 1024, 1), FixedDrive('E', 2048, 1)},
     8388608,
     {Row("C:", 1), Row("E:", 2), Row("S:", 8192)},
     {3, 3, 2}},
};

class MainRowsTest : public MainDialogTest, public ::testing::WithParamInterface<RowsCase> {};

TEST_P(MainRowsTest, OneRowPerEntry) {
    const RowsCase& c = GetParam();
    for (const auto& drive : c.drives)
        sim::AddDrive(drive);
    Run(32 * kMiB, c.usable, [&](sim::ui::Dialog& d, CHxSetupDlg&) {
        EXPECT_EQ(d.ListRows(IDC_DRIVE_LIST), c.rows) << c.name;
        EXPECT_EQ(d.ListImages(IDC_DRIVE_LIST), c.images) << c.name;
        d.Esc();
    });
}

INSTANTIATE_TEST_SUITE_P(Chains, MainRowsTest, ::testing::ValuesIn(kRowsCases));

struct EndCase {
    const char* name;
    std::function<void(sim::ui::Dialog&)> end;
    INT_PTR result;
};

const EndCase kEndCases[] = {
    {"Enter", [](sim::ui::Dialog& d) { d.Enter(); }, IDOK},
    {"OK button", [](sim::ui::Dialog& d) { d.Click(IDOK); }, IDOK},
    {"Esc", [](sim::ui::Dialog& d) { d.Esc(); }, IDCANCEL},
    {"Cancel button", [](sim::ui::Dialog& d) { d.Click(IDCANCEL); }, IDCANCEL},
    {"close box", [](sim::ui::Dialog& d) { d.CloseBox(); }, IDCANCEL},
};

class MainEndTest : public MainDialogTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(MainEndTest, EndsWithItsResult) {
    const EndCase& c = GetParam();
    INT_PTR result = Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg&) { c.end(d); });
    EXPECT_EQ(result, c.result) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Ways, MainEndTest, ::testing::ValuesIn(kEndCases));

// ---- the pick ----

enum ListAction { kClickRow0, kClickRow1, kClickBelow, kKeyDown };

struct PickCase {
    const char* name;
    std::vector<ListAction> actions;
    const char* picked; // properties line 1 last drawn; nullptr: no pick
};

const PickCase kPickCases[] = {
    {"row 0", {kClickRow0}, "C:     (Hard Disk)"},
    {"row 1", {kClickRow1}, "S:      (Ram Disk)"},
    {"below the rows before any focus", {kClickBelow}, nullptr},
    {"the keyboard alone picks nothing", {kClickRow0, kKeyDown}, "C:     (Hard Disk)"},
    {"a click below picks the focused row",
     {kClickRow0, kKeyDown, kClickBelow},
     "S:      (Ram Disk)"},
    {"a later click picks again", {kClickRow1, kClickRow0}, "C:     (Hard Disk)"},
};

class MainPickTest : public MainDialogTest, public ::testing::WithParamInterface<PickCase> {};

TEST_P(MainPickTest, PicksTheFocusedRow) {
    const PickCase& c = GetParam();
    sim::AddDrive(FixedDrive('C', 4 * kMiB, 1).FileSystem("NTFS"));
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        for (ListAction a : c.actions) {
            switch (a) {
            case kClickRow0:
                d.ClickListRow(IDC_DRIVE_LIST, 0);
                break;
            case kClickRow1:
                d.ClickListRow(IDC_DRIVE_LIST, 1);
                break;
            case kClickBelow:
                d.ClickListBelowRows(IDC_DRIVE_LIST);
                break;
            case kKeyDown:
                d.ListKeyDown(IDC_DRIVE_LIST, VK_DOWN);
                break;
            }
        }
        EXPECT_EQ(d.Enabled(IDC_DRIVE_PROPERTIES), c.picked != nullptr) << c.name;
        EXPECT_EQ(d.Visible(IDC_SELECT_DRIVE), c.picked != nullptr) << c.name;
        std::vector<Drawn> texts = TextsIn(d.hwnd(), 180, 181);
        if (c.picked == nullptr) {
            EXPECT_TRUE(texts.empty()) << c.name;
            EXPECT_EQ(dlg.m_pSelected, nullptr) << c.name;
        } else {
            ASSERT_FALSE(texts.empty()) << c.name;
            EXPECT_EQ(texts.back().text, c.picked) << c.name;
            ASSERT_NE(dlg.m_pSelected, nullptr);
            EXPECT_EQ(std::string(dlg.m_pSelected->szDriveName), std::string(c.picked, 2));
        }
        d.Esc();
    });
}

INSTANTIATE_TEST_SUITE_P(Clicks, MainPickTest, ::testing::ValuesIn(kPickCases));

// ---- the panels ----

struct PanelCase {
    const char* name;
    int row;
    std::vector<Drawn> texts;
};

const PanelCase kPanelCases[] = {
    {"RAM disk",
     1,
     {{28, 180, "S:      (Ram Disk)"},
      {28, 195, "Drive type:    FAT"},
      {28, 240, "If selected, this device is created"},
      {28, 252, "automatically during the next"},
      {28, 264, "system reboot."}}},
    {"mirrored drive",
     0,
     {{28, 180, "C:     (Hard Disk)"},
      {28, 195, "Drive type:   NTFS"},
      {28, 240, "If selected, a mirror image of"},
      {28, 252, "this drive is created in memory"},
      {28, 264, "the next time your system boots."}}},
};

class MainPanelTest : public MainDialogTest, public ::testing::WithParamInterface<PanelCase> {};

TEST_P(MainPanelTest, PropertiesPanel) {
    const PanelCase& c = GetParam();
    sim::AddDrive(FixedDrive('C', 4 * kMiB, 1).FileSystem("NTFS"));
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        d.ClickListRow(IDC_DRIVE_LIST, c.row);
        const sim::ui::Surface& s = sim::ui::SurfaceOf(d.hwnd());
        ASSERT_EQ(s.fills.size(), 1u) << c.name;
        EXPECT_EQ(s.fills[0].colour, kPropertiesColour);
        const RECT& r = s.fills[0].rect;
        EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}),
                  std::vector<LONG>({kPropertiesRect.left, kPropertiesRect.top,
                                     kPropertiesRect.right, kPropertiesRect.bottom}));
        EXPECT_EQ(PropertiesTexts(d.hwnd()), c.texts) << c.name;
        for (const auto& t : s.texts) {
            EXPECT_EQ(t.font, dlg.m_font.m_hFont) << t.text;
            EXPECT_EQ(t.bkMode, TRANSPARENT) << t.text;
            EXPECT_EQ(t.textColour, 0u) << t.text;
        }
        d.Esc();
    });
}

INSTANTIATE_TEST_SUITE_P(Entries, MainPanelTest, ::testing::ValuesIn(kPanelCases));

// 171 and 175 show that the half of a negative remainder truncates toward zero (-1 / 2 is 0 and
// -5 / 2 is -2, where rounding down would give -1 and -3).
struct CentreCase {
    int width;
    int x;
};

const CentreCase kCentreCases[] = {{165, 236}, {169, 234}, {170, 234}, {171, 234},
                                   {172, 233}, {175, 232}, {180, 229}};

// A line of exactly that many pixels in sim's metric: characters, then blanks for the rest.
std::string LineOfWidth(int width) {
    int blanks = 0;
    while ((width - blanks * sim::ui::kBlankWidth) % sim::ui::kCharWidth != 0)
        ++blanks;
    int chars = (width - blanks * sim::ui::kBlankWidth) / sim::ui::kCharWidth;
    return std::string(chars, 'x') + std::string(blanks, ' ');
}

class MainCentreTest : public MainDialogTest, public ::testing::WithParamInterface<CentreCase> {};

TEST_P(MainCentreTest, StatusLinesAreCentred) {
    const CentreCase& c = GetParam();
    std::string line = LineOfWidth(c.width);
    ASSERT_EQ(sim::ui::TextWidth(line.data(), static_cast<int>(line.size())), c.width);
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        dlg.DrawStatus(line.c_str(), line.c_str());
        EXPECT_EQ(StatusTexts(d.hwnd()), (std::vector<Drawn>{{c.x, 120, line}, {c.x, 136, line}}));
        const sim::ui::Surface& s = sim::ui::SurfaceOf(d.hwnd());
        ASSERT_EQ(s.fills.size(), 1u);
        const RECT& r = s.fills[0].rect;
        EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}),
                  std::vector<LONG>(
                      {kStatusRect.left, kStatusRect.top, kStatusRect.right, kStatusRect.bottom}));
        EXPECT_EQ(s.fills[0].colour, kStatusColour);
        d.Esc();
    });
}

INSTANTIATE_TEST_SUITE_P(Widths, MainCentreTest, ::testing::ValuesIn(kCentreCases));

TEST_F(MainDialogTest, RepaintWipesThePanelsAndOneLineStatusLeavesOneLine) {
    Run(32 * kMiB, 8 * kMiB, [](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        d.ClickListRow(IDC_DRIVE_LIST, 0);
        dlg.DrawStatus("one", "two");
        d.Repaint();
        EXPECT_TRUE(sim::ui::SurfaceOf(d.hwnd()).texts.empty()) << "panels are not repainted";
        dlg.DrawStatus("only", nullptr);
        EXPECT_EQ(StatusTexts(d.hwnd()), (std::vector<Drawn>{{309, 120, "only"}}));
        d.Esc();
    });
}

// ---- the start timer ----

TEST_F(MainDialogTest, StartStatusShowsOnceAfter200Milliseconds) {
    Run(32 * kMiB, 8 * kMiB, [](sim::ui::Dialog& d, CHxSetupDlg&) {
        sim::ui::AdvanceClock(199);
        EXPECT_EQ(FillsOf(d.hwnd(), kStatusColour), 0u);
        sim::ui::AdvanceClock(1);
        EXPECT_EQ(StatusTexts(d.hwnd()), (std::vector<Drawn>{{273, 120, "Running on drive S:"}}));
        EXPECT_EQ(sim::ui::LiveTimerCount(), 0u);
        sim::ui::AdvanceClock(5000);
        EXPECT_EQ(FillsOf(d.hwnd(), kStatusColour), 1u) << "shown once";
        d.Esc();
    });
}

TEST_F(MainDialogTest, NoStartStatusWithoutTimer) {
    sim::InjectFault({sim::Api::SetTimer});
    Run(32 * kMiB, 8 * kMiB, [](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        EXPECT_EQ(dlg.m_nStartTimer, 0u);
        sim::ui::AdvanceClock(1000);
        EXPECT_EQ(FillsOf(d.hwnd(), kStatusColour), 0u);
        d.Esc();
    });
}

TEST_F(MainDialogTest, FailedListAtOpeningLeavesTheDialogUsable) {
    sim::InjectFault({sim::Api::GetLogicalDriveStrings});
    INT_PTR result = Run(32 * kMiB, 8 * kMiB, [](sim::ui::Dialog& d, CHxSetupDlg&) {
        EXPECT_TRUE(d.ListRows(IDC_DRIVE_LIST).empty());
        EXPECT_EQ(sim::ui::LiveTimerCount(), 0u);
        sim::ui::AdvanceClock(1000);
        EXPECT_EQ(FillsOf(d.hwnd(), kStatusColour), 0u) << "the start status is never shown";
        d.Enter();
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].text, "Internal error: GetDriveLogicalStrings() failed");
}

// ---- Select/Configure Drive ----

struct SelectCase {
    const char* name;
    int row;
    DWORD drive, partition, diskSize;
    const char* dosDevice;
};

const SelectCase kSelectCases[] = {
    {"RAM disk", 1, 0, 0, 8 * kMiB, "S:"},
    {"mirrored drive", 0, 1, 2, 0, "C:"},
};

class MainSelectTest : public MainDialogTest, public ::testing::WithParamInterface<SelectCase> {};

TEST_P(MainSelectTest, CopiesThePickIntoTheRecord) {
    const SelectCase& c = GetParam();
    sim::AddDrive(FixedDrive('C', 4 * kMiB, 1).FileSystem("NTFS"));
    m_config.Start = 4;
    m_config.Drive = 9;
    m_config.Partition = 9;
    m_config.DiskSize = 12345;
    m_config.NonPagedPoolSize = 777;
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg&) {
        d.ClickListRow(IDC_DRIVE_LIST, c.row);
        d.Click(IDC_SELECT_DRIVE);
        std::string line1 = std::string("Drive ") + c.dosDevice + " configured";
        EXPECT_EQ(StatusTexts(d.hwnd()),
                  (std::vector<Drawn>{{CentreX(line1), 120, line1},
                                      {261, 136, "Click on \"OK\" to confirm"}}));
        d.Esc();
    });
    EXPECT_EQ(m_config.Start, 0u) << c.name;
    EXPECT_EQ(m_config.Drive, c.drive) << c.name;
    EXPECT_EQ(m_config.Partition, c.partition) << c.name;
    EXPECT_EQ(m_config.DiskSize, c.diskSize) << c.name;
    EXPECT_STREQ(m_config.DosDevice, c.dosDevice) << c.name;
    EXPECT_EQ(m_config.NonPagedPoolSize, 777u) << "not the main dialog's field";
}

INSTANTIATE_TEST_SUITE_P(Entries, MainSelectTest, ::testing::ValuesIn(kSelectCases));

// ---- Extend Pool Memory ----

struct ExtendCase {
    DWORD diskSizeBefore;
    const char* line2;
    DWORD diskSizeAfter;
    DWORD storedPool = 0; // the pool size the record holds when the pool dialog opens
    bool maximum = true;  // Maximum then OK; else OK at once, on what the dialog shows
};

// 32 MiB with the pool at its maximum (16 MiB) leaves a budget of 12,582,912 bytes. A stored pool
// size above 75 % (28 MiB) opens the dialog at 75, so OK at once comes to the same.
const ExtendCase kExtendCases[] = {
    {12582912, "Device choice list updated", 12582912},
    {12582913, "Ram Disk auto resized", 12582912},
    {0, "Device choice list updated", 0},
    {0, "Device choice list updated", 0, 28 * kMiB, false},
};

class MainExtendTest : public MainDialogTest, public ::testing::WithParamInterface<ExtendCase> {};

TEST_P(MainExtendTest, RebuildsForTheNewBudget) {
    const ExtendCase& c = GetParam();
    sim::AddDrive(FixedDrive('C', 10 * kMiB, 1));
    m_config.DiskSize = c.diskSizeBefore;
    m_config.NonPagedPoolSize = c.storedPool;
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        EXPECT_EQ(d.ListRows(IDC_DRIVE_LIST), std::vector<std::string>{Row("S:", 8192)});
        Extend(d, c.maximum ? ChooseMaximum : OkAtOnce);
        EXPECT_EQ(dlg.m_dwUsableMemory, 12582912u);
        EXPECT_EQ(d.Text(IDC_USABLE_MEMORY), "Usable Memory:    12 MB");
        EXPECT_EQ(d.Text(IDC_SYSTEM_MEMORY), "System Memory:    32 MB");
        EXPECT_EQ(d.ListRows(IDC_DRIVE_LIST),
                  (std::vector<std::string>{Row("C:", 10240), Row("S:", 12288)}));
        EXPECT_EQ(d.ListImages(IDC_DRIVE_LIST), (std::vector<int>{3, 2}));
        std::vector<Drawn> status = StatusTexts(d.hwnd());
        ASSERT_EQ(status.size(), 2u);
        EXPECT_EQ(status[0].text, "Non-Paged Pool reset to 12MB");
        EXPECT_EQ(status[1].text, c.line2);
        d.Esc();
    });
    EXPECT_EQ(m_config.DiskSize, c.diskSizeAfter);
    EXPECT_EQ(m_config.NonPagedPoolSize, 16777216u);
}

INSTANTIATE_TEST_SUITE_P(DiskSizes, MainExtendTest, ::testing::ValuesIn(kExtendCases));

TEST_F(MainDialogTest, SelectAfterExtendDoesNothing) {
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        d.ClickListRow(IDC_DRIVE_LIST, 0);
        Extend(d, ChooseMaximum);
        EXPECT_EQ(dlg.m_pSelected, nullptr);
        EXPECT_TRUE(d.Enabled(IDC_DRIVE_PROPERTIES)) << "controls keep their state";
        EXPECT_TRUE(d.Visible(IDC_SELECT_DRIVE));
        const size_t nFills = sim::ui::SurfaceOf(d.hwnd()).fills.size();
        d.Click(IDC_SELECT_DRIVE);
        EXPECT_EQ(sim::ui::SurfaceOf(d.hwnd()).fills.size(), nFills) << "status not redrawn";
        d.Esc();
    });
    EXPECT_STREQ(m_config.DosDevice, "");
    EXPECT_NE(m_config.Start, 0u);
}

TEST_F(MainDialogTest, CancelledPoolDialogChangesNothing) {
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        sim::ui::AdvanceClock(200);
        Extend(d, [&](sim::ui::Dialog& p) {
            // The main dialog's own buttons do nothing until the pool dialog is closed.
            d.Click(IDOK);
            d.Click(IDC_EXTEND_POOL);
            EXPECT_TRUE(d.IsOpen());
            p.Esc();
        });
        EXPECT_EQ(sim::ui::DialogsRun(), (std::vector<int>{IDD_HXSETUP_DIALOG, IDD_POOLSIZE}));
        EXPECT_TRUE(d.IsOpen());
        EXPECT_EQ(dlg.m_dwUsableMemory, 8 * kMiB);
        EXPECT_EQ(d.Text(IDC_USABLE_MEMORY), "Usable Memory:     8 MB");
        EXPECT_EQ(FillsOf(d.hwnd(), kStatusColour), 1u) << "only the start status";
        d.Esc();
    });
}

TEST_F(MainDialogTest, FailedListAfterExtendLeavesTheListEmpty) {
    sim::InjectFault({sim::Api::GetLogicalDriveStrings, 2});
    Run(32 * kMiB, 8 * kMiB, [&](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        Extend(d, ChooseMaximum);
        EXPECT_TRUE(d.ListRows(IDC_DRIVE_LIST).empty());
        EXPECT_EQ(dlg.m_pDrives, nullptr);
        EXPECT_EQ(d.Text(IDC_USABLE_MEMORY), "Usable Memory:    12 MB");
        std::vector<Drawn> status = StatusTexts(d.hwnd());
        ASSERT_EQ(status.size(), 2u);
        EXPECT_EQ(status[0].text, "Non-Paged Pool reset to 12MB");
        d.Esc();
    });
}

TEST_F(MainDialogTest, QueryDragIconAnswersTheIcon) {
    Run(32 * kMiB, 8 * kMiB, [](sim::ui::Dialog& d, CHxSetupDlg& dlg) {
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(d.hwnd(), WM_QUERYDRAGICON, 0, 0)),
                  dlg.m_hIcon);
        EXPECT_NE(dlg.m_hIcon, nullptr);
        d.Esc();
    });
}

// ---- help, through the whole program ----

struct HelpCase {
    const char* name;
    bool shift, ctrl, alt;
    bool asksForTopic;
    bool afterPoolDialog;
};

const HelpCase kHelpCases[] = {
    {"F1", false, false, false, true, false},
    {"Shift+F1", true, false, false, false, false},
    {"Ctrl+F1", false, true, false, false, false},
    {"Alt+F1", false, false, true, false, false},
    {"F1 after the pool dialog", false, false, false, true, true},
};

class HelpTest : public hxtest::MachineTest, public ::testing::WithParamInterface<HelpCase> {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        AddOtherDrive();
        hxtest::SeedNtSystem();
    }
};

TEST_P(HelpTest, F1AsksForTheMainDialogsTopic) {
    const HelpCase& c = GetParam();
    sim::ui::OnDialog(IDD_HXSETUP_DIALOG, [&](sim::ui::Dialog& d) {
        if (c.afterPoolDialog) {
            sim::ui::OnDialog(IDD_POOLSIZE, [](sim::ui::Dialog& p) { p.Esc(); });
            d.Click(IDC_EXTEND_POOL);
        }
        d.F1(c.shift, c.ctrl, c.alt);
        d.Esc();
    });
    AfxWinMain(NULL, NULL, const_cast<char*>(""), SW_SHOWNORMAL);

    std::vector<std::string> calls;
    for (const auto& h : sim::ui::HelpCalls())
        calls.push_back(h.file + " " + std::to_string(h.command) + " " + std::to_string(h.data));
    std::vector<std::string> expected;
    if (c.asksForTopic)
        expected.push_back(std::string(kHelpFile) + " 1 131174"); // HELP_CONTEXT 0x20066
    expected.push_back(std::string(kHelpFile) + " 2 0");          // HELP_QUIT at the end
    EXPECT_EQ(calls, expected) << c.name;
    hxtest::ExpectBoxes({});
}

INSTANTIATE_TEST_SUITE_P(Keys, HelpTest, ::testing::ValuesIn(kHelpCases));

TEST_F(MainDialogTest, HelpEngineThatCannotStartIsReported) {
    hxtest::SeedNtSystem();
    sim::InjectFault({sim::Api::WinHelp});
    g_pDriverConfig = nullptr; // the program makes its own record
    sim::ui::OnDialog(IDD_HXSETUP_DIALOG, [](sim::ui::Dialog& d) {
        d.F1();
        d.Esc();
    });
    AfxWinMain(NULL, NULL, const_cast<char*>(""), SW_SHOWNORMAL);
    hxtest::ExpectBoxes({hxtest::AppBox("Failed to launch help.")});
}

} // namespace
