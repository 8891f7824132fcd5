#include "Process.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "BuildPaths.h"
#include "Utf8.h"

namespace qpktest {
namespace {

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~Handle() { reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  HANDLE* out() { reset(); return &h_; }
  void reset() {
    if (h_) CloseHandle(h_);
    h_ = nullptr;
  }

 private:
  HANDLE h_ = nullptr;
};

struct CaseBlindLess {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
  }
};

// The caller's environment with the overrides applied, as a sorted block for
// CREATE_UNICODE_ENVIRONMENT.
std::wstring buildEnvironment(const RunOptions& options) {
  std::map<std::wstring, std::wstring, CaseBlindLess> vars;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
      std::wstring entry = p;
      // Names of the per-drive current directories ("=C:") start with '='.
      size_t eq = entry.find(L'=', 1);
      if (eq == std::wstring::npos) continue;
      vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    FreeEnvironmentStringsW(block);
  }
  for (const std::string& name : options.unsetEnv) vars.erase(widen(name));
  for (const auto& [name, value] : options.setEnv) {
    std::wstring wname = widen(name);
    vars.erase(wname);  // so that the new spelling of the name is the one kept
    vars[wname] = widen(value);
  }
  std::wstring out;
  for (const auto& [name, value] : vars) {
    out += name;
    out += L'=';
    out += value;
    out += L'\0';
  }
  out += L'\0';
  if (vars.empty()) out += L'\0';
  return out;
}

// Reads a pipe until every writer has closed it, or until the child has ended and the
// pipe is empty: a grandchild that inherited the write end must not hold the test up.
void drainPipe(HANDLE pipe, std::string* out, const std::atomic<bool>* childEnded) {
  char buffer[16384];
  for (;;) {
    // Read before peeking: once the child has ended, everything it wrote is in the pipe.
    bool ended = childEnded->load();
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return;
    if (available == 0) {
      if (ended) return;
      Sleep(2);
      continue;
    }
    DWORD got = 0;
    DWORD want = available < sizeof buffer ? available : static_cast<DWORD>(sizeof buffer);
    if (!ReadFile(pipe, buffer, want, &got, nullptr)) return;
    out->append(buffer, got);
  }
}

// Inheritable handles created by one start must not leak into a child started at the same
// time by another thread.
std::mutex startMutex;

}  // namespace

std::wstring quoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    while (i < arg.size() && arg[i] == L'\\') {
      ++backslashes;
      ++i;
    }
    if (i == arg.size()) {
      // They precede the closing quote, so each must be escaped.
      out.append(backslashes * 2, L'\\');
      break;
    }
    if (arg[i] == L'"') {
      out.append(backslashes * 2 + 1, L'\\');
    } else {
      out.append(backslashes, L'\\');
    }
    out += arg[i];
  }
  out += L'"';
  return out;
}

std::wstring buildCommandLine(const RunOptions& options) {
  // The program name is split by simpler rules (no escapes), and a path holds no quote.
  std::wstring line = L"\"" + widen(toWindowsPath(options.program)) + L"\"";
  if (options.argText) {
    line += L' ';
    line += widen(*options.argText);
    return line;
  }
  for (const std::string& arg : options.args) {
    line += L' ';
    line += quoteArgument(widen(arg));
  }
  return line;
}

struct RunningProgram::State {
  Handle process;
  DWORD processId = 0;
  DWORD startTick = 0;
  DWORD timeoutMs = 0;
  std::string error;
  Handle stdoutRead, stderrRead;
  std::string stdoutText, stderrText;
  std::atomic<bool> childEnded{false};
  std::thread stdoutReader, stderrReader;
  bool waited = false;

  void joinReaders() {
    childEnded = true;
    if (stdoutReader.joinable()) stdoutReader.join();
    if (stderrReader.joinable()) stderrReader.join();
  }

  ~State() {
    if (process.get() && !waited) {
      TerminateProcess(process.get(), 1);
      WaitForSingleObject(process.get(), 10000);
    }
    joinReaders();
  }
};

RunningProgram::RunningProgram(const RunOptions& options) : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.timeoutMs = options.timeoutMs;
  std::wstring program = widen(toWindowsPath(options.program));
  std::wstring commandLine = buildCommandLine(options);
  std::wstring environment = buildEnvironment(options);
  std::wstring workingDir = widen(toWindowsPath(options.workingDir));

  std::lock_guard<std::mutex> lock(startMutex);
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Handle stdoutWrite, stderrWrite;
  if (!CreatePipe(s.stdoutRead.out(), stdoutWrite.out(), &inheritable, 0) ||
      !CreatePipe(s.stderrRead.out(), stderrWrite.out(), &inheritable, 0)) {
    s.error = "CreatePipe failed: " + std::to_string(GetLastError());
    return;
  }
  SetHandleInformation(s.stdoutRead.get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(s.stderrRead.get(), HANDLE_FLAG_INHERIT, 0);
  Handle stdinNul(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              &inheritable, OPEN_EXISTING, 0, nullptr));

  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = stdinNul.get();
  si.hStdOutput = stdoutWrite.get();
  si.hStdError = stderrWrite.get();
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                      CREATE_UNICODE_ENVIRONMENT, environment.data(),
                      workingDir.empty() ? nullptr : workingDir.c_str(), &si, &pi)) {
    s.error = "CreateProcessW failed: " + std::to_string(GetLastError());
    return;
  }
  s.startTick = GetTickCount();
  CloseHandle(pi.hThread);
  *s.process.out() = pi.hProcess;
  s.processId = pi.dwProcessId;
  // Only the child may hold the write ends now, so the pipes break when it (and any
  // grandchild that inherited them) has gone.
  stdoutWrite.reset();
  stderrWrite.reset();
  s.stdoutReader = std::thread(drainPipe, s.stdoutRead.get(), &s.stdoutText, &s.childEnded);
  s.stderrReader = std::thread(drainPipe, s.stderrRead.get(), &s.stderrText, &s.childEnded);
}

RunningProgram::~RunningProgram() = default;
RunningProgram::RunningProgram(RunningProgram&&) noexcept = default;
RunningProgram& RunningProgram::operator=(RunningProgram&&) noexcept = default;

bool RunningProgram::started() const { return state_ && state_->process.get(); }

DWORD RunningProgram::processId() const { return state_ ? state_->processId : 0; }

RunResult RunningProgram::wait() {
  RunResult result;
  if (!state_ || state_->waited) {
    result.error = "no child to wait for";
    return result;
  }
  if (!started()) {
    result.error = state_->error;
    return result;
  }
  State& s = *state_;
  s.waited = true;
  result.started = true;
  DWORD elapsed = GetTickCount() - s.startTick;
  DWORD remaining = elapsed < s.timeoutMs ? s.timeoutMs - elapsed : 0;
  if (WaitForSingleObject(s.process.get(), remaining) != WAIT_OBJECT_0) {
    TerminateProcess(s.process.get(), 1);
    WaitForSingleObject(s.process.get(), 10000);
    result.timedOut = true;
  }
  GetExitCodeProcess(s.process.get(), &result.exitCode);
  s.joinReaders();
  result.stdoutText = std::move(s.stdoutText);
  result.stderrText = std::move(s.stderrText);
  return result;
}

RunResult runProgram(const RunOptions& options) { return RunningProgram(options).wait(); }

}  // namespace qpktest
