#pragma once
// Runs a Java driver of tests/natives/java on the real Java 11 runtime: the driver loads the
// natives DLL with System.load, runs its table of cases in one JVM and prints one line per
// case ("PASS name", "FAIL name: detail", or "SKIP name: reason" for a case that a limit of
// Wine keeps from running) and "DONE passed=N failed=M" at the end.
#include <string>
#include <vector>

#include "Process.h"

namespace qpknatives {

struct DriverRun {
  qpktest::RunResult result;
  std::vector<std::string> lines;  // standard output, one entry per line, without line ends
};

// `driverClass` is the simple name, e.g. "RegistryDriver"; `args` follow the DLL path.
DriverRun runDriver(const std::string& driverClass, const std::vector<std::string>& args = {},
                    unsigned timeoutMs = 120000);

// How runDriver starts the driver, for a test that operates the driver's windows while it runs
// (qpktest::RunningProgram); driverLines then splits what the driver printed.
qpktest::RunOptions driverOptions(const std::string& driverClass, const std::vector<std::string>& args = {},
                                  unsigned timeoutMs = 120000);
DriverRun driverLines(qpktest::RunResult result);

// True under Wine. Its limits are skipped cases with their reason, never expected results;
// the drivers learn it from QPK_ON_WINE=1.
bool onWine();
// Shows a check of the test itself that such a limit keeps from running, with the reason.
void skipCheck(const std::string& name, const std::string& reason);

// Fails the current test on any FAIL line, a missing DONE line, or fewer than
// `minimumCases` PASS and SKIP lines; for a run also if it did not start, timed out or failed.
void expectAllPassed(const std::string& output, int minimumCases);
void expectAllPassed(const DriverRun& run, int minimumCases);

// The texts after "<key> " of the lines that start so, in order (drivers report values for
// checks from outside this way, e.g. "closed 1234").
std::vector<std::string> infoValues(const DriverRun& run, const std::string& key);

// Runs Wine's reg.exe with the arguments; its exit code and output.
qpktest::RunResult runReg(const std::vector<std::string>& args);

}  // namespace qpknatives
