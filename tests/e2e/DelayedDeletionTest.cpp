// The delayed-deletion role as a real process: what it deletes, what it waits for, what it
// leaves for the next boot.
#include <windows.h>

#include <algorithm>

#include "DeletionTestSupport.h"

using namespace qpke2e;

namespace {

// A list whose texts are never shown: nothing here reboots or asks.
std::vector<std::string> listOf(const std::string& semaphore, const std::string& control,
                                const std::vector<std::string>& files, const std::vector<std::string>& dirs) {
    std::vector<std::string> lines{semaphore, control, "Restart?", "EOSMARKER", "Restart failed", "EOSMARKER"};
    lines.insert(lines.end(), files.begin(), files.end());
    lines.push_back("");
    lines.insert(lines.end(), dirs.begin(), dirs.end());
    return lines;
}

}  // namespace

TEST_F(DeletionTest, DeletesFilesThenDirectoriesAndTheList) {
    std::string app = dir() + "\\app \xC3\xBC\xE4\xB8\xAD";  // "app ü中": wide paths throughout
    makeDirectory(app);
    makeDirectory(app + "\\lib");
    writeFile(app + "\\lib\\a.jar", "a");
    writeFile(app + "\\run.exe", "r");
    writeFile(dir() + "\\relative.txt", "x");
    writeFile(tmp() + "\\relative.txt", "y");  // the same name in the working directory stays
    std::string list = writeList("list.txt", listOf("", "other",
                                                    {app + "\\lib\\a.jar", app + "\\run.exe", "relative.txt",
                                                     app + "\\never-there"},
                                                    {app + "\\lib", app}));
    qpktest::RunResult r = qpktest::runProgram(windel(list));
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_FALSE(fileExists(app)) << "emptied by the same pass, then removed child first";
    EXPECT_FALSE(fileExists(dir() + "\\relative.txt")) << "relative to the executable's directory";
    EXPECT_TRUE(fileExists(tmp() + "\\relative.txt"));
    EXPECT_FALSE(fileExists(list));
    EXPECT_NE(onlyLog().find("deletion done after 1 passes"), std::string::npos);
}

TEST_F(DeletionTest, WaitsUntilTheSemaphoreIsGone) {
    std::string name = "qpk-windel-test-" + std::to_string(GetCurrentProcessId());
    qpk::UniqueHandle semaphore(CreateSemaphoreW(nullptr, 1, 1, qpktest::widen(name).c_str()));
    ASSERT_TRUE(semaphore.valid());
    writeFile(dir() + "\\f", "x");
    std::string list = writeList("list.txt", listOf(name, "other", {dir() + "\\f"}, {}));
    qpktest::RunningProgram child(windel(list));
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(logShows("waiting for semaphore " + name));
    Sleep(1000);
    EXPECT_TRUE(fileExists(dir() + "\\f")) << "deleted while the semaphore existed";
    semaphore.reset();
    qpktest::RunResult r = child.wait();
    ASSERT_FALSE(r.timedOut);
    EXPECT_FALSE(fileExists(dir() + "\\f"));
    std::string log = onlyLog();
    EXPECT_LT(log.find("semaphore " + name + " is gone"), log.find("deleted "));
}

TEST_F(DeletionTest, LockedFileGoesInALaterPass) {
    std::string locked = dir() + "\\locked.dll";
    writeFile(locked, "x");
    qpk::UniqueFile hold = holdFile(locked);
    std::string list = writeList("list.txt", listOf("", "reboot_deletion", {locked}, {}));
    qpktest::RunningProgram child(windel(list));
    ASSERT_TRUE(logShows("cannot delete " + locked));
    Sleep(1200);  // two or three more passes fail
    hold.reset();
    qpktest::RunResult r = child.wait();
    ASSERT_FALSE(r.timedOut);
    EXPECT_FALSE(fileExists(locked));
    std::string log = onlyLog();
    EXPECT_EQ(log.find("deletion done after 1 passes"), std::string::npos);
    EXPECT_EQ(log.find("scheduled"), std::string::npos);
}

TEST_F(DeletionTest, PrivateTempPathsAreLeftToTheNextBootAtOnce) {
    std::string priv = dir() + "\\cvo1F3.tmp_dir1700000000";
    makeDirectory(priv);
    writeFile(priv + "\\runtime.jar", "x");
    qpk::UniqueFile hold = holdFile(priv + "\\runtime.jar");
    std::string list = writeList("list.txt", listOf("", "other", {priv + "\\runtime.jar"}, {priv}));
    qpktest::RunResult r = qpktest::runProgram(windel(list));
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(fileExists(priv + "\\runtime.jar"));
    EXPECT_FALSE(fileExists(list));
    EXPECT_NE(onlyLog().find("deletion done after 1 passes"), std::string::npos);
    // Wine keeps them where Windows does; the file must go before its directory.
    std::vector<std::string> pending = pendingBootDeletions();
    auto file = std::find(pending.begin(), pending.end(), priv + "\\runtime.jar");
    auto directory = std::find(pending.begin(), pending.end(), priv);
    ASSERT_NE(file, pending.end());
    ASSERT_NE(directory, pending.end());
    EXPECT_LT(file, directory);
    EXPECT_EQ(std::count(pending.begin(), pending.end(), priv), 1);
}

TEST_F(DeletionTest, IncompleteOrMissingListDeletesNothing) {
    writeFile(dir() + "\\victim", "x");
    // Without a control line the two empty lines would make "victim" a file path.
    std::string list = writeList("list.txt", {"", "", dir() + "\\victim"});
    qpktest::RunResult r = qpktest::runProgram(windel(list));
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(fileExists(dir() + "\\victim"));
    EXPECT_TRUE(fileExists(list));
    EXPECT_NE(onlyLog().find("ERROR: deletion list " + list), std::string::npos);

    clearLogs();
    r = qpktest::runProgram(windel(dir() + "\\no-such-list.txt"));
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_NE(onlyLog().find("cannot open the deletion list"), std::string::npos);
}
