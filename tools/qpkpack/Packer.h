// The packer as a library: appends a configuration block and payload records to a
// launcher executable, and reports what a packed setup holds. Used by the command-line
// tool and, in-process, by the Windows tests.
#pragma once
#include <string>
#include <vector>

namespace qpkpack {

// Exit-code style results shared with the command line.
constexpr int kOk = 0;
constexpr int kCrcMismatch = 1;   // inspect: the stored CRC differs from the computed one
constexpr int kFailed = 2;        // bad input; `error` names the offending field or file

// Packs `launcherPath` with the manifest at `manifestPath` (sources relative to the
// manifest's directory) into `outPath`. On failure no output file is left behind; errors
// in the manifest start with its path. `warnings`, when given, receives what the setup
// lacks without failing the build (a missing main class, for one).
int buildFromManifest(const std::string& launcherPath, const std::string& manifestPath,
                      const std::string& outPath, std::string& error,
                      std::vector<std::string>* warnings = nullptr);

// The same from manifest text, with `baseDir` for relative sources.
int buildFromJson(const std::string& launcherPath, const std::string& manifestJson,
                  const std::string& baseDir, const std::string& outPath, std::string& error,
                  std::vector<std::string>* warnings = nullptr);

// Fills `report` with a JSON description of the setup. Returns kOk when the CRC matches,
// kCrcMismatch when it does not, kFailed when the file is not a packed setup.
int inspect(const std::string& setupPath, std::string& report, std::string& error);

}  // namespace qpkpack
