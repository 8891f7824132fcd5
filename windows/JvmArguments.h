// The JVM's option list: the launcher's properties, the collected VM options, the class
// path, the module path with its module options, and the joined Java 9 option forms. Also
// the process PATH and DLL directories for native libraries, prepared before the JVM loads.
#pragma once
#include <string>
#include <vector>

#include "VmOptions.h"

namespace qpk {

// --- Pure parsing ---------------------------------------------------------------------

// One entry of a configured path list (entries 121 and 132).
struct PathEntry {
    char type;       // 'A' archive, 'D' directory, 'E' environment variable, 'S' directory to scan
    bool mandatory;  // marker '1'
    std::string path;
};
// Entries separated by ";", empty ones skipped; a marker or path that is missing reads as
// optional and empty.
std::vector<PathEntry> parsePathList(const std::string& text);

// The non-empty pieces of a ";"-separated text.
std::vector<std::string> splitPathText(const std::string& text);

// A value enclosed in double quotes without the two quotes; otherwise unchanged.
std::string unquoteValue(const std::string& value);

// True for "X:\", "X:\." and "X:\.\.", which FindFirstFile does not report as entries.
bool isDriveRoot(const std::string& path);

// The search pattern for the archives of a directory: "<dir>\*.<ext>" (no second "."
// when the extension has one).
std::string archivePattern(const std::string& directory, const std::string& extension);

// The texts the class path and module path are assembled from; every archive and path
// text ends with ";" per entry, as the scans and the path lists produce them.
struct PathSources {
    std::string modulePath;        // entry 132
    std::string tempArchives;      // archives of the private temporary directory
    std::string userArchives;      // archives of its "user" subdirectory
    std::string configuredClassPath;  // entry 121, used when there is no replacement
    bool moduleMode = false;       // entry 133
};
struct AssembledPaths {
    std::string classPathOption;  // "-Djava.class.path=..."
    std::string modulePath;       // "" or the module path text, trailing ";" kept
};
AssembledPaths assemblePaths(const PathSources& sources, const PathOverrides& overrides);

// "com.quillpack.runtime" for product kind 'q', else "com.corvo.runtime".
std::string runtimeModuleName(char productKind);

// The options that follow a non-empty module path: "--module-path=", in module mode with a
// main class of the form module/package.Class an "--add-opens=", then "--add-modules=".
std::vector<std::string> moduleOptions(const std::string& modulePath, bool moduleMode,
                                       const std::string& mainClass, const std::string& runtimeModule);

bool isModuleOptionName(const std::string& text);

// Joins each bare module option name with the option after it as "name=value".
void joinModuleOptions(OptionList& options);

// The PATH value for native libraries: the directories, a ";" unless they end with one,
// then the current PATH; at most 47,999 bytes.
std::string nativeLibraryPathValue(const std::string& directories, const std::string& currentPath);

// --- Files, environment and configuration ----------------------------------------------

// True for a drive root or when FindFirstFile finds the path.
bool pathExists(const std::string& path);

// Appends "<dir>\<name>;" for every file of `directory` with `extension`, in the order the
// search returns them. False only when the directory does not exist.
bool addArchivesOfDirectory(std::string& pathText, const std::string& directory, const std::string& extension);

// Appends the entries of configuration entry 121 (class path) or 132 (module path). A
// missing mandatory entry ends the launcher (configuration message 1006, or 1008 for an
// undefined environment variable).
void addPathList(int entryId, std::string& pathText);

// The complete option list, in the order the JVM receives it; every option is logged.
OptionList buildVmArguments(const std::vector<std::string>& properties, const ArgumentVector& arguments);

// Registers the configured native library directories (entry 10004) for DLL loading and
// puts them in front of PATH, in the process and the C runtime environment.
void setupNativeLibraryPath();

}  // namespace qpk
