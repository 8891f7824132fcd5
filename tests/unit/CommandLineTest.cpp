#include <gtest/gtest.h>

#include "launcher/CommandLine.h"

using namespace qpk;

namespace {

ArgumentVector split(const std::wstring& text) {
    ArgumentVector v;
    splitCommandLine(text, v);
    return v;
}

}  // namespace

TEST(SplitCommandLine, SpacesSeparateAndRunsOfSpacesAreSkipped) {
    EXPECT_EQ(split(L"  a  bb   c "), (ArgumentVector{L"a", L"bb", L"c"}));
    EXPECT_TRUE(split(L"").empty());
    EXPECT_TRUE(split(L"    ").empty());
}

TEST(SplitCommandLine, QuotesGroupWithoutEscapes) {
    EXPECT_EQ(split(L"\"C:\\Program Files\\x.exe\" -q"),
              (ArgumentVector{L"C:\\Program Files\\x.exe", L"-q"}));
    EXPECT_EQ(split(L"'a b' c"), (ArgumentVector{L"a b", L"c"}));
    // Backslashes are ordinary characters, also in front of a quote.
    EXPECT_EQ(split(L"\"a\\\" b"), (ArgumentVector{L"a\\", L"b"}));
    // The other quote character inside a quoted token is plain text.
    EXPECT_EQ(split(L"\"it's\" x"), (ArgumentVector{L"it's", L"x"}));
}

TEST(SplitCommandLine, QuoteInsideTokenJoinsTextBeforeIt) {
    EXPECT_EQ(split(L"-Dx=\"a b\" next"), (ArgumentVector{L"-Dx=a b", L"next"}));
    EXPECT_EQ(split(L"-Dk='v w'"), (ArgumentVector{L"-Dk=v w"}));
}

TEST(SplitCommandLine, TextDirectlyAfterClosingQuoteIsNextToken) {
    EXPECT_EQ(split(L"\"ab\"cd ef"), (ArgumentVector{L"ab", L"cd", L"ef"}));
}

TEST(SplitCommandLine, UnclosedQuoteRunsToEnd) {
    EXPECT_EQ(split(L"x \"open ended"), (ArgumentVector{L"x", L"open ended"}));
}

TEST(SplitCommandLine, AppendsToExistingVector) {
    ArgumentVector v{L"first"};
    splitCommandLine(L"second", v);
    EXPECT_EQ(v, (ArgumentVector{L"first", L"second"}));
}

TEST(TailMarkers, RebootIsExactOthersArePrefixes) {
    EXPECT_TRUE(classifyTail("__qpk_reboot").reboot);
    EXPECT_FALSE(classifyTail("__qpk_reboot more").reboot);
    EXPECT_FALSE(classifyTail("").reboot);
    EXPECT_TRUE(classifyTail("__qpk_lang_restart -q").languageRestart);
    EXPECT_TRUE(classifyTail("__qpk_extract_and_exit x").extractAndExit);
    EXPECT_TRUE(classifyTail("__qpk_windel list").delayedDeletion);
    EXPECT_FALSE(classifyTail(" __qpk_windel list").delayedDeletion);
    TailMarkers none = classifyTail("-q");
    EXPECT_FALSE(none.reboot || none.languageRestart || none.extractAndExit || none.delayedDeletion);
}

TEST(SwitchScan, ExactCaseSensitiveMatches) {
    SwitchScan s = scanSwitches({L"setup.exe", L"-Q", L"/q", L"-Console", L"-nocheck"});
    EXPECT_FALSE(s.quiet);
    EXPECT_FALSE(s.attachConsole);
    EXPECT_TRUE(s.noCheck);

    SwitchScan c = scanSwitches({L"-c"});
    EXPECT_TRUE(c.quiet && c.clearGuiErrors && c.attachConsole);
    EXPECT_FALSE(c.consoleSwitch);

    SwitchScan m = scanSwitches({L"x", L"/manual", L"-splash", L"-q"});
    EXPECT_TRUE(m.manualJre && m.splash && m.quiet);
    // Element 0 is scanned too.
    EXPECT_TRUE(scanSwitches({L"-q"}).quiet);
}

TEST(ForcedLogSwitch, OnlyElementOneIsTaken) {
    for (const wchar_t* sw : {L"-create-qpk-log", L"-create-cvo-log", L"/create-qpk-log", L"/create-cvo-log"}) {
        ArgumentVector v{L"setup.exe", sw, L"-q"};
        EXPECT_TRUE(takeForcedLogSwitch(v));
        EXPECT_EQ(v, (ArgumentVector{L"setup.exe", L"-q"}));
    }
    ArgumentVector second{L"setup.exe", L"-q", L"-create-qpk-log"};
    EXPECT_FALSE(takeForcedLogSwitch(second));
    EXPECT_EQ(second.size(), 3u);
    ArgumentVector alone{L"-create-qpk-log"};
    EXPECT_FALSE(takeForcedLogSwitch(alone));
}

TEST(TempSwitch, FirstOccurrenceCountsFromElementZero) {
    EXPECT_EQ(findTempSwitch({L"setup.exe", L"-x", L"/temp", L"d", L"-temp"}), 2);
    EXPECT_EQ(findTempSwitch({L"-temp"}), 0);
    EXPECT_EQ(findTempSwitch({L"setup.exe", L"-TEMP"}), -1);
}
