#include "JvmArguments.h"

#include <windows.h>

#include <cstdlib>

#include "VariableExpansion.h"
#include "common/Owned.h"
#include "launcher/DllSearch.h"
#include "launcher/ErrorReporting.h"
#include "launcher/LauncherState.h"
#include "launcher/Log.h"
#include "launcher/PathHelpers.h"
#include "payload/Config.h"

namespace qpk {

namespace {

constexpr size_t kPathBuffer = 48000;

std::string configNarrow(int id) {
    char buffer[6000];
    getNarrow(id, buffer, sizeof buffer);
    return buffer;
}

void dropTrailingSeparator(std::string& text) {
    if (!text.empty() && text.back() == ';') text.pop_back();
}

// Appends a configured environment variable's value; false when it adds nothing.
bool addEnvironmentEntry(const PathEntry& entry, const std::string& name, std::string& pathText) {
    char value[6000];
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
    if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        if (entry.mandatory) fatalMessageWithNarrow(1008, name.c_str());
        return false;
    }
    if (n >= sizeof value) {
        logError(L"environment variable %S is longer than %d bytes, not used", name.c_str(), int(sizeof value));
        return false;
    }
    // A variable that is set but empty adds nothing and so counts as not found.
    std::string text = unquoteValue(std::string(value, n));
    if (text.empty()) return false;
    pathText += text;
    if (text.back() != ';') pathText += ';';
    return true;
}

}  // namespace

std::vector<std::string> splitPathText(const std::string& text) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

std::vector<PathEntry> parsePathList(const std::string& text) {
    std::vector<PathEntry> entries;
    for (const std::string& piece : splitPathText(text))
        entries.push_back({piece[0], piece.size() > 1 && piece[1] == '1', piece.size() > 2 ? piece.substr(2) : ""});
    return entries;
}

std::string unquoteValue(const std::string& value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
    return value;
}

bool isDriveRoot(const std::string& path) {
    if (path.empty()) return false;
    std::string rest = path.substr(1);
    return rest == ":\\" || rest == ":\\." || rest == ":\\.\\.";
}

std::string archivePattern(const std::string& directory, const std::string& extension) {
    return directory + "\\*" + (extension.compare(0, 1, ".") == 0 ? "" : ".") + extension;
}

AssembledPaths assemblePaths(const PathSources& sources, const PathOverrides& overrides) {
    static const std::string kClassPath = "-Djava.class.path=";
    AssembledPaths out;
    out.modulePath = sources.modulePath;
    std::string classPath = kClassPath;
    bool archivesToModules = !sources.modulePath.empty() || sources.moduleMode;
    if (!overrides.classPathPrepend.empty()) classPath += overrides.classPathPrepend + ";";
    (archivesToModules ? out.modulePath : classPath) += sources.tempArchives;
    classPath += sources.userArchives;
    classPath += overrides.classPathReplace.empty() ? sources.configuredClassPath : overrides.classPathReplace;
    if (!overrides.classPathAppend.empty()) {
        // No separator right after "=": an empty first entry would put the working
        // directory on the class path.
        if (classPath.size() > kClassPath.size() && classPath.back() != ';') classPath += ';';
        classPath += overrides.classPathAppend;
    }
    dropTrailingSeparator(classPath);
    out.classPathOption = classPath;
    return out;
}

std::string runtimeModuleName(char productKind) {
    return productKind == 'q' ? "com.quillpack.runtime" : "com.corvo.runtime";
}

std::vector<std::string> moduleOptions(const std::string& modulePath, bool moduleMode,
                                       const std::string& mainClass, const std::string& runtimeModule) {
    std::vector<std::string> out;
    std::string path = modulePath;
    dropTrailingSeparator(path);
    out.push_back("--module-path=" + path);
    std::string addModules = "--add-modules=";
    if (moduleMode) {
        std::string module = mainClass;
        size_t slash = module.find('/');
        if (slash != std::string::npos) {
            if (module.find('.', slash + 1) != std::string::npos)
                out.push_back("--add-opens=" + module.substr(0, module.rfind('.')) + "=" + runtimeModule);
            module.resize(slash);
        }
        addModules += module + ",";
    }
    out.push_back(addModules + runtimeModule);
    return out;
}

bool isModuleOptionName(const std::string& text) {
    static const char* const names[] = {"--upgrade-module-path", "--add-modules", "--limit-modules", "--add-exports",
                                        "--add-opens", "--add-reads", "--patch-module"};
    for (const char* name : names)
        if (text == name) return true;
    return false;
}

void joinModuleOptions(OptionList& options) {
    for (size_t i = 0; i + 1 < options.size(); ++i) {
        if (!isModuleOptionName(options[i])) continue;
        options[i] += "=" + options[i + 1];
        options.erase(options.begin() + std::ptrdiff_t(i + 1));
    }
}

std::string nativeLibraryPathValue(const std::string& directories, const std::string& currentPath) {
    std::string value = directories;
    if (!value.empty() && value.back() != ';') value += ';';
    value += currentPath;
    if (value.size() > kPathBuffer - 1) value.resize(kPathBuffer - 1);
    return value;
}

bool pathExists(const std::string& path) {
    if (isDriveRoot(path)) return true;
    WIN32_FIND_DATAA data;
    UniqueFind find(FindFirstFileA(path.c_str(), &data));
    return find.valid();
}

bool addArchivesOfDirectory(std::string& pathText, const std::string& directory, const std::string& extension) {
    if (!pathExists(directory)) return false;
    WIN32_FIND_DATAA data;
    UniqueFind find(FindFirstFileA(archivePattern(directory, extension).c_str(), &data));
    if (!find) return true;
    do {
        pathText += directory + "\\" + data.cFileName + ";";
    } while (FindNextFileA(find.get(), &data));
    return true;
}

void addPathList(int entryId, std::string& pathText) {
    std::string raw = configNarrow(entryId);
    logLine(L"entry %S", raw.c_str());
    std::vector<PathEntry> entries = parsePathList(raw);
    logLine(L"entries %d", int(entries.size()));
    for (const PathEntry& entry : entries) {
        std::string expanded = entry.path;
        expandVariablesNarrow(expanded);
        bool found = false;
        switch (entry.type) {
        case 'A':
        case 'D': {
            std::vector<std::string> pieces = splitPathText(expanded);
            std::string joined;
            // Every piece must exist: a variable may stand for several paths.
            found = !pieces.empty();
            for (const std::string& piece : pieces) {
                std::string absolute = absolutePath(piece);
                found = found && pathExists(absolute);
                if (!joined.empty()) joined += ';';
                joined += absolute;
            }
            if (!joined.empty()) pathText += joined + ";";
            break;
        }
        case 'E':
            found = addEnvironmentEntry(entry, expanded, pathText);
            break;
        case 'S': {
            std::string dir = absolutePath(expanded);
            if (entryId == 121) {
                bool jars = addArchivesOfDirectory(pathText, dir, "jar");
                bool zips = addArchivesOfDirectory(pathText, dir, "zip");
                found = jars || zips;
            } else {
                found = pathExists(dir);
                pathText += dir + ";";
            }
            break;
        }
        default:
            logError(L"path entry of unknown type %S ignored: %S", std::string(1, entry.type).c_str(), expanded.c_str());
            break;
        }
        if (entry.mandatory && !found) fatalMessageWithNarrow(1006, expanded.c_str());
    }
}

OptionList buildVmArguments(const std::vector<std::string>& properties, const ArgumentVector& arguments) {
    OptionList options(properties);
    PathOverrides overrides;
    collectVmOptions(options, overrides, arguments);
    if (getInt(166) != 0) {
        UniqueStream file = findDefaultVmOptionsFile();
        logLine(L"default vmoptions file: %p", file.get());
        readOptionsFile(nullptr, std::move(file), options, overrides);
    }

    PathSources sources;
    sources.moduleMode = getInt(133) != 0;
    logLine(L"adding preconfigured modulepath");
    addPathList(132, sources.modulePath);
    // Without a private directory there is nothing to scan (and "\user" would name a
    // directory of the current drive).
    if (!gState.tempDir.empty()) {
        addArchivesOfDirectory(sources.tempArchives, gState.tempDir, "jar");
        addArchivesOfDirectory(sources.tempArchives, gState.tempDir, "zip");
        std::string user = gState.tempDir + "\\user";
        addArchivesOfDirectory(sources.userArchives, user, "jar");
        addArchivesOfDirectory(sources.userArchives, user, "zip");
    }
    if (overrides.classPathReplace.empty()) {
        logLine(L"adding preconfigured classpath");
        addPathList(121, sources.configuredClassPath);
    }
    AssembledPaths paths = assemblePaths(sources, overrides);
    options.push_back(paths.classPathOption);
    if (!paths.modulePath.empty())
        for (std::string& option :
             moduleOptions(paths.modulePath, sources.moduleMode, configNarrow(122), runtimeModuleName(gState.productKind)))
            options.push_back(std::move(option));
    joinModuleOptions(options);

    logLine(L"vmoption count %d", int(options.size()));
    for (size_t i = 0; i < options.size(); ++i) logLine(L"vmoption %d: %S", int(i), options[i].c_str());
    return options;
}

void setupNativeLibraryPath() {
    std::string directories = configNarrow(10004);
    logLine(L"native lib dir is %S", directories.c_str());
    expandVariablesNarrow(directories);
    // The DLL directories stay registered for the life of the process.
    std::string joined = absolutePathList(directories, [](const std::string& dir) { addDllDirectory(dir); });

    std::string current;
    DWORD n = GetEnvironmentVariableA("PATH", nullptr, 0);
    if (n > 0) {
        current.resize(n);
        n = GetEnvironmentVariableA("PATH", &current[0], n);
        current.resize(n);
    }
    std::string value = nativeLibraryPathValue(joined, current);
    if (SetEnvironmentVariableA("PATH", value.c_str()))
        logLine(L"Setting PATH (native libs) %S", value.c_str());
    else
        logLine(L"Setting PATH (native libs) %S failed with error %d", value.c_str(), int(GetLastError()));
    _putenv(("PATH=" + value).c_str());
}

}  // namespace qpk
