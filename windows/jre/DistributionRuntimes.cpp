#include "jre/DistributionRuntimes.h"

#include <windows.h>

#include <string>

#include "common/FileAttributes.h"
#include "common/Owned.h"
#include "launcher/Log.h"

namespace qpk {

namespace {

constexpr DWORD kNameCapacity = 256;    // key names are at most 255 characters
constexpr DWORD kValueCapacity = 1024;  // far beyond any home usableHome accepts

struct HotspotKey {
    const char* path;
    bool runtimeOnly;
};
// Each version-named subkey holds "hotspot\MSI" with the home in "Path".
const HotspotKey kHotspotKeys[] = {
    {"SOFTWARE\\Eclipse Adoptium\\JDK", false},   {"SOFTWARE\\Eclipse Adoptium\\JRE", true},
    {"SOFTWARE\\Eclipse Foundation\\JDK", false}, {"SOFTWARE\\Eclipse Foundation\\JRE", true},
    {"SOFTWARE\\AdoptOpenJDK\\JDK", false},       {"SOFTWARE\\AdoptOpenJDK\\JRE", true},
    {"SOFTWARE\\Microsoft\\JDK", false},
};
const char kZuluKey[] = "SOFTWARE\\Azul Systems\\Zulu";

struct InstallFolder {
    const char* directory;
    const char* pattern;
    bool runtimeOnly;
};
const InstallFolder kInstallFolders[] = {
    {"Eclipse Adoptium", "jdk-*", false}, {"Eclipse Adoptium", "jre-*", true}, {"AdoptOpenJDK", "jdk-*", false},
    {"AdoptOpenJDK", "jre-*", true},      {"Microsoft", "jdk-*", false},       {"Zulu", "zulu-*", false},
    {"Java", "jdk-*", false},             {"Java", "jre*", true},
};

UniqueKey openMachineKey(HKEY parent, const std::string& path) {
    UniqueKey key;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS)
        return UniqueKey();
    return key;
}

// The names of the subkeys that can be opened; longer ones than a key may have are logged.
std::vector<std::string> subkeyNames(HKEY key, const char* where) {
    std::vector<std::string> names;
    for (DWORD i = 0; i < 10000; ++i) {
        char name[kNameCapacity];
        DWORD size = kNameCapacity;
        LONG rc = RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) {
            logLine(L"Skipping a subkey of %S: error %d", where, (int)rc);
            continue;
        }
        names.emplace_back(name, size);
    }
    return names;
}

// A REG_SZ value that fits kValueCapacity; the reason is logged when there is none.
bool readHomeValue(HKEY key, const char* name, const std::string& where, std::string& out) {
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) {
        logLine(L"Skipping %S: no value %S (%d)", where.c_str(), name, (int)rc);
        return false;
    }
    if (type != REG_SZ) {
        logLine(L"Skipping %S: value %S has type %d", where.c_str(), name, (int)type);
        return false;
    }
    if (size > kValueCapacity) {
        logLine(L"Skipping %S: value %S is %d bytes long", where.c_str(), name, (int)size);
        return false;
    }
    std::string buffer(kValueCapacity, '\0');
    size = kValueCapacity;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    buffer.resize(size);
    while (!buffer.empty() && buffer.back() == '\0') buffer.pop_back();  // stored with or without it
    out = buffer;
    return true;
}

// Adds the candidate when its home is trusted and holds bin\java.exe.
void addCandidate(std::vector<DistributionRuntime>& out, const std::string& value, const std::string& version,
                  const std::string& origin, bool runtimeOnly) {
    std::string home;
    if (!usableHome(value, home)) {
        logLine(L"Skipping %S: %S is no usable runtime home", origin.c_str(), value.c_str());
        return;
    }
    if (!fileOrDirectoryExists(home + "\\bin\\java.exe")) {
        logLine(L"Skipping %S: no bin\\java.exe in %S", origin.c_str(), home.c_str());
        return;
    }
    logLine(L"Found distribution runtime %S (version %S) in %S", home.c_str(), version.c_str(), origin.c_str());
    out.push_back({home, version, origin, runtimeOnly});
}

void collectHotspotKey(const HotspotKey& source, std::vector<DistributionRuntime>& out) {
    UniqueKey key = openMachineKey(HKEY_LOCAL_MACHINE, source.path);
    if (!key) return;
    logLine(L"Reading distribution key %S", source.path);
    for (const std::string& name : subkeyNames(key.get(), source.path)) {
        std::string where = std::string(source.path) + "\\" + name, version;
        if (!versionFromName(name, version)) {
            logLine(L"Skipping %S: the name is no version", where.c_str());
            continue;
        }
        where += "\\hotspot\\MSI";
        UniqueKey msi = openMachineKey(key.get(), name + "\\hotspot\\MSI");
        std::string value;
        if (!msi)
            logLine(L"Skipping %S: no such key", where.c_str());
        else if (readHomeValue(msi.get(), "Path", where, value))
            addCandidate(out, value, version, where, source.runtimeOnly);
    }
}

void collectZuluKey(std::vector<DistributionRuntime>& out) {
    UniqueKey key = openMachineKey(HKEY_LOCAL_MACHINE, kZuluKey);
    if (!key) return;
    logLine(L"Reading distribution key %S", kZuluKey);
    for (const std::string& name : subkeyNames(key.get(), kZuluKey)) {
        std::string where = std::string(kZuluKey) + "\\" + name, version, value;
        if (!versionFromName(name, version)) {
            logLine(L"Skipping %S: the name is no version", where.c_str());
            continue;
        }
        UniqueKey sub = openMachineKey(key.get(), name);
        if (sub && readHomeValue(sub.get(), "InstallationPath", where, value))
            addCandidate(out, value, version, where, false);
    }
}

// The 64-bit Program Files folder as the machine records it, not as the environment says.
std::string programFilesFolder() {
    UniqueKey key = openMachineKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
    std::string value, folder;
    if (!key || !readHomeValue(key.get(), "ProgramFilesDir", "the Program Files folder", value) ||
        !usableHome(value, folder))
        return std::string();
    return folder;
}

void collectInstallFolder(const std::string& programFiles, const InstallFolder& source,
                          std::vector<DistributionRuntime>& out) {
    std::string parent = programFiles + "\\" + source.directory;
    WIN32_FIND_DATAA found;
    UniqueFind find(FindFirstFileA((parent + "\\" + source.pattern).c_str(), &found));
    if (!find) return;
    logLine(L"Reading distribution folder %S\\%S", parent.c_str(), source.pattern);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        std::string name = found.cFileName, version;
        if (!versionFromName(name, version)) {
            logLine(L"Skipping %S\\%S: the name is no version", parent.c_str(), name.c_str());
            continue;
        }
        std::string home = parent + "\\" + name;
        addCandidate(out, home, version, home, source.runtimeOnly);
    } while (FindNextFileA(find.get(), &found));
}

}  // namespace

std::vector<DistributionRuntime> collectDistributionRuntimes() {
    std::vector<DistributionRuntime> found;
    for (const HotspotKey& source : kHotspotKeys) collectHotspotKey(source, found);
    collectZuluKey(found);
    std::string programFiles = programFilesFolder();
    if (programFiles.empty())
        logLine(L"No Program Files folder for the distribution folders");
    else
        for (const InstallFolder& source : kInstallFolders) collectInstallFolder(programFiles, source, found);
    return newestFirst(found);
}

}  // namespace qpk
