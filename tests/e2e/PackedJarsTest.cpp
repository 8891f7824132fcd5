// Restoring Pack200 jars with the launcher's own code (through packed_jars_probe, packed
// like a setup) and the unpack200.exe stand-in in the runtime's bin directory: which jars
// are restored, what unpack200 is started with, what the log and standard output say.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "BuildPaths.h"
#include "SetupFixture.h"
#include "Utf8.h"

using namespace qpke2e;

namespace {

const char* kStandInMark = "QPK-UNPACK200\n";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    return out;
}

// The log's messages without their time prefix, from the first one equal to `first` on.
std::vector<std::string> messagesFrom(const std::string& log, const std::string& first) {
    std::vector<std::string> out;
    for (const std::string& line : lines(log)) {
        if (line.empty() || line[0] != '[') continue;
        std::string message = line.substr(line.find("] ") + 2);
        if (out.empty() && message != first) continue;
        out.push_back(message);
    }
    return out;
}

// The log lines of one unpackJar that started the stand-in.
std::vector<std::string> unpackLines(const std::string& home, const std::string& pack, const std::string& jar) {
    return {home + "\\bin\\unpack200.exe", "-r \"" + pack + "\" \"" + jar + "\"",
            "waiting for unpack200 to finish", "unpack done"};
}

void append(std::vector<std::string>& to, const std::vector<std::string>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

class PackedJars : public SetupTest {
protected:
    void SetUp() override {
        SetupTest::SetUp();
        pack(R"({"narrow": {"107": "0"}, "wide": {"1009": "Internal error {0}."}, "files": []})",
             qpktest::helperPath("packed_jars_probe"));
    }

    // A runtime home (its name with a space) with the stand-in as bin\unpack200.exe.
    std::string makeHome(const std::string& name, bool withUnpacker = true) {
        std::string home = dir() + "\\" + name;
        makeDirectory(home);
        makeDirectory(home + "\\bin");
        if (withUnpacker) {
            EXPECT_TRUE(CopyFileW(qpktest::widen(qpktest::toWindowsPath(QPK_STANDIN_UNPACK200)).c_str(),
                                  qpktest::widen(home + "\\bin\\unpack200.exe").c_str(), FALSE));
        }
        return home;
    }

    // "command=" and "startup=" lines of the stand-in's runs from that home.
    std::vector<std::string> unpackerLog(const std::string& home, const std::string& key) {
        std::vector<std::string> out;
        for (const std::string& line : lines(readFile(home + "\\bin\\unpack200.log")))
            if (line.rfind(key + "=", 0) == 0) out.push_back(line.substr(key.size() + 1));
        return out;
    }

    qpktest::RunResult probe(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {}) {
        std::map<std::string, std::string> all = {{"CORVO_LOG", "yes"}};
        all.insert(env.begin(), env.end());
        return run(args, all);
    }
};

TEST_F(PackedJars, LibAndLibExtAreRestoredWithOneAnnouncementPerCall) {
    std::string empty = makeHome("no lib");
    std::string home = makeHome("j re");
    makeDirectory(home + "\\lib");
    makeDirectory(home + "\\lib\\ext");
    writeFile(home + "\\lib\\a.jar.pack", "A");
    writeFile(home + "\\lib\\x.pack", "not a packed jar");
    writeFile(home + "\\lib\\ext\\c.jar.pack", "C");
    // Here the first match needs nothing, so the announcement comes with the second.
    std::string other = makeHome("other jre");
    makeDirectory(other + "\\lib");
    makeDirectory(other + "\\lib\\ext");
    writeFile(other + "\\lib\\d.jar", "D jar");
    writeFile(other + "\\lib\\d.jar.pack", "D pack");
    writeFile(other + "\\lib\\ext\\e.jar.pack", "E");

    auto r = probe({"-home", empty, "-home", home, "-home", other});
    ASSERT_EQ(r.exitCode, 0u) << r.stderrText;
    // The stand-in shares the probe's standard output, which puts its runs in order.
    EXPECT_EQ(r.stdoutText, "returned\n"
                            "Preparing JRE ...\n"
                            "unpack200 " + home + "\\lib\\a.jar\n"
                            "unpack200 " + home + "\\lib\\ext\\c.jar\n"
                            "returned\n"
                            "Preparing JRE ...\n"
                            "unpack200 " + other + "\\lib\\ext\\e.jar\n"
                            "returned\n");

    EXPECT_EQ(readFile(home + "\\lib\\a.jar"), std::string(kStandInMark) + "A");
    EXPECT_EQ(readFile(home + "\\lib\\ext\\c.jar"), std::string(kStandInMark) + "C");
    EXPECT_EQ(readFile(other + "\\lib\\ext\\e.jar"), std::string(kStandInMark) + "E");
    EXPECT_FALSE(fileExists(home + "\\lib\\a.jar.pack")) << "the launcher deletes what the stand-in keeps";
    EXPECT_FALSE(fileExists(home + "\\lib\\ext\\c.jar.pack"));
    EXPECT_FALSE(fileExists(other + "\\lib\\ext\\e.jar.pack"));
    EXPECT_EQ(readFile(home + "\\lib\\x.pack"), "not a packed jar");
    EXPECT_FALSE(fileExists(home + "\\lib\\x"));
    EXPECT_EQ(readFile(other + "\\lib\\d.jar"), "D jar");
    EXPECT_EQ(readFile(other + "\\lib\\d.jar.pack"), "D pack");

    EXPECT_EQ(unpackerLog(home, "command"),
              (std::vector<std::string>{"-r \"" + home + "\\lib\\a.jar.pack\" \"" + home + "\\lib\\a.jar\"",
                                        "-r \"" + home + "\\lib\\ext\\c.jar.pack\" \"" + home + "\\lib\\ext\\c.jar\""}));
    EXPECT_EQ(unpackerLog(other, "command").size(), 1u);
    EXPECT_FALSE(fileExists(empty + "\\bin\\unpack200.log"));
    // STARTF_USESHOWWINDOW with SW_HIDE, NORMAL_PRIORITY_CLASS.
    for (const std::string& startup : unpackerLog(home, "startup")) EXPECT_EQ(startup, "flags:1 show:0 priority:20");

    std::vector<std::string> expected = {"checking " + home + "\\lib\\a.jar", "Unpacking JRE"};
    append(expected, unpackLines(home, home + "\\lib\\a.jar.pack", home + "\\lib\\a.jar"));
    expected.push_back("checking " + home + "\\lib\\ext\\c.jar");
    append(expected, unpackLines(home, home + "\\lib\\ext\\c.jar.pack", home + "\\lib\\ext\\c.jar"));
    append(expected, {"Unpacking JRE done", "checking " + other + "\\lib\\d.jar",
                      "checking " + other + "\\lib\\ext\\e.jar", "Unpacking JRE"});
    append(expected, unpackLines(other, other + "\\lib\\ext\\e.jar.pack", other + "\\lib\\ext\\e.jar"));
    expected.push_back("Unpacking JRE done");
    EXPECT_EQ(messagesFrom(onlyLog(), expected[0]), expected);
}

TEST_F(PackedJars, MissingUnpack200IsTheFatalInternalError20) {
    std::string home = makeHome("j re", false);
    makeDirectory(home + "\\lib");
    writeFile(home + "\\lib\\a.jar.pack", "A");

    auto r = probe({"-home", home});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_EQ(r.stdoutText, "Preparing JRE ...\n");
    std::vector<std::string> found = logs();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(r.stderrText, "Internal error 20.\n\nLog: " + found[0] + "\n");
    std::vector<std::string> expected = {"checking " + home + "\\lib\\a.jar", "Unpacking JRE",
                                         home + "\\bin\\unpack200.exe",
                                         "-r \"" + home + "\\lib\\a.jar.pack\" \"" + home + "\\lib\\a.jar\"",
                                         "could not create unpack process"};
    EXPECT_EQ(messagesFrom(onlyLog(), expected[0]), expected);
    EXPECT_EQ(readFile(home + "\\lib\\a.jar.pack"), "A");
}

// unpackJar on its own, as used for payload files: the jar is the pack path without
// ".pack", wherever it is.
TEST_F(PackedJars, SinglePackIsWaitedForAndAFailedDeletionIsOnlyLogged) {
    std::string home = makeHome("j re");
    std::string missing = dir() + "\\missing.jar.pack";
    std::string readOnly = dir() + "\\read only.jar.pack";
    std::string slow = dir() + "\\data.pack";
    writeFile(readOnly, "R");
    ASSERT_TRUE(SetFileAttributesW(qpktest::widen(readOnly).c_str(), FILE_ATTRIBUTE_READONLY));
    writeFile(slow, "S");

    // Late enough that a caller who did not wait would delete the pack before it is read.
    auto r = probe({"-pack", home, missing, "-pack", home, readOnly, "-pack", home, slow},
                   {{"QPK_UNPACK200_DELAY_MS", "300"}});
    SetFileAttributesW(qpktest::widen(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(r.exitCode, 0u) << r.stderrText;
    EXPECT_EQ(r.stdoutText, "returned\n"
                            "unpack200 " + dir() + "\\read only.jar\n"
                            "returned\n"
                            "unpack200 " + dir() + "\\data\n"
                            "returned\n");
    EXPECT_EQ(readFile(dir() + "\\read only.jar"), std::string(kStandInMark) + "R");
    EXPECT_EQ(readFile(readOnly), "R");
    EXPECT_EQ(readFile(dir() + "\\data"), std::string(kStandInMark) + "S");
    EXPECT_FALSE(fileExists(slow));

    std::vector<std::string> expected = {"pack path doesn't exists"};
    append(expected, unpackLines(home, readOnly, dir() + "\\read only.jar"));
    expected.push_back("could not delete packed file (error 5)");
    append(expected, unpackLines(home, slow, dir() + "\\data"));
    EXPECT_EQ(messagesFrom(onlyLog(), expected[0]), expected);
}

// A jar that unpack200 does not restore (an exit code other than 0, or no jar) keeps its
// pack, loses what was begun of it, and fails the call; a home stops at its first failure.
TEST_F(PackedJars, FailedUnpackKeepsThePackAndFails) {
    std::string broken = makeHome("broken jre"), empty = makeHome("empty jre");
    for (const std::string& home : {broken, empty}) makeDirectory(home + "\\lib");
    writeFile(broken + "\\lib\\a.jar.pack", "QPK-FAIL");
    makeDirectory(broken + "\\lib\\ext");
    writeFile(broken + "\\lib\\ext\\c.jar.pack", "C");
    writeFile(empty + "\\lib\\b.jar.pack", "QPK-NOJAR");
    std::string payload = dir() + "\\data.pack";
    writeFile(payload, "QPK-FAIL");

    auto r = probe({"-home", broken, "-home", empty, "-pack", broken, payload});
    ASSERT_EQ(r.exitCode, 0u) << r.stderrText;
    EXPECT_EQ(r.stdoutText, "Preparing JRE ...\nfailed\nPreparing JRE ...\nfailed\nfailed\n");
    EXPECT_EQ(readFile(broken + "\\lib\\a.jar.pack"), "QPK-FAIL");
    EXPECT_FALSE(fileExists(broken + "\\lib\\a.jar")) << "half a jar is no jar";
    EXPECT_FALSE(fileExists(broken + "\\lib\\ext\\c.jar"));
    EXPECT_EQ(readFile(empty + "\\lib\\b.jar.pack"), "QPK-NOJAR");
    EXPECT_EQ(readFile(payload), "QPK-FAIL");
    EXPECT_FALSE(fileExists(dir() + "\\data"));
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "] ERROR: unpack200 failed with exit code 5: " + broken + "\\lib\\a.jar.pack\n")) << log;
    EXPECT_TRUE(contains(log, "] ERROR: unpack200 left no jar " + empty + "\\lib\\b.jar\n")) << log;
    EXPECT_TRUE(contains(log, "] ERROR: unpack200 failed with exit code 5: " + payload + "\n")) << log;
    std::vector<std::string> messages = messagesFrom(log, "checking " + broken + "\\lib\\a.jar");
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "ERROR: Unpacking JRE failed"), 2) << log;
    EXPECT_FALSE(contains(log, "Unpacking JRE done")) << log;
}

// The real unpack200 removes the pack itself on -r; the launcher's deletion then finds
// nothing, which is no error.
TEST_F(PackedJars, PackAlreadyRemovedByUnpack200IsNoError) {
    std::string home = makeHome("j re");
    std::string pack = dir() + "\\a.jar.pack";
    writeFile(pack, "A");
    auto r = probe({"-pack", home, pack}, {{"QPK_UNPACK200_REMOVE_PACK", "1"}});
    ASSERT_EQ(r.exitCode, 0u) << r.stderrText;
    EXPECT_EQ(readFile(dir() + "\\a.jar"), std::string(kStandInMark) + "A");
    EXPECT_FALSE(fileExists(pack));
    std::vector<std::string> expected = unpackLines(home, pack, dir() + "\\a.jar");
    EXPECT_EQ(messagesFrom(onlyLog(), expected[0]), expected);
}

}  // namespace
