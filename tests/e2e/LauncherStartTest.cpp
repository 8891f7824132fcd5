// The launcher's start-up as a user meets it: packed setups started as processes.
#include <windows.h>

#include <gtest/gtest.h>

#include "BuildPaths.h"
#include "SetupFixture.h"

using namespace qpke2e;

namespace {

const std::map<std::string, std::string> kKeepLog = {{"CORVO_LOG", "yes"}};

}  // namespace

using LauncherStart = SetupTest;

TEST_F(LauncherStart, NormalRunReachesInitDoneAndDeletesItsLog) {
    pack(installerManifest());
    auto r = run({});
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.stderrText, "");
    EXPECT_TRUE(logs().empty()) << "the log must be gone after a normal exit";
}

TEST_F(LauncherStart, LogKeptByEitherVariableSetExactlyToYes) {
    pack(installerManifest());
    ASSERT_EQ(run({}, {{"CORVO_LOG", "yes"}}).exitCode, 0u);
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "Started executable ")) << log;
    EXPECT_TRUE(contains(log, "setup.exe at ")) << log;
    for (const char* line : {"] restrict DLL directories", "] number of sections: ", "] size of optional headers: ",
                             "] resSectionTableStart: ", "] rawDataSize: ", "] language/country is ",
                             "] working directory unchanged", "] Init done"})
        EXPECT_TRUE(contains(log, line)) << line << "\n" << log;

    ASSERT_EQ(run({}, {{"QUILLPACK_LOG", "yes"}}).exitCode, 0u);
    EXPECT_EQ(logs().size(), 2u);
    // The next free number is taken.
    EXPECT_TRUE(fileExists(tmp() + "\\qpk_nlog_2.log"));

    ASSERT_EQ(run({}, {{"CORVO_LOG", "Yes"}, {"QUILLPACK_LOG", "1"}}).exitCode, 0u);
    EXPECT_EQ(logs().size(), 2u) << "only \"yes\" keeps the log";
}

TEST_F(LauncherStart, ForcedLogSwitchCountsOnlyAsFirstArgument) {
    pack(installerManifest());
    // Without a display the question box returns at once; the log stays.
    ASSERT_EQ(run({"-create-cvo-log"}).exitCode, 0u);
    EXPECT_EQ(logs().size(), 1u);
    ASSERT_EQ(run({"-q", "-create-qpk-log"}).exitCode, 0u);
    EXPECT_EQ(logs().size(), 1u) << "the switch in second place must not keep the log";
}

TEST_F(LauncherStart, EveryTruncationOfTheBlockIsFatalWithoutACrash) {
    // One entry of each table is enough; the default messages would only multiply the runs.
    pack(R"({"narrow": {"107": "1", "2001": "q"}, "wide": {"1000": "Setup"}, "defaultMessages": false,
             "languages": [{"code": "de", "wide": {"1000": "Einrichtung"}}], "files": []})");
    uint64_t payloadStart = 0;
    std::vector<uint64_t> fields = blockFieldStarts(setup(), payloadStart);
    ASSERT_GT(fields.size(), 20u);
    std::string whole = readFile(setup());
    // Cut right at every field and in the middle of every field wider than one byte.
    std::vector<uint64_t> cuts;
    for (size_t i = 0; i + 1 < fields.size(); ++i) {
        cuts.push_back(fields[i]);
        if (fields[i + 1] - fields[i] > 1) cuts.push_back((fields[i] + fields[i + 1]) / 2);
    }
    for (uint64_t cut : cuts) {
        std::string offset = std::to_string(cut - payloadStart);
        SCOPED_TRACE("cut at block offset " + offset);
        // A fresh file per cut: Wine may still hold the image of the previous run's file.
        std::string truncated = dir() + "\\truncated-" + offset + ".exe";
        writeFile(truncated, whole.substr(0, size_t(cut)));
        auto r = run({"-q"}, kKeepLog, truncated);
        EXPECT_EQ(r.exitCode, 1u);
        std::vector<std::string> found = logs();
        ASSERT_EQ(found.size(), 1u);
        std::string log = readFile(found[0]);
        EXPECT_FALSE(contains(log, "Init done")) << log;
        EXPECT_TRUE(contains(log, "number of sections:")) << log;
        clearLogs();
    }
    // Integer fields log the failing read with the bytes it got.
    std::string truncated = dir() + "\\truncated.exe";
    writeFile(truncated, whole.substr(0, size_t(payloadStart + 2)));
    run({}, kKeepLog, truncated);
    EXPECT_TRUE(contains(onlyLog(), "] error 0 2")) << onlyLog();
}

TEST_F(LauncherStart, WrongMagicIsFatal) {
    pack(installerManifest());
    uint64_t payloadStart = 0;
    blockFieldStarts(setup(), payloadStart);
    std::string bytes = readFile(setup());
    bytes[size_t(payloadStart)] ^= 0x01;
    writeFile(setup(), bytes);
    auto r = run({"-q"}, kKeepLog);
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_FALSE(contains(onlyLog(), "Init done"));
}

TEST_F(LauncherStart, ImageWithoutBlockIsFatal) {
    auto r = run({"-q"}, {}, qpktest::launcherPath());
    EXPECT_EQ(r.exitCode, 1u);
    // The fatal message names the log, so it is kept.
    EXPECT_EQ(logs().size(), 1u);
}

TEST_F(LauncherStart, BlockWithNoEntriesLoads) {
    std::string image = readFile(qpktest::launcherPath());
    std::string header("\xd5\x13\xe4\xe8", 4);
    header += std::string(4, '\0');            // integrity flag
    header += std::string(4, '\0');            // CRC
    header += std::string("\x0c\0\0\0\0\0\0\0", 8);  // checked length: the three counts
    header += std::string(12, '\0');           // no 8-bit, wide or language entries
    writeFile(setup(), image + header);
    auto r = run({}, kKeepLog);
    // Loaded, it goes on to the runtime search, which finds nothing in this environment.
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(contains(onlyLog(), "Init done"));
    EXPECT_TRUE(contains(onlyLog(), "] Starting work"));
}

TEST_F(LauncherStart, MarkersAreReadFromTheRawTail) {
    // A block the launcher role cannot read: only roles that never read it end with 0.
    pack(installerManifest());
    uint64_t payloadStart = 0;
    blockFieldStarts(setup(), payloadStart);
    std::string good = readFile(setup());
    std::string bad = good;
    bad[size_t(payloadStart)] ^= 0x01;
    writeFile(setup(), bad);
    // The reboot marker itself is not started here: it would end this Wine session.
    EXPECT_EQ(runTail("__qpk_reboot now").exitCode, 1u) << "the reboot marker is the whole tail";
    EXPECT_EQ(runTail("__qpk_windel missing-list.txt").exitCode, 0u);
    EXPECT_EQ(runTail("__qpk_windel").exitCode, 1u) << "without a list file it is a normal start";

    writeFile(setup(), good);
    clearLogs();
    ASSERT_EQ(runTail("__qpk_lang_restart -x", kKeepLog).exitCode, 0u);
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "] language restart")) << log;
    EXPECT_TRUE(contains(log, "Init done"));
    // A language restart keeps the current directory as it is.
    EXPECT_FALSE(contains(log, "working directory")) << log;
    clearLogs();
    ASSERT_EQ(runTail("__qpk_extract_and_exit", kKeepLog).exitCode, 0u);
    EXPECT_TRUE(contains(onlyLog(), "] extract and exit mode"));
}

TEST_F(LauncherStart, TemporaryRootFallsBackAlongTheChain) {
    pack(installerManifest());
    // An unusable TMP/TEMP: the profile's temporary directory comes next.
    std::string profile = dir() + "\\profile";
    std::string profileTemp = profile + "\\AppData\\Local\\Temp";
    for (const char* d : {"\\profile", "\\profile\\AppData", "\\profile\\AppData\\Local", "\\profile\\AppData\\Local\\Temp"})
        makeDirectory(dir() + d);
    std::map<std::string, std::string> env = kKeepLog;
    env["TMP"] = env["TEMP"] = "Q:\\no\\such\\dir";
    env["USERPROFILE"] = profile;
    env["HOMEDRIVE"] = "";
    env["HOMEPATH"] = dir() + "\\home";
    ASSERT_EQ(run({}, env).exitCode, 0u);
    EXPECT_EQ(logs(profileTemp).size(), 1u);

    // Then the home directory.
    makeDirectory(dir() + "\\home");
    env["USERPROFILE"] = dir() + "\\missing-profile";
    ASSERT_EQ(run({}, env).exitCode, 0u);
    EXPECT_EQ(logs(dir() + "\\home").size(), 1u);

    // Then the Windows directory's temp.
    env["HOMEPATH"] = dir() + "\\missing-home";
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string windowsTemp = std::string(windows) + "\\temp";
    size_t before = logs(windowsTemp).size();
    auto r = run({"-create-qpk-log"}, env);
    ASSERT_EQ(r.exitCode, 0u);
    std::vector<std::string> after = logs(windowsTemp);
    EXPECT_EQ(after.size(), before + 1);
    for (const std::string& log : after)
        if (contains(readFile(log), dir())) DeleteFileA(log.c_str());
}

TEST_F(LauncherStart, WorkingDirectoryIsSetRelativeToTheExecutable) {
    pack(installerManifest(R"(, "146": "work\\\\\\\\sub")"));
    makeDirectory(dir() + "\\work");
    makeDirectory(dir() + "\\work\\sub");
    ASSERT_EQ(run({}, kKeepLog).exitCode, 0u);
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "] change working directory to " + dir() + "\\work\\sub\n")) << log;
}

TEST_F(LauncherStart, WorkingDirectoryExpandsVariables) {
    pack(installerManifest(R"(, "146": "%QUILLPACK_EXEDIR%${QPK_WORK}")"));
    makeDirectory(dir() + "\\work");
    std::map<std::string, std::string> env = kKeepLog;
    env["QPK_WORK"] = "work";
    ASSERT_EQ(run({}, env).exitCode, 0u);
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "] expanding2 %QUILLPACK_EXEDIR% to " + dir() + "\\ in ")) << log;
    EXPECT_TRUE(contains(log, "] change working directory to " + dir() + "\\work\n")) << log;
}
