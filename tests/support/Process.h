#pragma once
// Runs a Windows program as a child process with its standard output and standard error
// captured separately. All texts are UTF-8; the captured streams are the raw bytes the
// child wrote.
#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qpktest {

struct RunOptions {
  std::string program;  // Windows path, or a Unix absolute path (converted as toWindowsPath)
  std::vector<std::string> args;       // each quoted the way the C runtime splits them back
  std::optional<std::string> argText;  // when set: used verbatim after the program, args ignored
  std::string workingDir;              // empty: the caller's
  std::map<std::string, std::string> setEnv;  // added or replaced (names compare case-blind)
  std::vector<std::string> unsetEnv;          // removed from the copied environment
  DWORD timeoutMs = 60000;                    // then the child is terminated
};

struct RunResult {
  bool started = false;
  std::string error;  // why it did not start, e.g. "CreateProcessW failed: 2"
  DWORD exitCode = 0;
  bool timedOut = false;  // terminated by the runner; exitCode is then meaningless
  std::string stdoutText;
  std::string stderrText;
};

// One argument quoted so that CommandLineToArgvW and the C runtime return it unchanged.
std::wstring quoteArgument(const std::wstring& arg);
// The complete command line CreateProcessW receives for these options.
std::wstring buildCommandLine(const RunOptions& options);

// A started child. Its output is read continuously from the start, so a child that writes
// a lot never blocks while the test does something else (e.g. looks for its message box).
// Destroying it without wait() terminates the child.
class RunningProgram {
 public:
  explicit RunningProgram(const RunOptions& options);
  ~RunningProgram();
  RunningProgram(RunningProgram&&) noexcept;
  RunningProgram& operator=(RunningProgram&&) noexcept;

  bool started() const;
  DWORD processId() const;  // 0 if not started
  // Waits for the child's end, at most until the timeout counted from the start. Call once.
  RunResult wait();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Starts the program and waits for it.
RunResult runProgram(const RunOptions& options);

}  // namespace qpktest
