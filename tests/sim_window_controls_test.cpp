// Controls: list-view focus and clicks, the up-down control's UDN_DELTAPOS protocol, edit
// selection. Built for both implementations; sim's records of drawing, DCs and GDI objects are
// tested in sim_test_api_test.cpp.
#include "sim_window_testing.h"

namespace {

using namespace simwintest;

// A column first, unless the test makes its own: rows can be clicked only where one shows them.
void FillList(HWND list, int rows, bool addColumn = true) {
    LVCOLUMNA col{};
    col.mask = LVCF_WIDTH;
    col.cx = 100;
    if (addColumn)
        SendMessageA(list, LVM_INSERTCOLUMNA, 0, (LPARAM)&col);
    for (int i = 0; i < rows; ++i) {
        std::string text = "row " + std::to_string(i);
        LVITEMA it{};
        it.mask = LVIF_TEXT | LVIF_IMAGE;
        it.iItem = i;
        it.pszText = const_cast<char*>(text.c_str());
        it.iImage = i % 2 ? 3 : 2;
        ASSERT_EQ(SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&it), i);
    }
}

// ---- list view ----

enum class Act { Click, Below, Key, Delete };
struct Step {
    Act act;
    int arg; // row, virtual key or row to delete
};
struct ListCase {
    const char* name;
    std::vector<Step> steps;
    int focused; // afterwards
    int selected;
    std::vector<std::string> clicks; // NM_CLICK, with the row that had the focus then
};

class ListFocus : public WindowTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ListFocus, FollowsClicksAndKeysAsTheRealControl) {
    const ListCase& c = GetParam();
    RunDialog([&](Dialog& d) {
        HWND list = GetDlgItem(d.hwnd(), kList);
        FillList(list, 4);
        for (const Step& s : c.steps) {
            switch (s.act) {
            case Act::Click:
                d.ClickListRow(kList, s.arg);
                break;
            case Act::Below:
                d.ClickListBelowRows(kList);
                break;
            case Act::Key:
                d.ListKeyDown(kList, s.arg);
                break;
            case Act::Delete:
                SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(s.arg), 0);
                break;
            }
        }
        EXPECT_EQ(RowWith(list, LVIS_FOCUSED), c.focused) << c.name;
        EXPECT_EQ(RowWith(list, LVIS_SELECTED), c.selected) << c.name;
        int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_FOCUSED) != 0, i == c.focused)
                << c.name << " row " << i;
        d.Esc();
    });
    EXPECT_EQ(Lines("click"), c.clicks) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListFocus,
    ::testing::Values(
        ListCase{"nothing yet", {}, -1, -1, {}},
        ListCase{"click a row",
                 {{
                     Act::Click,
                     2,
                 }},
                 2,
                 2,
                 {"click 2"}},
        ListCase{
            "click another row", {{Act::Click, 2}, {Act::Click, 0}}, 0, 0, {"click 2", "click 0"}},
        ListCase{"click below before any focus", {{Act::Below, 0}}, -1, -1, {"click -1"}},
        ListCase{"click below keeps the focus, drops the selection",
                 {{Act::Click, 1}, {Act::Below, 0}},
                 1,
                 -1,
                 {"click 1", "click 1"}},
        ListCase{"keys move the focus without NM_CLICK",
                 {{Act::Click, 1}, {Act::Key, VK_DOWN}, {Act::Key, VK_DOWN}},
                 3,
                 3,
                 {"click 1"}},
        ListCase{"down with no focus goes to the first row", {{Act::Key, VK_DOWN}}, 0, 0, {}},
        ListCase{"up with no focus does nothing", {{Act::Key, VK_UP}}, -1, -1, {}},
        ListCase{"end and home", {{Act::Key, VK_END}, {Act::Key, VK_HOME}}, 0, 0, {}},
        ListCase{"down at the last row stays", {{Act::Key, VK_END}, {Act::Key, VK_DOWN}}, 3, 3, {}},
        ListCase{"deleting a row above moves the focused row up",
                 {{Act::Click, 2}, {Act::Delete, 0}},
                 1,
                 1,
                 {"click 2"}},
        ListCase{"deleting a row below leaves the focus",
                 {{Act::Click, 1}, {Act::Delete, 3}},
                 1,
                 1,
                 {"click 1"}}));

TEST_F(WindowTest, ListClickGivesTheListTheKeyboardFocus) {
    RunDialog([](Dialog& d) {
        FillList(GetDlgItem(d.hwnd(), kList), 2);
        EXPECT_EQ(d.FocusId(), IDOK);
        d.ClickListRow(kList, 1);
        EXPECT_EQ(d.FocusId(), kList);
        d.Esc();
    });
}

TEST_F(WindowTest, ListKeepsColumnsRowsImagesAndTheCountHint) {
    RunDialog([](Dialog& d) {
        HWND list = GetDlgItem(d.hwnd(), kList);
        EXPECT_TRUE(SendMessageA(list, LVM_SETITEMCOUNT, 32, 0));
        LVCOLUMNA col{};
        col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        col.fmt = LVCFMT_LEFT;
        col.cx = 172;
        col.pszText = const_cast<char*>(" Drive");
        EXPECT_EQ(SendMessageA(list, LVM_INSERTCOLUMNA, 0, (LPARAM)&col), 0);
        FillList(list, 3, false);
        // Inserting in the middle shifts the rows after it.
        LVITEMA it{};
        it.mask = LVIF_TEXT;
        it.iItem = 1;
        it.pszText = const_cast<char*>("new");
        EXPECT_EQ(SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&it), 1);
        EXPECT_EQ(d.ListRows(kList), (std::vector<std::string>{"row 0", "new", "row 1", "row 2"}));
        EXPECT_EQ(d.ListImages(kList), (std::vector<int>{2, 0, 3, 2}));
        EXPECT_EQ(d.ListColumns(kList), std::vector<std::string>{" Drive"});
        EXPECT_EQ(d.ListColumnWidth(kList, 0), 172);
#if HXT_SIM // the count hint is not visible through Win32
        EXPECT_EQ(d.ListItemCountHint(kList), 32);
#endif
        EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 4);
        d.Esc();
    });
}

// ---- up-down ----

struct SpinCase {
    const char* name;
    int lower, upper, pos;
    int delta;
    LRESULT answer;       // the parent's DWLP_MSGRESULT
    std::string notified; // what UDN_DELTAPOS carried
    int after;
    std::string buddy;
};

class SpinArrow : public WindowTest, public ::testing::WithParamInterface<SpinCase> {};

TEST_P(SpinArrow, NotifiesTheUnclampedDeltaThenMovesWithinTheRange) {
    const SpinCase& c = GetParam();
    R().hook = [&](HWND h, UINT msg, WPARAM, LPARAM lp, INT_PTR* res) {
        if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == UDN_DELTAPOS) {
            SetWindowLongPtrA(h, DWLP_MSGRESULT, c.answer);
            *res = TRUE;
            return true;
        }
        return false;
    };
    RunDialog([&](Dialog& d) {
        HWND spin = GetDlgItem(d.hwnd(), kSpin);
        SendMessageA(spin, UDM_SETRANGE, 0, MAKELPARAM(c.upper, c.lower));
        SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(c.pos, 0));
        EXPECT_EQ(d.Text(kEdit), std::to_string(c.pos)) << "UDS_SETBUDDYINT writes the buddy";
        d.SpinArrow(kSpin, c.delta);
        EXPECT_EQ(d.SpinPos(kSpin), c.after) << c.name;
        EXPECT_EQ(d.Text(kEdit), c.buddy) << c.name;
        d.Esc();
    });
    EXPECT_EQ(Lines("deltapos"), std::vector<std::string>{c.notified}) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpinArrow,
    ::testing::Values(SpinCase{"up", 35, 75, 50, 1, 0, "deltapos 50 1", 51, "51"},
                      SpinCase{"down", 35, 75, 50, -1, 0, "deltapos 50 -1", 49, "49"},
                      SpinCase{"past the top", 35, 75, 75, 1, 0, "deltapos 75 1", 75, "75"},
                      SpinCase{"past the bottom", 35, 75, 35, -1, 0, "deltapos 35 -1", 35, "35"},
                      SpinCase{"big step clamped", 35, 75, 70, 10, 0, "deltapos 70 10", 75, "75"},
                      SpinCase{"refused by the parent", 35, 75, 50, 1, 1, "deltapos 50 1", 50,
                               "50"}));

TEST_F(WindowTest, SpinTakesTypedTextBeforeTheArrowAndRangeAndPosRoundTrip) {
    RunDialog([](Dialog& d) {
        HWND spin = GetDlgItem(d.hwnd(), kSpin);
        SendMessageA(spin, UDM_SETRANGE, 0, MAKELPARAM(75, 35));
        EXPECT_EQ(d.SpinLower(kSpin), 35);
        EXPECT_EQ(d.SpinUpper(kSpin), 75);
        EXPECT_EQ(d.Text(kEdit), "") << "the range alone does not write the buddy";
        ASSERT_EQ(SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(90, 0)), 35)
            << "the previous position, which the range pulled up from 0";
        EXPECT_EQ(d.SpinPos(kSpin), 75) << "UDM_SETPOS clamps";
        d.SetText(kEdit, "60");
        d.SpinArrow(kSpin, 1);
        EXPECT_EQ(d.SpinPos(kSpin), 61);
        d.SetText(kEdit, "abc");
        d.SpinArrow(kSpin, 1);
        EXPECT_EQ(d.SpinPos(kSpin), 62) << "text that is no number leaves the position as it was";
        EXPECT_EQ(d.Text(kEdit), "62");
        d.SetText(kEdit, "76");
        d.SpinArrow(kSpin, 1);
        EXPECT_EQ(d.SpinPos(kSpin), 63) << "text above the range leaves the position as it was";
        d.SetText(kEdit, "75");
        d.SpinArrow(kSpin, 1);
        EXPECT_EQ(d.SpinPos(kSpin), 75) << "the top of the range is taken";
        d.Esc();
    });
    EXPECT_EQ(Lines("deltapos"), (std::vector<std::string>{"deltapos 60 1", "deltapos 61 1",
                                                           "deltapos 62 1", "deltapos 75 1"}));
}

// ---- edit ----

TEST_F(WindowTest, EditSelectionAndFont) {
    RunDialog([](Dialog& d) {
        HWND edit = GetDlgItem(d.hwnd(), kEdit);
        SetWindowTextA(edit, "1234");
        EXPECT_FALSE(d.EditAllSelected(kEdit)) << "setting the text leaves no selection";
        SendMessageA(edit, EM_SETSEL, 0, -1);
        EXPECT_TRUE(d.EditAllSelected(kEdit));
        LOGFONTA lf{};
        lf.lfHeight = 18;
        lf.lfWeight = 600;
        HFONT font = CreateFontIndirectA(&lf);
        SendMessageA(edit, WM_SETFONT, (WPARAM)font, TRUE);
        EXPECT_EQ(d.Font(kEdit), font);
        DeleteObject(font);
        d.Esc();
    });
}

} // namespace
