#include "jre/RuntimeRegistry.h"

#include <cstring>
#include <vector>

#include "common/Owned.h"
#include "jre/JavaExeCheck.h"

namespace qpk {

namespace {

const char kCacheKey[] = "SOFTWARE\\larchmont-works\\corvo\\jvms\\";
const char kLocatedKey[] = "SOFTWARE\\larchmont-works\\corvo\\locatedjvms\\";
constexpr size_t kKeyPathCapacity = 6000;
constexpr DWORD kEnumNameCapacity = 6000;

// Key paths are composed in buffers of kKeyPathCapacity bytes, so longer ones are cut.
std::string keyPath(const char* prefix, const std::string& javaExe) {
    std::string path = prefix + runtimeKeyName(javaExe);
    if (path.size() > kKeyPathCapacity - 1) path.resize(kKeyPathCapacity - 1);
    return path;
}

// Texts older launchers wrote for runtimes they could not use.
bool isObsoleteCacheText(const char* text) {
    return strcmp(text, "1.7.") == 0 || strcmp(text, "1.6.") == 0 || strcmp(text, "1.5.") == 0;
}

bool createKey(HKEY hive, const std::string& path, UniqueKey& key) {
    return RegCreateKeyExA(hive, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                           key.put(), nullptr) == ERROR_SUCCESS;
}

struct Located {
    std::string javaExe;
    std::string version;
};

// The newest acceptable runtime recorded under one hive; the first of equal ones stays.
bool newestLocatedIn(HKEY hive, Located& best, const VersionList& min, const VersionList& max, bool acceptAll) {
    UniqueKey key;
    if (RegOpenKeyExA(hive, kLocatedKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    bool found = false;
    best = Located();
    std::vector<char> name(kEnumNameCapacity), keyClass(kEnumNameCapacity);
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = kEnumNameCapacity, classSize = kEnumNameCapacity;
        FILETIME written;
        if (RegEnumKeyExA(key.get(), index, name.data(), &nameSize, nullptr, keyClass.data(), &classSize,
                          &written) != ERROR_SUCCESS)
            break;
        std::string javaExe(name.data(), nameSize);
        for (char& c : javaExe)
            if (c == '/') c = '\\';
        if (!acceptAll && javaExe.find("qpk_jres") == std::string::npos) continue;
        std::string version;
        if (checkJavaExe(javaExe, version, min, max, true, true) && isNewerVersion(version, best.version)) {
            best.javaExe = javaExe;
            best.version = version;
            found = true;
        }
    }
    return found;
}

}  // namespace

std::string runtimeKeyName(const std::string& javaExe) {
    std::string name = javaExe;
    for (char& c : name)
        if (c == '\\') c = '/';
    return name;
}

void storeCachedVersion(const std::string& javaExe, const FILETIME& lastWrite, const std::string& version) {
    UniqueKey key;
    if (!createKey(HKEY_CURRENT_USER, keyPath(kCacheKey, javaExe), key)) return;
    RegSetValueExA(key.get(), "LastWriteTime", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&lastWrite),
                   sizeof lastWrite);
    // Without the terminating NUL, as every launcher before wrote it.
    RegSetValueExA(key.get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                   DWORD(version.size()));
}

bool lookupCachedVersion(const std::string& javaExe, const FILETIME& lastWrite, std::string& versionOut,
                         size_t capacity) {
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath(kCacheKey, javaExe).c_str(), 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS)
        return false;

    FILETIME stored;
    DWORD size = sizeof stored;
    if (RegQueryValueExA(key.get(), "LastWriteTime", nullptr, nullptr, reinterpret_cast<BYTE*>(&stored), &size) !=
            ERROR_SUCCESS ||
        size != sizeof stored || memcmp(&stored, &lastWrite, sizeof stored) != 0)
        return false;

    std::vector<char> text(capacity > 0 ? capacity : 1, '\0');
    size = DWORD(capacity);
    if (RegQueryValueExA(key.get(), "Version", nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    // Stored with or without its NUL (this launcher writes none); one without that fills
    // the caller's buffer leaves no room for it and so does not fit.
    if (size > 0 && text[size - 1] != '\0') {
        if (size >= capacity) return false;
        text[size] = '\0';
    }
    if (isObsoleteCacheText(text.data())) return false;
    versionOut = text.data();
    return true;
}

void recordLocatedJvm(const std::string& javaExe) {
    std::string path = keyPath(kLocatedKey, javaExe);
    UniqueKey key;
    if (!createKey(HKEY_LOCAL_MACHINE, path, key)) createKey(HKEY_CURRENT_USER, path, key);
}

bool findLocatedJvm(std::string& javaExeOut, std::string& versionOut, const VersionList& min,
                    const VersionList& max, bool acceptAll) {
    Located user, machine;
    bool fromUser = newestLocatedIn(HKEY_CURRENT_USER, user, min, max, acceptAll);
    bool fromMachine = newestLocatedIn(HKEY_LOCAL_MACHINE, machine, min, max, acceptAll);
    if (!fromUser && !fromMachine) return false;
    const Located& chosen =
        fromUser && (!fromMachine || isNewerVersion(user.version, machine.version)) ? user : machine;
    javaExeOut = chosen.javaExe;
    versionOut = chosen.version;
    return true;
}

}  // namespace qpk
