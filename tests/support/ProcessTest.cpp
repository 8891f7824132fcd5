#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BuildPaths.h"
#include "Process.h"
#include "ScratchDir.h"
#include "Utf8.h"

using namespace qpktest;

namespace {

std::vector<std::string> splitAtNul(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t nul; (nul = text.find('\0', start)) != std::string::npos; start = nul + 1) {
    parts.push_back(text.substr(start, nul - start));
  }
  return parts;
}

RunOptions probe(std::vector<std::string> args) {
  RunOptions options;
  options.program = helperPath("procprobe");
  options.args = std::move(args);
  return options;
}

}  // namespace

TEST(RunProgram, ArgumentsArriveUnchanged) {
  const std::vector<std::string> args = {
      "", "plain", "two words", "tab\there", "new\nline", "quote\"inside", "\"", "\"\"",
      "trailing\\", "trailing space\\", "\\\\server\\share\\", "slashes\\\\\"quote",
      "a\\b\\\\c", "\xC3\xBCmlaut \xE6\x97\xA5\xE6\x9C\xAC"};
  RunOptions options = probe({"args"});
  options.args.insert(options.args.end(), args.begin(), args.end());
  RunResult result = runProgram(options);
  ASSERT_TRUE(result.started) << result.error;
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(splitAtNul(result.stdoutText), args);
}

TEST(RunProgram, ArgumentTextIsNotQuotedAgain) {
  RunOptions options = probe({});
  options.argText = "args \"x y\"  z\\\"";
  RunResult result = runProgram(options);
  ASSERT_TRUE(result.started) << result.error;
  EXPECT_EQ(splitAtNul(result.stdoutText), (std::vector<std::string>{"x y", "z\""}));
}

TEST(RunProgram, EnvironmentIsCopiedWithOverridesAndRemovals) {
  SetEnvironmentVariableW(L"QPK_TEST_KEPT", L"kept");
  SetEnvironmentVariableW(L"QPK_TEST_GONE", L"gone");
  SetEnvironmentVariableW(L"QPK_TEST_REPLACED", L"old");
  RunOptions options = probe({"env", "QPK_TEST_KEPT", "QPK_TEST_GONE", "QPK_TEST_REPLACED",
                              "QPK_TEST_NEW", "SystemRoot"});
  // Windows names are case-blind: a differently spelt name must still hit the variable.
  options.unsetEnv = {"qpk_test_gone"};
  options.setEnv = {{"Qpk_Test_Replaced", "new"}, {"QPK_TEST_NEW", "\xC3\xA4 = x"}};
  RunResult result = runProgram(options);
  SetEnvironmentVariableW(L"QPK_TEST_KEPT", nullptr);
  SetEnvironmentVariableW(L"QPK_TEST_GONE", nullptr);
  SetEnvironmentVariableW(L"QPK_TEST_REPLACED", nullptr);
  ASSERT_TRUE(result.started) << result.error;
  EXPECT_NE(result.stdoutText.find("QPK_TEST_KEPT=kept\n"), std::string::npos) << result.stdoutText;
  EXPECT_NE(result.stdoutText.find("QPK_TEST_GONE unset\n"), std::string::npos) << result.stdoutText;
  EXPECT_NE(result.stdoutText.find("QPK_TEST_REPLACED=new\n"), std::string::npos) << result.stdoutText;
  EXPECT_NE(result.stdoutText.find("QPK_TEST_NEW=\xC3\xA4 = x\n"), std::string::npos) << result.stdoutText;
  EXPECT_EQ(result.stdoutText.find("SystemRoot unset"), std::string::npos) << result.stdoutText;
}

TEST(RunProgram, RunsFromDirectoryWithSpacesAndNonAnsiName) {
  ScratchDir dir("dir with \xC3\xA4 \xE6\x97\xA5\xE6\x9C\xAC");
  ASSERT_TRUE(dir.valid());
  std::string copy = dir.path("probe copy.exe");
  ASSERT_TRUE(CopyFileW(widen(helperPath("procprobe")).c_str(), widen(copy).c_str(), FALSE));
  RunOptions options;
  options.program = copy;
  options.args = {"cwd"};
  options.workingDir = dir.path();
  RunResult result = runProgram(options);
  ASSERT_TRUE(result.started) << result.error;
  EXPECT_EQ(result.stdoutText, dir.path() + "\n");
}

TEST(RunProgram, StreamsAreSeparateAndLargeOutputDoesNotBlock) {
  // Far more than a pipe buffer on both streams: a runner that reads one stream after the
  // other leaves the child blocked on the second.
  const size_t size = 1 << 20;
  RunOptions options = probe({"streams", std::to_string(size)});
  options.timeoutMs = 30000;
  RunResult result = runProgram(options);
  ASSERT_TRUE(result.started) << result.error;
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.stdoutText, std::string(size, 'o'));
  EXPECT_EQ(result.stderrText, std::string(size, 'e'));
}

TEST(RunProgram, ReportsExitCode) {
  RunResult result = runProgram(probe({"exit", "70"}));
  ASSERT_TRUE(result.started) << result.error;
  EXPECT_EQ(result.exitCode, 70u);
  EXPECT_FALSE(result.timedOut);
}

TEST(RunProgram, TerminatesChildAfterTimeout) {
  RunOptions options = probe({"sleep", "60000"});
  options.timeoutMs = 500;
  DWORD start = GetTickCount();
  RunResult result = runProgram(options);
  EXPECT_TRUE(result.timedOut);
  EXPECT_LT(GetTickCount() - start, 10000u);
}

TEST(RunProgram, ReportsProgramThatCannotStart) {
  RunOptions options;
  options.program = helperPath("no-such-program");
  RunResult result = runProgram(options);
  EXPECT_FALSE(result.started);
  EXPECT_NE(result.error.find("CreateProcessW failed"), std::string::npos) << result.error;
}

// Every test outside the gui label relies on this: a fatal-error box must not wait for a
// click that never comes. Fails when the harness leaks DISPLAY into such tests.
TEST(RunProgram, MessageBoxReturnsAtOnceWithoutDisplay) {
  RunOptions options;
  options.program = helperPath("boxshow");
  options.args = {"caption", "text", std::to_string(MB_OK)};
  options.timeoutMs = 20000;
  RunResult result = runProgram(options);
  ASSERT_TRUE(result.started) << result.error;
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(-1));
}
