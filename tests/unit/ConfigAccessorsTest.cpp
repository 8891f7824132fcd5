#include <gtest/gtest.h>

#include "payload/Config.h"

using namespace qpk;

TEST(ConfigAccessors, GetIntFollowsStrtolBaseTen) {
    setConfiguration({{1, "0x10"}, {2, " 12ab"}, {3, "-7"}, {4, "abc"}, {5, "+3"}, {6, ""}}, {});
    EXPECT_EQ(getInt(1), 0);
    EXPECT_EQ(getInt(2), 12);
    EXPECT_EQ(getInt(3), -7);
    EXPECT_EQ(getInt(4), 0);
    EXPECT_EQ(getInt(5), 3);
    EXPECT_EQ(getInt(6), 0);
    EXPECT_EQ(getInt(999), 0);
}

TEST(ConfigAccessors, LongEntriesAreCutAtTheCapacity) {
    std::string digits(6000, '1');
    digits[5999] = '9';
    setConfiguration({{10, digits}, {11, std::string(5999, '7')}}, {});
    char buffer[6000];
    EXPECT_EQ(getNarrow(10, buffer, sizeof buffer), 5999u);
    EXPECT_EQ(std::string(buffer).find('9'), std::string::npos);
    EXPECT_EQ(getNarrow(11, buffer, sizeof buffer), 5999u);
    char small[4];
    EXPECT_EQ(getNarrow(10, small, sizeof small), 3u);
    EXPECT_STREQ(small, "111");
    // strtol saturates; the point is that the cut text, not the full one, is converted.
    EXPECT_EQ(getInt(10), LONG_MAX);
}

TEST(ConfigAccessors, AbsentIdsAreEmpty) {
    setConfiguration({}, {});
    char buffer[8] = "junk";
    EXPECT_EQ(getNarrow(1, buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
    EXPECT_TRUE(getWide(1).empty());
    EXPECT_TRUE(getText(1).empty());
    EXPECT_TRUE(dupNarrow(1).empty());
    EXPECT_TRUE(getWideFromNarrow(1).empty());
}

TEST(ConfigAccessors, GetTextPrefersNonEmptyWideEntry) {
    setConfiguration({{1, "narrow"}, {2, "narrow only"}, {3, "fallback"}},
                     {{1, L"wide"}, {3, L""}});
    EXPECT_EQ(getText(1), L"wide");
    EXPECT_EQ(getText(2), L"narrow only");
    EXPECT_EQ(getText(3), L"fallback");
}

TEST(ConfigAccessors, WideTextsAreCappedAt5999Units) {
    setConfiguration({{1, std::string(7000, 'n')}}, {{1, std::wstring(7000, L'w')}});
    EXPECT_EQ(getWide(1).size(), 5999u);
    EXPECT_EQ(getWideFromNarrow(1).size(), 5999u);
    EXPECT_EQ(getWideFromNarrow(1, 10).size(), 9u);
}
