#include <windows.h>

#include <gtest/gtest.h>

#include "LocaleOptions.h"
#include "VmOptions.h"
#include "jre/RuntimeRecord.h"
#include "payload/Config.h"

using namespace qpk;

TEST(VmOptions, DirectivesNeedTheirBlankAndAreCaseSensitive) {
    auto kindOf = [](const wchar_t* line) { return classifyOptionLine(line).kind; };
    EXPECT_EQ(classifyOptionLine(L"-classpath a;b").text, L"a;b");
    EXPECT_EQ(kindOf(L"-classpath a"), OptionLine::ClassPathReplace);
    EXPECT_EQ(kindOf(L"-classpath/p a"), OptionLine::ClassPathPrepend);
    EXPECT_EQ(kindOf(L"-classpath/a a"), OptionLine::ClassPathAppend);
    EXPECT_EQ(classifyOptionLine(L"-include-options x y.vmoptions").text, L"x y.vmoptions");
    EXPECT_EQ(kindOf(L"-classpath"), OptionLine::Option);
    EXPECT_EQ(kindOf(L"-classpath/x a"), OptionLine::Option);
    EXPECT_EQ(kindOf(L"-include-options"), OptionLine::Option);
    EXPECT_EQ(kindOf(L"-Classpath a"), OptionLine::Option);
    EXPECT_EQ(kindOf(L" -classpath a"), OptionLine::Option);
    EXPECT_EQ(classifyOptionLine(L"-Xmx1g").text, L"-Xmx1g");
}

TEST(VmOptions, FileLinesLoseLineEndsAndSpacesButKeepTabs) {
    auto line = [](std::string piece, bool expectOption = true) {
        EXPECT_EQ(optionsFileLine(piece), expectOption) << piece;
        return piece;
    };
    EXPECT_EQ(line("-Xmx1g\r\n"), "-Xmx1g");
    EXPECT_EQ(line("  -Dx=a b  \n"), "-Dx=a b");
    EXPECT_EQ(line("  -Dx=1\t\n"), "-Dx=1\t");
    EXPECT_EQ(line("\t-Dx=1"), "\t-Dx=1");
    EXPECT_EQ(line("-Dx=1 \r\r\n"), "-Dx=1");
    line("\r\n", false);
    line("     \n", false);
    line("", false);
    line("# comment\n", false);
    line("   # indented comment\n", false);
    EXPECT_EQ(line("\t# not a comment"), "\t# not a comment");
}

TEST(VmOptions, IncludeTokenTakesTheNextTokenUnlessItIsLast) {
    EXPECT_EQ(optionLinesOfTokens({L"-Xmx1g", L"-include-options", L"a b.vmoptions", L"-Dx"}),
              (std::vector<std::wstring>{L"-Xmx1g", L"-include-options a b.vmoptions", L"-Dx"}));
    EXPECT_EQ(optionLinesOfTokens({L"-Dx", L"-include-options"}),
              (std::vector<std::wstring>{L"-Dx", L"-include-options"}));
    EXPECT_EQ(optionLinesOfTokens({L"-include-options", L"-include-options", L"-include-options"}),
              (std::vector<std::wstring>{L"-include-options -include-options", L"-include-options"}));
}

TEST(VmOptions, VersionPrefixComparesOverThePrefixLength) {
    EXPECT_TRUE(versionPrefixMatches("11.0.2", "11"));
    EXPECT_TRUE(versionPrefixMatches("11.0.2", ""));
    EXPECT_TRUE(versionPrefixMatches("1.8.0_202", "1.8.0_202"));
    EXPECT_FALSE(versionPrefixMatches("1.8", "1.8.0"));
    EXPECT_FALSE(versionPrefixMatches("17.0.1", "1.7"));
}

TEST(VmOptions, CommandLineOptionsComeFromEveryDashJElement) {
    EXPECT_EQ(commandLineOptionLines({L"-Jprog.exe", L"-J-Xmx1g", L"-j-Dx", L"x-J", L"-J"}),
              (std::vector<std::wstring>{L"prog.exe", L"-Xmx1g", L""}));
}

TEST(VmOptions, LocaleOptionsFollowTheLastFormatElement) {
    std::string de = "de", ch = "CH";
    EXPECT_TRUE(localeOptionLines({L"prog", L"-q"}, &de, &ch).empty());
    EXPECT_EQ(localeOptionLines({L"-Dsun.locale.formatasdefault=false", L"-Dsun.locale.formatasdefault=true"}, &de, &ch),
              (std::vector<std::wstring>{L"-Dsun.locale.formatasdefault=true"}));
    EXPECT_EQ(localeOptionLines({L"-Dsun.locale.formatasdefault=true", L"-Dsun.locale.formatasdefault=no"}, &de, &ch),
              (std::vector<std::wstring>{L"-Dsun.locale.formatasdefault=no", L"-Duser.language=de",
                                         L"-Duser.country=CH"}));
    EXPECT_EQ(localeOptionLines({L"-Dsun.locale.formatasdefault="}, &de, nullptr),
              (std::vector<std::wstring>{L"-Dsun.locale.formatasdefault=", L"-Duser.language=de"}));
    EXPECT_EQ(localeOptionLines({L"-Dsun.locale.formatasdefault=TRUE"}, nullptr, nullptr).size(), 1u);
}

TEST(VmOptions, LinesBecomeOptionsOrOverridesWhereLaterOnesWin) {
    OptionList options;
    PathOverrides overrides;
    for (const wchar_t* line : {L"-classpath a.jar", L"-classpath b.jar", L"-classpath/p p.jar", L"-classpath/a z.jar",
                                L"-classpath", L"-Xmx1g"})
        processOptionLine(nullptr, line, options, overrides);
    EXPECT_EQ(options, (OptionList{"-classpath", "-Xmx1g"}));
    EXPECT_EQ(overrides.classPathReplace, "b.jar");
    EXPECT_EQ(overrides.classPathPrepend, "p.jar");
    EXPECT_EQ(overrides.classPathAppend, "z.jar");
}

TEST(VmOptions, UnconvertibleOptionBecomesEmpty) {
    // No ANSI code page holds every script at once.
    std::wstring text = L"-Dx=\u0416\u05d0\u4e2d";
    std::string narrow = narrowOption(text);
    EXPECT_TRUE(narrow.empty());
    EXPECT_EQ(narrowOption(L"-Dx=plain"), "-Dx=plain");
}

// The configured sources through the configuration maps, in their fixed order.
TEST(VmOptions, SourcesInOrderWithFirstMatchingVersionPairOnly) {
    setConfiguration({{10200, "3"}, {10201, "1.8"}, {10203, ""}, {10205, ""}, {125, "1"}},
                     {{123, L"-Da=1 \"-Db=two words\" -include-options"},
                      {10202, L"-Dwrong"},
                      {10204, L"-Dsecond -classpath/a"},
                      {10206, L"-Dthird"}});
    runtimeVersion = "11.0.2";
    splitLocale("fr_CA");
    OptionList options;
    PathOverrides overrides;
    collectVmOptions(options, overrides,
                     {L"prog.exe", L"-J-Xss2m", L"-J%QUILLPACK_EXEDIR%", L"-Dsun.locale.formatasdefault=x"});
    EXPECT_EQ(options, (OptionList{"-Da=1", "-Db=two words", "-include-options", "-Dsecond", "-classpath/a", "-Xss2m",
                                   "%QUILLPACK_EXEDIR%", "-Dsun.locale.formatasdefault=x", "-Duser.language=fr",
                                   "-Duser.country=CA"}));
    runtimeVersion.clear();
}

TEST(VmOptions, DashJNeedsEntry125AndVersionPairsNeedAKnownVersion) {
    setConfiguration({{10200, "1"}, {10201, ""}}, {{10202, L"-Dspecific"}});
    runtimeVersion.clear();
    OptionList options;
    PathOverrides overrides;
    collectVmOptions(options, overrides, {L"prog.exe", L"-J-Xss2m"});
    EXPECT_TRUE(options.empty());
}
