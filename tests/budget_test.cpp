#include <gtest/gtest.h>

#include "budget/MemoryBudget.h"

namespace {

struct UsableCase {
    DWORD totalPhys;
    DWORD poolSize;
    DWORD budget;
};

TEST(CalcUsableMemory, Table) {
    const UsableCase cases[] = {
        {33554432, 0, 8388608}, // an exact quarter, nothing to round
        {67108864, 0, 16777216},
        {100000000, 0, 25165824}, // 25,000,000 rounded up to a whole MiB
        {33554435, 0, 8388608},   // the quarter is truncated before rounding
        {17000001, 0, 5242880},
        {16000000, 0, 4194304},
        {16777216, 0, 4194304},
        {33554432, 12083200, 7888896},
        {67108864, 25501696, 21307392},
        {16777216, 20000000, 15805696},
        // A pool no larger than the reserve leaves nothing for the disk, instead of a wrapped
        // figure near 4 GiB that would let every drive through.
        {67108864, 4194304, 0},
        {67108864, 4194303, 0},
        {67108864, 1, 0},
        {67108864, 4194305, 1},
        {0xFFFFFFFFu, 0, 0x40000000u},
    };
    for (const UsableCase& c : cases)
        EXPECT_EQ(CalcUsableMemory(c.totalPhys, c.poolSize), c.budget)
            << "total " << c.totalPhys << " pool " << c.poolSize;
}

TEST(CalcStartupUsableMemory, Thresholds) {
    struct Case {
        DWORD totalPhys;
        DWORD poolSize;
        BOOL admitted;
        DWORD budget;
    };
    const Case cases[] = {
        {15999999, 0, FALSE, 0},
        {0, 0, FALSE, 0},
        {16000000, 0, TRUE, 3145728},
        {16000000, 50000000, TRUE, 3145728},
        {16777216, 20000000, TRUE, 3145728},
        {17000000, 0, TRUE, 3145728},
        {17000001, 0, TRUE, 5242880},
        {17000001, 8388608, TRUE, 4194304},
    };
    for (const Case& c : cases) {
        DWORD budget = 0;
        EXPECT_EQ(CalcStartupUsableMemory(c.totalPhys, c.poolSize, &budget), c.admitted)
            << c.totalPhys;
        if (c.admitted) {
            EXPECT_EQ(budget, c.budget) << c.totalPhys;
        }
    }
}

TEST(CalcMinPoolPercent, Table) {
    const struct {
        DWORD totalPhys;
        int percent;
    } cases[] = {
        {16000000, 30},  {16777216, 30},  {17476266, 30},  {17476267, 31},    {25165824, 33},
        {33554432, 35},  {50331648, 36},  {67108864, 37},  {100663296, 38},   {134217728, 38},
        {157286399, 38}, {157286400, 39}, {268435456, 39}, {0xFFFFFFFFu, 39},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcMinPoolPercent(c.totalPhys), c.percent) << c.totalPhys;
}

// CalcMinPoolPercent equals 40 - ceil(157286400 / total) across the admitted range: probe the
// boundaries where the result steps.
TEST(CalcMinPoolPercent, MatchesIntegerRuleAtEveryStep) {
    for (DWORD k = 1; k <= 10; ++k) {
        DWORD first = static_cast<DWORD>((157286400ULL + k - 1) / k);
        for (DWORD total : {first - 1, first, first + 1}) {
            if (total < 16000000)
                continue;
            int expected = 40 - static_cast<int>((157286400ULL + total - 1) / total);
            EXPECT_EQ(CalcMinPoolPercent(total), expected) << total;
        }
    }
}

TEST(CalcPoolPercent, RoundsInTwoSteps) {
    const struct {
        DWORD totalPhys;
        DWORD poolSize;
        int minPercent;
        int percent;
    } cases[] = {
        {33554432, 0, 35, 35},       // no pool size: the minimum
        {32768000, 9502720, 30, 28}, // 0.29 * 100 = 28.999999999999996
        {33554432, 12083200, 35, 36},  {33554432, 16777216, 35, 50}, {67108864, 50331648, 37, 75},
        {16004093, 11042816, 30, 68},  // reads back one lower than the 69 it came from
        {33554432, 33554432, 35, 100}, // not clamped
        {33554432, 1, 35, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcPoolPercent(c.totalPhys, c.poolSize, c.minPercent), c.percent)
            << c.totalPhys << " " << c.poolSize;
}

TEST(CalcPoolSize, Table) {
    const struct {
        DWORD totalPhys;
        int minPercent;
        int percent;
        DWORD poolSize;
        int readBack;
        DWORD budget;
    } cases[] = {
        {33554432, 35, 35, 0, 35, 8388608},         {33554432, 35, 36, 12083200, 36, 7888896},
        {33554432, 35, 40, 13426688, 40, 9232384},  {33554432, 35, 50, 16777216, 50, 12582912},
        {33554432, 35, 75, 16777216, 50, 12582912}, {67108864, 37, 38, 25501696, 38, 21307392},
        {67108864, 37, 60, 40271872, 60, 36077568}, {67108864, 37, 75, 50331648, 75, 46137344},
        {16000000, 30, 31, 4964352, 31, 770048},    {16000000, 30, 75, 12001280, 75, 7806976},
        {16777216, 30, 31, 0, 30, 4194304},         {16777216, 30, 75, 0, 30, 4194304},
        {17000000, 30, 31, 222784, 1, 0}, // the cap, not a multiple of 8,192
        {16004093, 30, 69, 11042816, 68, 6848512},
    };
    for (const auto& c : cases) {
        DWORD pool = CalcPoolSize(c.totalPhys, c.percent, c.minPercent);
        EXPECT_EQ(pool, c.poolSize) << c.totalPhys << " at " << c.percent << "%";
        EXPECT_EQ(CalcPoolPercent(c.totalPhys, pool, c.minPercent), c.readBack)
            << c.totalPhys << " at " << c.percent << "%";
        EXPECT_EQ(CalcUsableMemory(c.totalPhys, pool), c.budget)
            << c.totalPhys << " at " << c.percent << "%";
    }
}

TEST(CalcPoolSize, EveryPercentageOnThirtyTwoMiBFromFiftyIsTheCap) {
    for (int p = 50; p <= 75; ++p)
        EXPECT_EQ(CalcPoolSize(33554432, p, 35), 16777216u) << p;
}

} // namespace
