#include <gtest/gtest.h>

#include <set>

#include "launcher/Log.h"

using namespace qpk;

TEST(LogLinePrefix, SecondsAndMillisecondsSinceStart) {
    EXPECT_EQ(logLinePrefix(1000, 1000), L"[0:0] ");
    EXPECT_EQ(logLinePrefix(5000, 5000 + 61500), L"[61:500] ");
    // Only the low 32 bits count, so a start just below a 2^32 boundary still works.
    int64_t start = (int64_t(7) << 32) + 0xfffffff0;
    EXPECT_EQ(logLinePrefix(start, start + 0x20), L"[0:32] ");
}

TEST(LogKeep, OnlyLowerCaseYesKeeps) {
    EXPECT_TRUE(keepsLog(L"yes"));
    EXPECT_FALSE(keepsLog(L"Yes"));
    EXPECT_FALSE(keepsLog(L"yes "));
    EXPECT_FALSE(keepsLog(L""));
    EXPECT_FALSE(keepsLog(nullptr));
}

TEST(LogFileName, FirstFreeNumberAndOverwriteAtOneThousand) {
    std::set<std::wstring> existing{L"T\\qpk_nlog_1.log", L"T\\qpk_nlog_2.log"};
    auto exists = [&](const std::wstring& n) { return existing.count(n) > 0; };
    EXPECT_EQ(chooseLogFileName(L"T\\", exists), L"T\\qpk_nlog_3.log");
    int calls = 0;
    auto all = [&](const std::wstring&) { ++calls; return true; };
    EXPECT_EQ(chooseLogFileName(L"T\\", all), L"T\\qpk_nlog_1000.log");
    EXPECT_EQ(calls, 999);
}
