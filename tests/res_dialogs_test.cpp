// Dialog templates 102 and 131 as the program's resource script defines them: every control's
// id, class, text, complete style and rectangle, in template (= tab) order.
#include <sim/resources.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "res/resource.h"

namespace {

struct ItemRow {
    int id;
    const char* cls;
    const char* text; // nullptr: wording free, checked separately
    DWORD style;
    int x, y, cx, cy;
};

struct DialogRow {
    int id;
    const char* caption;
    DWORD style;
    DWORD exStyle;
    int cx, cy;
    std::vector<ItemRow> items;
};

const char kPoolExplanation[] =
    "of available memory for NonPagedPool. The minimum is the platform defined default. The "
    "maximum is 75% of physical memory. It may be less, depending on your memory configuration. "
    "Click on Default to restore factory settings.";
const char kPoolIntro[] = "The maximum size for Halcyonix is directly related to the size of "
                          "system NonPaged Pool. Enter the percentage of memory to use for NP "
                          "Pool.";

const DialogRow kDialogs[] = {
    {102,
     "Tarnwell Setup Utility",
     0x90CA00C4, // pop-up, visible, caption, system menu, minimise box, modal frame, 3D, font
     0x00040000, // WS_EX_APPWINDOW
     283,
     268,
     {
         {1, "Button", "OK", 0x50010001, 217, 8, 45, 14},
         {2, "Button", "Cancel", 0x50010000, 217, 28, 45, 14},
         {1000, "SysListView32", "", 0x50818805, 11, 6, 123, 92},
         {-1, "Button", "Memory Budget", 0x50000007, 147, 116, 125, 64},
         {1001, "Button", "Drive Properties", 0x50000007, 11, 99, 123, 163},
         {57670, "Button", "&Help", 0x50010000, 157, 8, 45, 14},
         {-1, "Button", "Status", 0x50000007, 147, 59, 125, 55},
         {-1, "Button", "Tarnwell Inc.", 0x50000007, 147, 182, 125, 80},
         {1003, "Button", "&Select/Configure Drive", 0x50010000, 17, 240, 111, 13},
         {1004, "Button", "E&xtend Pool Memory", 0x50010000, 156, 160, 108, 13},
         {1005, "Static", "", 0x50020001, 156, 134, 108, 8},
         {1006, "Static", "", 0x50020001, 156, 143, 108, 8},
         {-1, "Static", nullptr, 0x50020001, 152, 194, 116, 33},
         {-1, "Static", nullptr, 0x50020001, 151, 232, 116, 25},
     }},
    {131,
     "Extend Halcyonix Maximum Size",
     0x80C800C0,
     0,
     183,
     164,
     {
         {1007, "Edit", "", 0x50810080, 67, 44, 29, 16},
         {1006, "msctls_updown32", "Spin1", 0x50000036, 102, 46, 14, 15},
         {1, "Button", "OK", 0x50000001, 105, 139, 44, 14},
         {2, "Button", "Cancel", 0x50000000, 33, 139, 44, 14},
         {1022, "Button", "&Default", 0x50000000, 33, 117, 44, 14},
         {1025, "Button", "&Maximum", 0x50000000, 105, 117, 44, 14},
         {-1, "Static", kPoolExplanation, 0x50020000, 13, 63, 156, 49},
         {-1, "Static", "%", 0x50020000, 121, 49, 8, 8},
         {-1, "Static", "Allocate", 0x50020002, 13, 49, 29, 8},
         {-1, "Static", kPoolIntro, 0x50020000, 13, 14, 156, 26},
     }},
};

class ResDialog : public ::testing::TestWithParam<DialogRow> {};

TEST_P(ResDialog, MatchesItsTable) {
    const DialogRow& want = GetParam();
    const sim::res::DialogTemplate* d = sim::res::FindDialog(want.id);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->id, want.id);
    EXPECT_EQ(d->caption, want.caption);
    EXPECT_EQ(d->fontFace, "MS Sans Serif");
    EXPECT_EQ(d->pointSize, 8);
    EXPECT_EQ(d->style, want.style) << std::hex << d->style;
    EXPECT_EQ(d->exStyle, want.exStyle) << std::hex << d->exStyle;
    EXPECT_EQ(d->cx, want.cx);
    EXPECT_EQ(d->cy, want.cy);
    ASSERT_EQ(d->items.size(), want.items.size());
    for (size_t i = 0; i < want.items.size(); ++i) {
        const ItemRow& w = want.items[i];
        const sim::res::DialogItem& c = d->items[i];
        SCOPED_TRACE(::testing::Message() << "item " << i << " id " << w.id);
        EXPECT_EQ(c.id, w.id);
        EXPECT_EQ(c.windowClass, w.cls);
        if (w.text != nullptr) {
            EXPECT_EQ(c.text, w.text);
        }
        EXPECT_EQ(c.style, w.style) << std::hex << c.style;
        EXPECT_EQ(c.exStyle, 0u);
        EXPECT_EQ(c.x, w.x);
        EXPECT_EQ(c.y, w.y);
        EXPECT_EQ(c.cx, w.cx);
        EXPECT_EQ(c.cy, w.cy);
    }
}

INSTANTIATE_TEST_SUITE_P(Templates, ResDialog, ::testing::ValuesIn(kDialogs),
                         [](const auto& info) { return "Dialog" + std::to_string(info.param.id); });

// The maker's box: a four-line support contact and a two-line notice, inside the box.
TEST(ResDialogMakerBox, ContactHasFourLinesAndNoticeTwo) {
    const sim::res::DialogTemplate* d = sim::res::FindDialog(IDD_HXSETUP_DIALOG);
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->items.size(), 14u);
    const std::string& contact = d->items[12].text;
    const std::string& notice = d->items[13].text;
    EXPECT_EQ(std::count(contact.begin(), contact.end(), '\n'), 3) << contact;
    EXPECT_EQ(std::count(notice.begin(), notice.end(), '\n'), 1) << notice;
    EXPECT_NE(contact.find("Tarnwell"), std::string::npos);
}

// The ids the product uses name the same controls as the templates.
TEST(ResDialogIds, ResourceHeaderAgreesWithTemplates) {
    struct {
        int dialog, index, id;
    } const rows[] = {
        {IDD_HXSETUP_DIALOG, 2, IDC_DRIVE_LIST},
        {IDD_HXSETUP_DIALOG, 4, IDC_DRIVE_PROPERTIES},
        {IDD_HXSETUP_DIALOG, 5, ID_HELP},
        {IDD_HXSETUP_DIALOG, 8, IDC_SELECT_DRIVE},
        {IDD_HXSETUP_DIALOG, 9, IDC_EXTEND_POOL},
        {IDD_HXSETUP_DIALOG, 10, IDC_SYSTEM_MEMORY},
        {IDD_HXSETUP_DIALOG, 11, IDC_USABLE_MEMORY},
        {IDD_POOLSIZE, 0, IDC_POOL_PERCENT},
        {IDD_POOLSIZE, 1, IDC_POOL_SPIN},
        {IDD_POOLSIZE, 4, IDC_POOL_DEFAULT},
        {IDD_POOLSIZE, 5, IDC_POOL_MAXIMUM},
    };
    for (const auto& r : rows) {
        const sim::res::DialogTemplate* d = sim::res::FindDialog(r.dialog);
        ASSERT_NE(d, nullptr);
        ASSERT_LT(static_cast<size_t>(r.index), d->items.size());
        EXPECT_EQ(d->items[r.index].id, r.id) << "dialog " << r.dialog << " item " << r.index;
    }
    EXPECT_EQ(ID_HELP, 0xE146);
}

TEST(ResFiles, LookupsByIdFindTheArtworkAndNothingElse) {
    using sim::res::FindData;
    EXPECT_EQ(sim::res::FindDialog(999), nullptr);
    EXPECT_EQ(FindData(sim::res::kGroupIcon, IDB_DRIVES), nullptr);
    EXPECT_EQ(FindData(sim::res::kBitmap, IDR_MAINFRAME), nullptr);
    EXPECT_NE(FindData(sim::res::kGroupIcon, IDR_MAINFRAME), nullptr);
    EXPECT_NE(FindData(sim::res::kBitmap, IDB_DRIVES), nullptr);
}

// The tests' own resource file joins the program's; one that cannot be read or would replace a
// resource of the program is a broken build.
TEST(ResFilesDeathTest, ASecondFileThatIsMissingOrShadowsTheProgramsAborts) {
    const struct {
        const char* path;
        const char* message;
    } rows[] = {
        {"/nonexistent/tests.res", "cannot open"},
        {HX_RES_FILE, "already loaded"},
    };
    for (const auto& r : rows)
        EXPECT_DEATH(sim::res::LoadTestResources(r.path), r.message) << r.path;
}

} // namespace
