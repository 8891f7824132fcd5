#include "NativeDriver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "BuildPaths.h"

namespace qpknatives {

qpktest::RunOptions driverOptions(const std::string& driverClass, const std::vector<std::string>& args,
                                  unsigned timeoutMs) {
  qpktest::RunOptions o;
  o.program = qpktest::toWindowsPath(std::string(QPK_JDK11_HOME) + "/bin/java.exe");
  // The drivers jar comes second: its classes only add to the kit's package.
  o.args = {"-cp",
            qpktest::toWindowsPath(QPK_KIT_JAR) + ";" + qpktest::toWindowsPath(QPK_NATIVE_DRIVERS_JAR),
            "com.quillpack.runtime.installer.platform.win32." + driverClass,
            qpktest::toWindowsPath(QPK_NATIVES_DLL)};
  o.args.insert(o.args.end(), args.begin(), args.end());
  o.unsetEnv = {"JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS"};
  if (onWine()) o.setEnv["QPK_ON_WINE"] = "1";
  o.timeoutMs = timeoutMs;
  return o;
}

DriverRun driverLines(qpktest::RunResult result) {
  DriverRun run;
  run.result = std::move(result);
  std::istringstream in(run.result.stdoutText);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    run.lines.push_back(line);
  }
  return run;
}

DriverRun runDriver(const std::string& driverClass, const std::vector<std::string>& args, unsigned timeoutMs) {
  return driverLines(qpktest::runProgram(driverOptions(driverClass, args, timeoutMs)));
}

bool onWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Not gtest's own skip marker: ctest would take the whole test for skipped.
void skipCheck(const std::string& name, const std::string& reason) {
  std::printf("SKIP %s: %s\n", name.c_str(), reason.c_str());
}

void expectAllPassed(const std::string& output, int minimumCases) {
  int passed = 0;
  bool done = false;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("PASS ", 0) == 0) ++passed;
    if (line.rfind("SKIP ", 0) == 0) {
      ++passed;
      std::printf("%s\n", line.c_str());  // in the test's own output, where a run's log shows it
    }
    if (line.rfind("FAIL ", 0) == 0) ADD_FAILURE() << line;
    if (line.rfind("DONE ", 0) == 0) done = true;
  }
  EXPECT_TRUE(done) << "no DONE line in:\n" << output;
  EXPECT_GE(passed, minimumCases) << "output:\n" << output;
}

void expectAllPassed(const DriverRun& run, int minimumCases) {
  ASSERT_TRUE(run.result.started) << run.result.error;
  EXPECT_FALSE(run.result.timedOut) << "driver did not finish";
  expectAllPassed(run.result.stdoutText, minimumCases);
  EXPECT_EQ(run.result.exitCode, 0u) << run.result.stderrText;
}

std::vector<std::string> infoValues(const DriverRun& run, const std::string& key) {
  std::vector<std::string> values;
  for (const std::string& line : run.lines)
    if (line.rfind(key + " ", 0) == 0) values.push_back(line.substr(key.size() + 1));
  return values;
}

qpktest::RunResult runReg(const std::vector<std::string>& args) {
  qpktest::RunOptions o;
  o.program = "C:\\windows\\system32\\reg.exe";
  o.args = args;
  o.timeoutMs = 30000;
  return qpktest::runProgram(o);
}

}  // namespace qpknatives
