// A scratch directory per test in which setups are packed and started as real processes,
// with their own temporary root (TMP and TEMP) so that their logs can be found and counted.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Process.h"
#include "ScratchDir.h"

namespace qpke2e {

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The value of the line "name=value" in a probe program's output, or "(missing)".
std::string outputValue(const std::string& output, const std::string& name);

// A JSON string literal for a UTF-8 text.
std::string jsonText(const std::string& text);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
void makeDirectory(const std::string& path);

// Start positions of every field of the configuration block in a packed setup, in file
// order, as the block reader meets them; the last entry is where the file records begin.
std::vector<uint64_t> blockFieldStarts(const std::string& setupPath, uint64_t& payloadStart);

// Waits up to `timeoutMs` for `directory` to hold nothing (as a setup's clean-up after it has
// ended empties its temporary root) and returns the names of what is still there.
std::vector<std::string> leftAfterCleanUp(const std::string& directory, DWORD timeoutMs = 60000);

// An installation-started marker under HKCU (DWORD), -1 when absent.
long long installMarker(const std::string& name);

// The text of a dialog's control, read across processes.
std::string dialogItemText(HWND dialog, int id);

// The Unix path of a Windows one: Wine hands a Unix program its arguments as they are.
std::string unixPath(const std::string& path);

// Runs a Unix program (absolute path and arguments) to its end: Wine starts one without a
// process handle to wait on, so a shell writes the exit code to a file in `workDir` that is
// polled for. The program's standard output and error are `output`; -1 when it did not end
// within `timeoutMs`.
struct UnixResult {
    int exitCode = -1;
    std::string output;
};
UnixResult runUnix(const std::string& workDir, const std::vector<std::string>& command, DWORD timeoutMs = 120000);

class SetupTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Packs the launcher (or another image) with a manifest into dir()\setup.exe.
    std::string pack(const std::string& manifestJson, const std::string& image = std::string());

    // Runs `program` (default: the packed setup) with the child's temporary root set to
    // tmp() and the log-keeping variables removed unless given in `env`.
    qpktest::RunResult run(const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env = {},
                           const std::string& program = std::string());
    // Runs with options of the caller's making, with the same checks and line endings.
    qpktest::RunResult runWith(const qpktest::RunOptions& options);
    qpktest::RunResult runTail(const std::string& tail, const std::map<std::string, std::string>& env = {});
    qpktest::RunOptions options(const std::map<std::string, std::string>& env) const;

    // The log files "qpk_nlog_*.log" in a directory (default: tmp()).
    std::vector<std::string> logs(const std::string& directory = std::string()) const;
    void clearLogs(const std::string& directory = std::string()) const;
    // The single log file's text; fails the test when there is not exactly one.
    std::string onlyLog(const std::string& directory = std::string()) const;
    // What setups left in tmp() besides their logs: nothing after a fatal end.
    std::vector<std::string> leftInTmp() const;

    // The manifest of an installer that runs to its end: basicManifest with the installer
    // stand-in as its payload. Later runs find the real Java 11 runtime and let the stand-in
    // return at once, unless the caller's environment says otherwise.
    std::string installerManifest(const std::string& extraNarrow = std::string(), const std::string& productKind = "q");
    // The same environment for setups packed from a manifest of the caller's own.
    void runOnInstalledRuntime() { withRuntime_ = true; }

    const std::string& dir() const { return dir_; }
    const std::string& tmp() const { return tmp_; }
    const std::string& setup() const { return setup_; }

private:
    std::unique_ptr<qpktest::ScratchDir> scratch_;
    std::string dir_, tmp_, setup_;
    bool withRuntime_ = false;
};

// The manifest most tests start from: an installer whose errors go to message boxes.
std::string basicManifest(const std::string& extraNarrow = std::string());

// The installer kit of the build, as a Windows path.
std::string kitJar();

// The manifest's "files" entries of the installer stand-in: `jar` as the runtime archive, and
// `kit` as the installer kit where the stand-in's manifest looks for it.
std::string standinFileEntries(const std::string& jar, const std::string& kit = kitJar());

}  // namespace qpke2e
