#include "jre/JvmSearch.h"

#include <algorithm>
#include <cstdio>

#include "VariableExpansion.h"
#include "common/FileAttributes.h"
#include "common/Owned.h"
#include "common/TextConvert.h"
#include "jre/DistributionRuntimes.h"
#include "jre/JavaExeCheck.h"
#include "jre/JvmLoader.h"
#include "jre/PackedJars.h"
#include "jre/RuntimeRegistry.h"
#include "launcher/LauncherState.h"
#include "launcher/Log.h"
#include "launcher/PathHelpers.h"
#include "payload/Config.h"

namespace qpk {

namespace {

constexpr size_t kBuffer = 6000;
const char kInstallationsKey[] = "SOFTWARE\\larchmont-works\\quillpack\\installations";

// A string value that fits `capacity` bytes with its terminator; anything else is absent.
bool readStringValue(HKEY key, const char* name, size_t capacity, std::string& out) {
    std::string buffer(capacity, '\0');
    DWORD type = 0, size = DWORD(capacity);
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    buffer.resize(size);
    while (!buffer.empty() && buffer.back() == '\0') buffer.pop_back();
    if (buffer.size() >= capacity) return false;
    out = buffer;
    return true;
}

UniqueKey openKey(HKEY hive, const std::string& path, REGSAM extra = 0) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ | extra, &raw) != ERROR_SUCCESS) return UniqueKey();
    return UniqueKey(raw);
}

bool javaHomeAccepted(const std::string& home, std::string& javaExe, std::string& version, const VersionList& min,
                      const VersionList& max) {
    return javaExeForHome(javaExe, home) && checkJavaExe(javaExe, version, min, max, false, true);
}

bool checkCurrentVersionKeys(const char* jdkKey, const char* jreKey, std::string& javaExe, std::string& version,
                             const VersionList& min, const VersionList& max) {
    std::string jdkVersion, jreVersion;
    if (UniqueKey k = openKey(HKEY_LOCAL_MACHINE, jdkKey))
        if (!readStringValue(k.get(), "CurrentVersion", 100, jdkVersion) ||
            !matchesVersionRangeLoosely(jdkVersion, min, max))
            jdkVersion.clear();
    if (getInt(131) == 0)
        if (UniqueKey k = openKey(HKEY_LOCAL_MACHINE, jreKey))
            if (!readStringValue(k.get(), "CurrentVersion", 100, jreVersion) ||
                !matchesVersionRangeLoosely(jreVersion, min, max))
                jreVersion.clear();
    std::string versionKey = isNewerVersion(jdkVersion, jreVersion) ? std::string(jdkKey) + "\\" + jdkVersion
                                                                      : std::string(jreKey) + "\\" + jreVersion;
    UniqueKey key = openKey(HKEY_LOCAL_MACHINE, versionKey);
    std::string home;
    if (!key || !readStringValue(key.get(), "JavaHome", kBuffer, home)) return false;
    return javaHomeAccepted(home, javaExe, version, min, max);
}

bool checkVersionSubkeys(const char* keyPath, std::string& javaExe, std::string& version, const VersionList& min,
                         const VersionList& max) {
    UniqueKey key = openKey(HKEY_LOCAL_MACHINE, keyPath);
    if (!key) return false;
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[kBuffer], cls[kBuffer];
        DWORD nameSize = kBuffer, classSize = kBuffer;
        LONG rc = RegEnumKeyExA(key.get(), i, name, &nameSize, nullptr, cls, &classSize, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) continue;
        if (matchesVersionRangeLoosely(name, min, max)) names.emplace_back(name, nameSize);
    }
    for (const std::string& name : descendingOrder(names)) {
        UniqueKey sub = openKey(key.get(), name);
        std::string home;
        if (sub && readStringValue(sub.get(), "JavaHome", kBuffer, home) && javaExeForHome(javaExe, home) &&
            checkJavaExe(javaExe, version, min, max, false, true))
            return true;
    }
    return false;
}

// The application's home directory (entry 10003, relative to the launcher) as UTF-16.
std::wstring applicationFile(const wchar_t* relative) {
    std::wstring home = absolutePath(getWideFromNarrow(10003));
    return collapseBackslashes(home + relative);
}

std::wstring extractionFile(const wchar_t* name) {
    std::wstring dir = toWide(gState.tempDir);
    if (dir.empty()) {
        wchar_t cwd[MAX_PATH];
        DWORD n = GetCurrentDirectoryW(MAX_PATH, cwd);
        if (n > 0 && n < MAX_PATH) dir.assign(cwd, n);
    }
    return dir + name;
}

}  // namespace

std::vector<SearchEntry> parseSearchSequence(const std::string& sequence) {
    std::vector<SearchEntry> out;
    size_t start = 0;
    while (start <= sequence.size()) {
        size_t end = sequence.find(';', start);
        if (end == std::string::npos) end = sequence.size();
        if (end > start) out.push_back({sequence[start], sequence.substr(start + 1, end - start - 1)});
        start = end + 1;
    }
    return out;
}

bool isAbsoluteLocation(const std::string& argument) {
    return (argument.size() >= 2 && argument[1] == ':') || argument.rfind("\\\\", 0) == 0;
}

std::vector<std::string> descendingOrder(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    std::reverse(names.begin(), names.end());
    return names;
}

bool readLocationFile(const std::wstring& path, std::string& line) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (f == nullptr) return false;
    char buf[kBuffer];
    bool got = fgets(buf, int(kBuffer), f) != nullptr;
    fclose(f);
    if (!got) return false;
    line = buf;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    return true;
}

bool javaExeForHome(std::string& javaExe, const std::string& home) {
    javaExe = home + "\\jre\\bin\\java.exe";
    if (getInt(131) != 0) return fileOrDirectoryExists(home + "\\lib\\tools.jar");
    if (!fileOrDirectoryExists(javaExe)) javaExe = home + "\\bin\\java.exe";
    return true;
}

bool checkJreLocation(std::string& javaExe, std::string& version, const std::string& location,
                      const VersionList& min, const VersionList& max, bool relaxed) {
    std::string home = fullPath(location, false);
    // A runtime whose jars cannot be restored lacks them: it is not used, relaxed or not.
    if (!unpackPackedJars(home)) return false;
    bool accepted = javaExeForHome(javaExe, home) && checkJavaExe(javaExe, version, min, max, true, true);
    return relaxed || accepted;
}

bool checkEnvironmentHome(std::string& javaExe, std::string& version, const char* name, const VersionList& min,
                          const VersionList& max) {
    char value[kBuffer];
    DWORD n = GetEnvironmentVariableA(name, value, kBuffer);
    if (n == 0 || n >= kBuffer) return false;  // unset, empty, or too long to be a home
    std::string home(value, n);
    std::replace(home.begin(), home.end(), '/', '\\');
    return javaHomeAccepted(home, javaExe, version, min, max);
}

bool checkPathJava(std::string& javaExe, std::string& version, const VersionList& min, const VersionList& max) {
    char found[kBuffer];
    DWORD n = SearchPathA(nullptr, "java.exe", nullptr, kBuffer, found, nullptr);
    if (n == 0 || n >= kBuffer) return false;
    javaExe.assign(found, n);
    return checkJavaExe(javaExe, version, min, max, false, true);
}

bool checkAppIdInstallations(HKEY hive, std::string& javaExe, std::string& version, const VersionList& min,
                             const VersionList& max) {
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
        std::string appId = dupNarrow(160).substr(0, kBuffer - 1);
        logLine(L"checking app id %S (%d, %p)", appId.c_str(), (int)view, hive);
        if (appId.empty()) return false;
        HKEY raw = nullptr;
        LONG rc = RegOpenKeyExA(hive, kInstallationsKey, 0, KEY_READ | view, &raw);
        if (rc != ERROR_SUCCESS) {
            logLine(L"could not open installation node %d", (int)rc);
            continue;
        }
        UniqueKey key(raw);
        std::string installations;
        if (!readStringValue(key.get(), appId.c_str(), kBuffer, installations) || installations.empty()) {
            logLine(L"could not query value node %d", 0);
            continue;
        }
        logLine(L"found installations: %S", installations.c_str());
        size_t start = 0;
        while (start < installations.size()) {
            size_t end = installations.find(';', start);
            if (end == std::string::npos) end = installations.size();
            if (end == start) break;
            std::string home = installations.substr(start, end - start) + "\\jre";
            if (javaExeForHome(javaExe, home)) {
                if (checkJavaExe(javaExe, version, min, max, false, true)) return true;
                logLine(L"java version did not match in %S", home.c_str());
            } else {
                logLine(L"did not find java in %S", home.c_str());
            }
            start = end + 1;
        }
    }
    return false;
}

bool checkVendorRegistry(std::string& javaExe, std::string& version, const VersionList& min, const VersionList& max) {
    bool jdkOnly = getInt(131) != 0;
    return checkCurrentVersionKeys("SOFTWARE\\JavaSoft\\JDK", "SOFTWARE\\JavaSoft\\JRE", javaExe, version, min, max) ||
           (!jdkOnly && checkVersionSubkeys("SOFTWARE\\JavaSoft\\JRE", javaExe, version, min, max)) ||
           checkVersionSubkeys("SOFTWARE\\JavaSoft\\JDK", javaExe, version, min, max) ||
           checkCurrentVersionKeys("SOFTWARE\\JavaSoft\\Java Development Kit",
                                   "SOFTWARE\\JavaSoft\\Java Runtime Environment", javaExe, version, min, max) ||
           (!jdkOnly &&
            checkVersionSubkeys("SOFTWARE\\JavaSoft\\Java Runtime Environment", javaExe, version, min, max)) ||
           checkVersionSubkeys("SOFTWARE\\JavaSoft\\Java Development Kit", javaExe, version, min, max);
}

bool checkDistributionRuntime(const DistributionRuntime& candidate, std::string& javaExe, std::string& version,
                              const VersionList& min, const VersionList& max) {
    logLine(L"Trying distribution runtime %S", candidate.home.c_str());
    if (getInt(131) != 0) {
        // Today's JDKs have no lib\tools.jar; their compiler marks them.
        bool jdk = !candidate.runtimeOnly && (fileOrDirectoryExists(candidate.home + "\\bin\\javac.exe") ||
                                              fileOrDirectoryExists(candidate.home + "\\lib\\tools.jar"));
        if (!jdk) {
            logLine(L"Skipping %S: a JDK is required", candidate.home.c_str());
            return false;
        }
    }
    javaExe = candidate.home + "\\bin\\java.exe";
    if (!checkJavaExe(javaExe, version, min, max, false, true)) {
        logLine(L"Distribution runtime %S not accepted (version %S)", javaExe.c_str(), version.c_str());
        return false;
    }
    logLine(L"Using distribution runtime %S (version %S)", javaExe.c_str(), version.c_str());
    return true;
}

bool findRegistryJre(std::string& javaExe, std::string& version, const VersionList& min, const VersionList& max) {
    std::string vendorExe, vendorVersion, locatedExe, locatedVersion;
    bool vendor = false;
    if (getInt(165) == 0) {
        vendor = checkVendorRegistry(vendorExe, vendorVersion, min, max);
        if (vendor) logLine(L"found sun %S %S", vendorExe.c_str(), vendorVersion.c_str());
    }
    bool located = findLocatedJvm(locatedExe, locatedVersion, min, max, getInt(165) == 0);
    if (located) logLine(L"found located %S %S", locatedExe.c_str(), locatedVersion.c_str());
    if (!vendor && !located) return false;
    bool takeVendor = vendor && (!located || isNewerVersion(vendorVersion, locatedVersion));
    javaExe = takeVendor ? vendorExe : locatedExe;
    version = takeVendor ? vendorVersion : locatedVersion;
    return true;
}

HMODULE searchJvm(std::string& javaExe, std::string& version, int& sourceKind, std::string& sourceText) {
    logLine(L"Searching for a JVM");
    sourceKind = kSourceNone;
    std::string sequence = dupNarrow(128).substr(0, kBuffer - 1);
    std::string minText = dupNarrow(126).substr(0, kBuffer - 1), maxText = dupNarrow(127).substr(0, kBuffer - 1);
    logLine(L"MinVersion: %S, MaxVersion: %S", minText.c_str(), maxText.c_str());
    VersionList min = parseVersion(minText), max = parseVersion(maxText);

    // An accepted candidate is loaded at once; a library that does not load lets the
    // search go on, keeping the candidate's kind and text for the caller's message.
    auto accept = [&](int kind, const std::string* text) -> HMODULE {
        sourceKind = kind;
        if (text) sourceText = *text;
        return loadJvmFromJavaExe(javaExe);
    };
    auto locationFile = [&](const std::wstring& path, const wchar_t* has, const wchar_t* using_) -> HMODULE {
        std::string line;
        if (!readLocationFile(path, line)) return nullptr;
        logLine(has, line.c_str());
        if (!checkJreLocation(javaExe, version, line, min, max, false)) return nullptr;
        logLine(using_);
        return accept(kSourceLocation, &line);
    };

    if (HMODULE h = locationFile(applicationFile(L"\\.quillpack\\pref_jre.cfg"), L"Has preferred location %S",
                                 L"Using preferred location"))
        return h;
    if (HMODULE h = locationFile(extractionFile(L"\\inst_jre.cfg"), L"Has installer location %S",
                                 L"Using preferred location"))
        return h;

    std::vector<SearchEntry> entries = parseSearchSequence(sequence);
    for (const SearchEntry& entry : entries) {
        std::string argument = entry.argument;
        expandVariablesNarrow(argument);
        logLine(L"Testing location %S (type %c)", argument.c_str(), entry.type);
        HMODULE h = nullptr;
        switch (entry.type) {
            case 'A':
            case 'B':
            case 'R':
                if (checkJreLocation(javaExe, version, argument, min, max, false)) h = accept(kSourceLocation, &argument);
                break;
            case 'E':
                if (checkEnvironmentHome(javaExe, version, argument.c_str(), min, max))
                    h = accept(kSourceEnvironment, &argument);
                break;
            case 'S':
                if (checkPathJava(javaExe, version, min, max)) h = accept(kSourcePath, &argument);
                break;
            case 'V':
                // The first candidate whose library loads ends the search.
                for (const DistributionRuntime& candidate : collectDistributionRuntimes())
                    if (checkDistributionRuntime(candidate, javaExe, version, min, max) &&
                        (h = accept(kSourceRegistry, nullptr)) != nullptr)
                        break;
                break;
            case 'Y':
                if (findRegistryJre(javaExe, version, min, max)) h = accept(kSourceRegistry, nullptr);
                break;
            default:
                break;
        }
        if (h) return h;
    }

    if (HMODULE h = locationFile(applicationFile(L"\\.quillpack\\inst_jre.cfg"), L"Has installer location %S",
                                 L"Using installer location"))
        return h;

    for (const SearchEntry& entry : entries) {
        bool locationEntry = entry.type == 'A' || entry.type == 'B' || entry.type == 'R';
        if (!locationEntry || (entry.type != 'B' && isAbsoluteLocation(entry.argument))) continue;
        logLine(L"Testing relative location %S", entry.argument.c_str());
        if (!checkJreLocation(javaExe, version, entry.argument, min, max, true)) continue;
        if (!fileOrDirectoryExists(javaExe)) continue;
        logLine(L"%S exists", javaExe.c_str());
        if (HMODULE h = accept(kSourceLocation, &entry.argument)) return h;
    }

    if (checkAppIdInstallations(HKEY_CURRENT_USER, javaExe, version, min, max)) {
        logLine(L"found JRE from previous installation (user) %S", javaExe.c_str());
        if (HMODULE h = accept(kSourceRegistry, nullptr)) return h;
    }
    if (checkAppIdInstallations(HKEY_LOCAL_MACHINE, javaExe, version, min, max)) {
        logLine(L"found JRE from previous installation (machine) %S", javaExe.c_str());
        if (HMODULE h = accept(kSourceRegistry, nullptr)) return h;
    }
    logLine(L"Search sequence finished");

    for (const char* name : {"CORVO_JAVA_HOME", "QUILLPACK_JAVA_HOME"}) {
        if (!checkEnvironmentHome(javaExe, version, name, min, max)) continue;
        std::string text = name;
        if (HMODULE h = accept(kSourceEnvironment, &text)) return h;
    }
    return nullptr;
}

}  // namespace qpk
