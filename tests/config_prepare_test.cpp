// Preparing the system keys: the pool size, the service group order and the event log source.
#include "config/DriverConfig.h"
#include "config/ServiceGroupList.h"
#include "ui/BoxReport.h"
#include "hx_test_support.h"

#include <cstring>

using namespace hxtest;

namespace {

class PrepareSystem : public MachineTest {};

std::vector<BYTE> ListNow() {
    auto v = sim::GetValue(kGroupOrderKey, "List");
    return v ? v->data : std::vector<BYTE>{};
}

bool ListWasWritten() {
    for (const std::string& line : sim::CallLog())
        if (line.rfind("RegSetValueExA", 0) == 0 && line.find(" List ") != std::string::npos)
            return true;
    return false;
}

TEST_F(PrepareSystem, FreshNtSystem) {
    SeedNtSystem(25501696);
    CDriverConfig c;
    ASSERT_TRUE(c.PrepareSystem(BoxReport()));
    EXPECT_EQ(c.NonPagedPoolSize, 25501696u);
    EXPECT_TRUE(sim::MessageBoxes().empty());

    std::vector<std::string> expected = kNtGroups;
    expected.insert(expected.begin() + 6, "Halcyonix");
    EXPECT_EQ(ListNow(), MultiSz(expected));
    EXPECT_EQ(sim::GetValue(kGroupOrderKey, "List")->type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(ListNow().size(), MultiSz(kNtGroups).size() + 10);

    EXPECT_EQ(sim::KeyClass(kEventSourceKey), "REG_EXPAND_SZ");
    EXPECT_EQ(sim::GetDword(kEventSourceKey, "TypesSupported"), 7u);
    auto file = sim::GetValue(kEventSourceKey, "EventMessageFile");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(file->data, Bytes(std::string("%SystemRoot%\\System32\\Drivers\\HxVol.sys\0", 40)));
}

// hxcfg plans the preparation and applies it later, or never: the plan holds no key meanwhile.
TEST_F(PrepareSystem, PlannedHoldsNoKeyAndEndsAsMadeAtOnce) {
    SeedNtSystem(25501696);
    CDriverConfig made;
    ASSERT_TRUE(made.PrepareSystem(BoxReport()));
    const sim::Hive expected = sim::Snapshot();

    sim::Reset();
    SeedNtSystem(25501696);
    CDriverConfig planned;
    CRegPlan plan;
    ASSERT_TRUE(planned.PlanPreparation(&plan, BoxReport()));
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
    EXPECT_EQ(ListNow(), MultiSz(kNtGroups));
    ASSERT_TRUE(plan.Apply(BoxReport()));
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
    EXPECT_EQ(sim::Snapshot(), expected);
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(PrepareSystem, SecondRunChangesNothingFurther) {
    SeedNtSystem();
    CDriverConfig first;
    ASSERT_TRUE(first.PrepareSystem(BoxReport()));
    sim::Hive after = sim::Snapshot();
    sim::ClearCallLog();
    CDriverConfig second;
    ASSERT_TRUE(second.PrepareSystem(BoxReport()));
    EXPECT_EQ(sim::Snapshot(), after);
    EXPECT_FALSE(ListWasWritten());
}

TEST_F(PrepareSystem, PoolSizeZeroIsReadAsZero) {
    SeedNtSystem(0);
    CDriverConfig c;
    c.NonPagedPoolSize = 123;
    ASSERT_TRUE(c.PrepareSystem(BoxReport()));
    EXPECT_EQ(c.NonPagedPoolSize, 0u);
}

// The walk over the list, by itself.
TEST(ServiceGroupWalk, Table) {
    const struct {
        const char* what;
        std::string list; // bytes as the query returns them
        GroupListResult result;
        std::string built;
    } cases[] = {
        {"before filter", std::string("a\0filter\0b\0\0", 12), kGroupInserted,
         std::string("a\0Halcyonix\0filter\0b\0\0", 22)},
        {"capital Filter", std::string("Filter\0\0", 8), kGroupInserted,
         std::string("Halcyonix\0Filter\0\0", 18)},
        {"FILTER last", std::string("x\0FILTER\0\0", 10), kGroupInserted,
         std::string("x\0Halcyonix\0FILTER\0\0", 20)},
        {"only before the first filter", std::string("filter\0filter\0\0", 15), kGroupInserted,
         std::string("Halcyonix\0filter\0filter\0\0", 25)},
        {"listed first", std::string("HALCYONIX\0filter\0\0", 18), kGroupAlreadyListed, ""},
        {"listed after filter", std::string("filter\0halcyonix\0\0", 18), kGroupAlreadyListed, ""},
        {"listed last, no final NUL", std::string("filter\0Halcyonix", 16), kGroupAlreadyListed,
         ""},
        {"prefix is not the group", std::string("Halcyonix2\0filter\0\0", 19), kGroupInserted,
         std::string("Halcyonix2\0Halcyonix\0filter\0\0", 29)},
        {"filters is not filter", std::string("filters\0\0", 9), kNoFilterGroup, ""},
        {"empty list", std::string("\0", 1), kNoFilterGroup, ""},
        {"no bytes", std::string(), kNoFilterGroup, ""},
        {"no filter", std::string("a\0b\0\0", 5), kNoFilterGroup, ""},
        {"no final empty string", std::string("a\0filter\0", 9), kGroupInserted,
         std::string("a\0Halcyonix\0filter\0\0", 20)},
        {"no NUL at all", std::string("filter", 6), kGroupInserted,
         std::string("Halcyonix\0filter\0\0", 18)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // An exact-size heap copy, so that a read past the count is caught by the sanitizers.
        std::vector<BYTE> list(c.list.begin(), c.list.end());
        BYTE* exact = new BYTE[list.size() + 1];
        if (!list.empty())
            std::memcpy(exact, list.data(), list.size());
        BYTE result[1024];
        DWORD cbNew = 0;
        EXPECT_EQ(InsertGroupBeforeFilter(exact, static_cast<DWORD>(list.size()), result,
                                          sizeof result, &cbNew),
                  c.result);
        if (c.result == kGroupInserted) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(result), cbNew), c.built);
        }
        delete[] exact;
    }
}

// A list of the given byte length (with its final empty string) holding "filter" last.
std::vector<BYTE> ListOfLength(size_t length) {
    std::vector<BYTE> list;
    const std::string tail = std::string("filter\0\0", 8);
    size_t padding = length - tail.size();
    while (padding > 0) {
        size_t n = padding > 100 ? 99 : padding - 1; // each name and its NUL
        if (padding - (n + 1) == 1)
            --n; // never leave a single byte: it could only be an empty name
        list.insert(list.end(), n, 'g');
        list.push_back(0);
        padding -= n + 1;
    }
    list.insert(list.end(), tail.begin(), tail.end());
    return list;
}

TEST_F(PrepareSystem, ListLengthsAroundTheWorkArea) {
    const struct {
        size_t length;
        bool ok;
        const char* message;
    } cases[] = {
        {1014, true, nullptr}, // the new list fills the area exactly
        {1015, false, "Error, couldn't write to Service Group Order"},
        // Only the final empty string, then "filter" with its NUL, then "filter" alone, would
        // stand past the area.
        {1016, false, "Error, couldn't write to Service Group Order"},
        {1017, false, "Error, couldn't write to Service Group Order"},
        {1022, false, "Error, couldn't write to Service Group Order"},
        {1023, false, "Error, couldn't write to Service Group Order"},
        {1024, false, "Error, couldn't write to Service Group Order"},
        {1025, false, "Warning, unable to query service group order"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        sim::Reset();
        sim::SeedDword(kMemoryKey, "NonPagedPoolSize", 0);
        std::vector<BYTE> list = ListOfLength(c.length);
        ASSERT_EQ(list.size(), c.length);
        sim::SeedValue(kGroupOrderKey, "List", REG_MULTI_SZ, list);
        CDriverConfig config;
        EXPECT_EQ(config.PrepareSystem(BoxReport()) != FALSE, c.ok);
        if (c.ok) {
            EXPECT_EQ(ListNow().size(), c.length + 10);
            EXPECT_TRUE(sim::MessageBoxes().empty());
        } else {
            EXPECT_EQ(ListNow(), list); // never written
            ExpectBoxes({AppBox(c.message)});
            EXPECT_FALSE(sim::KeyExists(kEventSourceKey));
        }
        EXPECT_EQ(sim::OpenKeyCount(), 0u);
    }
}

TEST_F(PrepareSystem, ListWithoutFilterIsLeftAloneAndPreparationGoesOn) {
    for (auto items : {std::vector<std::string>{}, std::vector<std::string>{"Base", "TDI"}}) {
        sim::Reset();
        sim::SeedDword(kMemoryKey, "NonPagedPoolSize", 0);
        sim::SeedMultiSz(kGroupOrderKey, "List", items);
        CDriverConfig c;
        EXPECT_TRUE(c.PrepareSystem(BoxReport()));
        EXPECT_EQ(ListNow(), MultiSz(items));
        EXPECT_FALSE(ListWasWritten());
        EXPECT_EQ(sim::GetDword(kEventSourceKey, "TypesSupported"), 7u);
    }
}

TEST_F(PrepareSystem, FailureTable) {
    const struct {
        const char* what;
        sim::Fault fault;
        Box box;
        bool listChanged;
    } cases[] = {
        {"open memory key",
         {sim::Api::RegOpenKeyEx, 0, kMemoryKey},
         ErrorBox("Fatal Error\n Unable to open session manager key"),
         false},
        {"query pool size",
         {sim::Api::RegQueryValueEx, 0, kMemoryKey, "NonPagedPoolSize"},
         ErrorBox("Fatal Error\n Unable to query session manager"),
         false},
        {"open group order",
         {sim::Api::RegOpenKeyEx, 0, kGroupOrderKey},
         AppBox("Error, unable to open service group order key"),
         false},
        {"query list",
         {sim::Api::RegQueryValueEx, 0, kGroupOrderKey, "List"},
         AppBox("Warning, unable to query service group order"),
         false},
        {"write list",
         {sim::Api::RegSetValueEx, 0, kGroupOrderKey, "List"},
         AppBox("Error, couldn't write to Service Group Order"),
         false},
        {"create event source",
         {sim::Api::RegCreateKeyEx, 0, kEventSourceKey},
         ErrorBox("Error, unable to register Halcyonix with event logger"),
         true},
        {"set TypesSupported",
         {sim::Api::RegSetValueEx, 0, kEventSourceKey, "TypesSupported"},
         ErrorBox("Error, unable to register Halcyonix with event logger"),
         true},
        {"set EventMessageFile",
         {sim::Api::RegSetValueEx, 0, kEventSourceKey, "EventMessageFile"},
         ErrorBox("Error, unable to register Halcyonix with event logger"),
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        SeedNtSystem();
        sim::InjectFault(c.fault);
        CDriverConfig config;
        EXPECT_FALSE(config.PrepareSystem(BoxReport()));
        ExpectBoxes({c.box});
        EXPECT_EQ(sim::OpenKeyCount(), 0u);
        EXPECT_EQ(ListNow() != MultiSz(kNtGroups), c.listChanged);
    }
}

TEST_F(PrepareSystem, MissingPoolSizeValueIsFatal) {
    sim::SeedKey(kMemoryKey);
    sim::SeedMultiSz(kGroupOrderKey, "List", kNtGroups);
    CDriverConfig c;
    EXPECT_FALSE(c.PrepareSystem(BoxReport()));
    ExpectBoxes({ErrorBox("Fatal Error\n Unable to query session manager")});
    EXPECT_EQ(ListNow(), MultiSz(kNtGroups));
}

} // namespace
