#include <gtest/gtest.h>

#include <climits>

#include "jre/Version.h"
#include "payload/Config.h"

using namespace qpk;

namespace {

VersionList v(const char* text) { return parseVersion(text); }

}  // namespace

TEST(VersionParse, SplitsAtEverySeparatorAndConvertsLikeStrtol) {
    EXPECT_EQ(v("1.8.0_291"), (VersionList{1, 8, 0, 291}));
    EXPECT_EQ(v("1.8.0_40-b26"), (VersionList{1, 8, 0, 40, 0}));
    EXPECT_EQ(v("9-ea"), (VersionList{9, 0}));
    EXPECT_EQ(v("11.0.2"), (VersionList{11, 0, 2}));
    EXPECT_EQ(v("17.0.1+12"), (VersionList{17, 0, 1, 12}));
    // What the check hands on for an openjdk line: the date's year is cut off by the quote.
    EXPECT_EQ(v("11.0.2\" 2019-01-1"), (VersionList{11, 0, 2, 1, 1}));
    // Leading white space is skipped, letters behind the digits are ignored.
    EXPECT_EQ(v(" 7.\t5x.x5"), (VersionList{7, 5, 0}));
    EXPECT_TRUE(v("").empty());
}

TEST(VersionParse, SeparatorRunsAndEndsGiveNoEmptyComponents) {
    EXPECT_EQ(v("..1__2-+3."), (VersionList{1, 2, 3}));
    EXPECT_TRUE(v("._-+").empty());
}

TEST(VersionParse, ComponentsSaturateAtTheThirtyTwoBitLimit) {
    EXPECT_EQ(v("2147483647.2147483648.99999999999999999999"), (VersionList{INT32_MAX, INT32_MAX, INT32_MAX}));
    EXPECT_EQ(v("1.000000000000000000000000007"), (VersionList{1, 7}));
}

TEST(VersionBound, EmptyBoundAcceptsAnything) {
    EXPECT_TRUE(checkBound({}, {}, false, false));
    EXPECT_TRUE(checkBound({}, {}, true, false));
    EXPECT_TRUE(checkBound({}, v("3"), true, true));
}

TEST(VersionBound, LowerBoundStrictFillsMissingWithZeroLenientStops) {
    VersionList min = v("1.8.0_100");
    EXPECT_FALSE(checkBound(min, v("1.8"), false, false));
    EXPECT_TRUE(checkBound(min, v("1.8"), false, true));
    EXPECT_TRUE(checkBound(min, v("1.8.0_100"), false, false));
    EXPECT_FALSE(checkBound(min, v("1.8.0_99"), false, true));
    // The first differing position decides; later ones are not looked at.
    EXPECT_TRUE(checkBound(min, v("1.9.0_1"), false, false));
    EXPECT_FALSE(checkBound(min, v("1.7.9_999"), false, false));
    EXPECT_FALSE(checkBound(v("1.8"), {}, false, false));
    EXPECT_TRUE(checkBound(v("1.8"), {}, false, true));
}

TEST(VersionBound, UpperBoundCoversOnlyItsOwnPositions) {
    VersionList max = v("1.8");
    EXPECT_TRUE(checkBound(max, v("1.8.0_400"), true, false));
    EXPECT_FALSE(checkBound(max, v("9"), true, false));
    EXPECT_FALSE(checkBound(max, v("9"), true, true));
    EXPECT_TRUE(checkBound(max, v("1.7.99"), true, false));
    EXPECT_TRUE(checkBound(v("11.0.2"), v("11"), true, false));
    EXPECT_TRUE(checkBound(v("11.0.2"), v("11"), true, true));
    EXPECT_FALSE(checkBound(v("11.0.0"), v("11.0.1"), true, false));
}

TEST(VersionRange, StrictRangeChecksLowerAndUpperBound) {
    setConfiguration({}, {});
    EXPECT_TRUE(matchesVersionRange("1.8.0_291", v("1.8"), v("1.8"), false));
    EXPECT_FALSE(matchesVersionRange("1.8", v("1.8.0_100"), {}, false));
    EXPECT_FALSE(matchesVersionRange("11.0.2", v("1.8"), v("9"), false));
    EXPECT_TRUE(matchesVersionRange("", {}, {}, false));
    EXPECT_FALSE(matchesVersionRange("", v("1"), {}, false));
    EXPECT_TRUE(matchesVersionRangeLoosely("1.8", v("1.8.0_100"), {}));
    EXPECT_FALSE(matchesVersionRangeLoosely("1.7", v("1.8.0_100"), {}));
    EXPECT_FALSE(matchesVersionRangeLoosely("10", {}, v("9")));
    EXPECT_TRUE(matchesVersionRangeLoosely("", v("1.8"), v("9")));
}

TEST(VersionRange, PreReleaseTextsAreRejectedUnlessAllowed) {
    setConfiguration({}, {});
    EXPECT_FALSE(matchesVersionRange("9-ea", {}, {}, false));
    EXPECT_FALSE(matchesVersionRange("1.7.0-beta", {}, {}, false));
    EXPECT_FALSE(matchesVersionRange("17-rc2", {}, {}, false));
    // A plain substring test: "ea" inside a word counts, case matters.
    EXPECT_FALSE(matchesVersionRange("11.0.2-release", {}, {}, false));
    EXPECT_TRUE(matchesVersionRange("9-EA", {}, {}, false));
    EXPECT_TRUE(matchesVersionRange("9-ea", {}, {}, true));
    EXPECT_TRUE(matchesVersionRangeLoosely("9-ea", v("9"), v("9")));
    // Allowed or not, the bounds still apply.
    EXPECT_FALSE(matchesVersionRange("9-ea", v("10"), {}, true));

    setConfiguration({{130, "1"}}, {});
    EXPECT_TRUE(matchesVersionRange("9-ea", {}, {}, false));
    setConfiguration({{130, "0"}}, {});
    EXPECT_FALSE(matchesVersionRange("9-ea", {}, {}, false));
    setConfiguration({}, {});
}

TEST(VersionNewer, ComparesOverThePositionsOfTheFirst) {
    EXPECT_TRUE(isNewerVersion("1.8.0", "1.8"));
    EXPECT_FALSE(isNewerVersion("1.8", "1.8.0"));
    EXPECT_FALSE(isNewerVersion("11.0.2", "11.0.2"));
    EXPECT_FALSE(isNewerVersion("", "1.0"));
    EXPECT_TRUE(isNewerVersion("1.0", ""));
    EXPECT_FALSE(isNewerVersion("", ""));
    EXPECT_TRUE(isNewerVersion("11", "1.8.0_291"));
    EXPECT_FALSE(isNewerVersion("1.8.0_291", "11"));
    EXPECT_TRUE(isNewerVersion("1.8.0_291", "1.8.0_45"));
    EXPECT_FALSE(isNewerVersion("9-ea", "9.0"));
}

TEST(VersionBound, ConfiguredBoundsAreReadAfreshFromEntries126And127) {
    setConfiguration({{126, "1.8.0_100"}, {127, "11-ea"}}, {});
    EXPECT_EQ(configuredMinimum(), (VersionList{1, 8, 0, 100}));
    EXPECT_EQ(configuredMaximum(), (VersionList{11, 0}));
    // Only 5999 bytes of an entry are read.
    setConfiguration({{126, std::string(5998, '.') + "12"}, {127, ""}}, {});
    EXPECT_EQ(configuredMinimum(), (VersionList{1}));
    EXPECT_TRUE(configuredMaximum().empty());
    setConfiguration({}, {});
}
