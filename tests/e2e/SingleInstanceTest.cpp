// The instance semaphore seen from outside: the test itself plays the other instance by
// holding the semaphore names a running launcher would hold.
#include <windows.h>

#include <gtest/gtest.h>

#include "SetupFixture.h"
#include "SingleInstanceSupport.h"

using namespace qpke2e;

using SingleInstance = SetupTest;

TEST_F(SingleInstance, NumberedModeTakesTheFirstFreeName) {
    pack(installerManifest());
    ASSERT_EQ(run({}, kKeepLog).exitCode, 0u);
    std::string first = loggedName(onlyLog());
    EXPECT_EQ(first, "Local\\" + expectedKey(setup()) + "0");
    EXPECT_TRUE(contains(onlyLog(), first + ", code 0, value ")) << onlyLog();

    // Two instances already run: the third gets the name ending in 2.
    std::string base = first.substr(0, first.size() - 1);
    HeldSemaphore zero(base + "0"), one(base + "1");
    clearLogs();
    ASSERT_EQ(run({}, kKeepLog).exitCode, 0u);
    std::string log = onlyLog();
    EXPECT_EQ(loggedName(log), base + "2");
    EXPECT_TRUE(contains(log, base + "0, code 183")) << log;
    EXPECT_TRUE(contains(log, "Init done"));
}

TEST_F(SingleInstance, SecondStartEndsWithZeroAndRegistersNothing) {
    pack(installerManifest(R"(, "10005": "1")"));
    std::string pathKey = lowered(setup());
    std::string name = "Local\\" + expectedKey(setup());

    // Alone, it runs and records its process id.
    qpktest::RunOptions o = options(kKeepLog);
    qpktest::RunningProgram alone(o);
    DWORD pid = alone.processId();
    qpktest::RunResult r = alone.wait();
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(contains(onlyLog(), "] single instance mode"));
    EXPECT_TRUE(contains(onlyLog(), "Init done"));
    EXPECT_EQ(readPid(pathKey), pid);

    // With the semaphore held, it reads the other id, touches no window and exits with 0.
    writePid(pathKey, GetCurrentProcessId());
    HeldSemaphore other(name);
    clearLogs();
    r = run({}, kKeepLog);
    EXPECT_EQ(r.exitCode, 0u);
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "] other pid " + std::to_string(GetCurrentProcessId()) + "\n")) << log;
    EXPECT_TRUE(contains(log, "] exiting")) << log;
    EXPECT_FALSE(contains(log, "found window")) << log;
    EXPECT_FALSE(contains(log, "Init done"));
    EXPECT_EQ(readPid(pathKey), GetCurrentProcessId()) << "a second instance does not register";
}

TEST_F(SingleInstance, KeyIsThePathLowerCasedAndGlobalWhenAsked) {
    pack(installerManifest(R"(, "158": "1")"));
    std::string upper = setup();
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    ASSERT_EQ(run({}, kKeepLog, upper).exitCode, 0u);
    EXPECT_EQ(loggedName(onlyLog()), "Global\\" + expectedKey(setup()) + "0");

    // A copy in another directory has its own name.
    makeDirectory(dir() + "\\other dir");
    std::string copy = dir() + "\\other dir\\setup.exe";
    writeFile(copy, readFile(setup()));
    clearLogs();
    ASSERT_EQ(run({}, kKeepLog, copy).exitCode, 0u);
    std::string name = loggedName(onlyLog());
    EXPECT_EQ(name, "Global\\" + expectedKey(copy) + "0");
    EXPECT_TRUE(contains(name, "other_dir")) << "spaces become underscores: " << name;
}

TEST_F(SingleInstance, LanguageRestartSkipsTheCheck) {
    pack(installerManifest(R"(, "10005": "1")"));
    HeldSemaphore other("Local\\" + expectedKey(setup()));
    ASSERT_EQ(runTail("__qpk_lang_restart", kKeepLog).exitCode, 0u);
    EXPECT_FALSE(contains(onlyLog(), "single instance mode"));
    EXPECT_TRUE(contains(onlyLog(), "Init done"));
}
