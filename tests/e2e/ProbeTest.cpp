// Start-up results that the launcher itself does not show yet (language texts, the
// argument vector after pre-processing, error routing), seen through the configuration
// probe: a test program that runs the launcher's pre-processing on its own packed image.
#include <windows.h>

#include <gtest/gtest.h>

#include "BuildPaths.h"
#include "SetupFixture.h"

using namespace qpke2e;

namespace {

std::string probePath() { return qpktest::helperPath("config_probe"); }

std::vector<std::string> probeArgs(const std::string& out) {
    std::vector<std::string> args;
    size_t at = 0;
    while ((at = out.find("arg=", at)) != std::string::npos) {
        size_t end = out.find('\n', at);
        args.push_back(out.substr(at + 4, end - at - 4));
        at = end;
    }
    if (!args.empty()) args.erase(args.begin());  // the program path
    return args;
}

const char* kLanguages = R"({"narrow": {"107": "1", "2001": "q"},
  "wide": {"1000": "Base", "20007": "Base prep", "20013": "Base title"},
  "languages": [
    {"code": "en", "wide": {"1000": "English"}},
    {"code": "de", "wide": {"1000": "Deutsch", "20007": "Vorbereitung"}},
    {"code": "de_CH", "wide": {"1000": "Schweiz"}},
    {"code": "", "wide": {"20013": "Always"}}],
  "files": []})";

}  // namespace

using Probe = SetupTest;

// The locale is Wine's, taken from the Unix locale of the test run (LC_ALL); a second
// registration of this test runs it under de_CH and says so in QPK_EXPECT_LOCALE.
TEST_F(Probe, LanguageSectionsApplyByPrefixOfTheChosenLocale) {
    pack(kLanguages, probePath());
    auto r = run({}, {{"CORVO_LOG", "yes"}, {"QPK_PROBE_WIDE", "1000,20007,20013"}});
    ASSERT_EQ(r.exitCode, 0u) << r.stderrText;
    std::string log = onlyLog();
    size_t at = log.find("language/country is ");
    ASSERT_NE(at, std::string::npos) << log;
    std::string locale = log.substr(at + 20, log.find('\n', at) - at - 20);
    if (const char* expected = getenv("QPK_EXPECT_LOCALE")) EXPECT_EQ(locale, expected);

    std::string caption = "Base", prep = "Base prep";
    if (locale.rfind("en", 0) == 0) caption = "English";
    if (locale.rfind("de", 0) == 0) caption = "Deutsch", prep = "Vorbereitung";
    if (locale.rfind("de_CH", 0) == 0) caption = "Schweiz";
    EXPECT_TRUE(contains(r.stdoutText, "1000=" + caption + "\n")) << locale << "\n" << r.stdoutText;
    EXPECT_TRUE(contains(r.stdoutText, "20007=" + prep + "\n")) << r.stdoutText;
    EXPECT_TRUE(contains(r.stdoutText, "20013=Always\n")) << r.stdoutText;
}

TEST_F(Probe, ApplicationKindDecidesWhereErrorsGo) {
    for (const char* kind : {"1", "5"}) {
        pack(std::string(R"({"narrow": {"107": ")") + kind + R"("}, "files": []})", probePath());
        EXPECT_TRUE(contains(run({}).stdoutText, "guiErrors=1\n")) << kind;
    }
    for (const char* kind : {"0", "2", "x"}) {
        pack(std::string(R"({"narrow": {"107": ")") + kind + R"("}, "files": []})", probePath());
        EXPECT_TRUE(contains(run({}).stdoutText, "guiErrors=0\n")) << kind;
    }
}

TEST_F(Probe, ProductWordFollowsTheFirstCharacterOfTheKind) {
    pack(R"({"narrow": {"2001": "corvo-build"}, "files": []})", probePath());
    EXPECT_TRUE(contains(run({}).stdoutText, "productWord=corvo\n"));
    pack(R"({"narrow": {"2001": "Corvo"}, "files": []})", probePath());
    EXPECT_TRUE(contains(run({}).stdoutText, "productWord=quillpack\n"));
}

TEST_F(Probe, ForcedLogSwitchIsRemovedOnlyInFirstPlace) {
    pack(basicManifest(), probePath());
    auto first = run({"/create-cvo-log", "-q"});
    EXPECT_EQ(probeArgs(first.stdoutText), (std::vector<std::string>{"-q"}));
    auto second = run({"-q", "/create-cvo-log"});
    EXPECT_EQ(probeArgs(second.stdoutText), (std::vector<std::string>{"-q", "/create-cvo-log"}));
}

TEST_F(Probe, ManualTemporaryRootIsTestedBeforeUse) {
    pack(basicManifest(), probePath());
    std::string manual = dir() + "\\manual";
    makeDirectory(manual);
    std::map<std::string, std::string> keep = {{"CORVO_LOG", "yes"}};

    auto used = run({"-x", "-temp", manual, "-y"}, keep);
    EXPECT_EQ(probeArgs(used.stdoutText), (std::vector<std::string>{"-x", "-temp", manual, "-y"}));
    std::string log = onlyLog(manual);
    EXPECT_TRUE(contains(log, "] Using manual temp dir " + manual + " (" + manual + ")")) << log;
    EXPECT_TRUE(logs().empty()) << "the log belongs in the manual root";

    auto missing = run({"/temp", dir() + "\\nowhere", "-y", "-temp", manual}, keep);
    EXPECT_EQ(probeArgs(missing.stdoutText), (std::vector<std::string>{"-y", "-temp", manual}))
        << "only the first switch is handled";
    EXPECT_TRUE(contains(onlyLog(), "] Manual temp dir not usable " + dir() + "\\nowhere")) << onlyLog();

    auto last = run({"-y", "-temp"});
    EXPECT_EQ(probeArgs(last.stdoutText), (std::vector<std::string>{"-y"}));
    auto empty = run({"-temp", "", "-y"});
    EXPECT_EQ(probeArgs(empty.stdoutText), (std::vector<std::string>{"", "-y"}));
}

TEST_F(Probe, ManualRootOutsideTheCodePageIsUsedThroughItsShortName) {
    pack(basicManifest(), probePath());
    std::string manual = dir() + "\\\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e-temp";  // Japanese, not in 1252
    makeDirectory(manual);
    auto r = run({"-temp", manual}, {{"CORVO_LOG", "yes"}});
    EXPECT_EQ(probeArgs(r.stdoutText), (std::vector<std::string>{"-temp", manual}));
    std::string log = onlyLog(manual);
    size_t at = log.find("] Using manual temp dir " + manual + " (");
    ASSERT_NE(at, std::string::npos) << log;
    std::string narrow = log.substr(log.find('(', at) + 1);
    narrow = narrow.substr(0, narrow.find(')'));
    EXPECT_NE(narrow.find('~'), std::string::npos) << "expected a short name, got " << narrow;
}

TEST_F(Probe, FatalMessageInConsoleRunGoesToStandardErrorAndRemovesThePrivateDirectory) {
    pack(R"({"narrow": {"107": "0"}, "wide": {"1009": "Internal error {0}, see {0}.", "1015": "No folder."},
             "files": []})", probePath());
    auto r = run({}, {{"QPK_PROBE_PRIVATE_TEMP", "1"}, {"QPK_PROBE_FATAL", "1009"}, {"QPK_PROBE_DETAIL", "7"}});
    EXPECT_EQ(r.exitCode, 1u);
    size_t at = r.stdoutText.find("tempDir=");
    ASSERT_NE(at, std::string::npos) << r.stdoutText;
    std::string tempDir = r.stdoutText.substr(at + 8, r.stdoutText.find('\n', at) - at - 8);
    EXPECT_EQ(tempDir.rfind(tmp(), 0), 0u) << tempDir;
    EXPECT_FALSE(fileExists(tempDir)) << "the fatal exit removes the private directory";
    std::vector<std::string> found = logs();
    ASSERT_EQ(found.size(), 1u) << "a fatal message names the log, so it stays";
    // Only the first placeholder is replaced.
    EXPECT_EQ(r.stderrText, "Internal error 7, see {0}.\n\nLog: " + found[0] + "\n");

    clearLogs();
    r = run({}, {{"QPK_PROBE_FATAL", "1015"}, {"QPK_PROBE_DETAIL", "ignored"}});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_EQ(r.stderrText.rfind("No folder.\n\nLog: ", 0), 0u) << r.stderrText;

    clearLogs();
    r = run({}, {{"QPK_PROBE_FATAL", "4242"}});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_EQ(r.stderrText.rfind("\n\nLog: ", 0), 0u) << "an absent message is empty: " << r.stderrText;
}

TEST_F(Probe, FatalExitOfALanguageRestartKeepsTheDirectory) {
    pack(R"({"narrow": {"107": "0"}, "files": []})", probePath());
    qpktest::RunOptions o = options({{"QPK_PROBE_PRIVATE_TEMP", "1"}, {"QPK_PROBE_FATAL", "1009"}});
    o.program = setup();
    o.argText = "__qpk_lang_restart";
    qpktest::RunResult r = qpktest::runProgram(o);
    EXPECT_EQ(r.exitCode, 1u);
    size_t at = r.stdoutText.find("tempDir=");
    ASSERT_NE(at, std::string::npos) << r.stdoutText;
    std::string tempDir = r.stdoutText.substr(at + 8, r.stdoutText.find_first_of("\r\n", at) - at - 8);
    EXPECT_TRUE(fileExists(tempDir)) << tempDir;
}
