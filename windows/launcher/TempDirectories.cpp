#include "launcher/TempDirectories.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>

#include "common/FileAttributes.h"
#include "common/Owned.h"
#include "common/TextConvert.h"
#include "launcher/ErrorReporting.h"
#include "launcher/LauncherState.h"
#include "launcher/Log.h"

namespace qpk {

bool insufficientRights = false;

namespace {

std::string manualRootNarrow, cachedRootNarrow;
std::wstring manualRootWide, cachedRootWide;

void seedRandom() { srand((unsigned)(GetCurrentProcessId() * (unsigned)time(nullptr))); }

// Overloads so the chain is written once for both widths.
bool createDir(const std::string& d) { return CreateDirectoryA(d.c_str(), nullptr) != 0; }
bool createDir(const std::wstring& d) { return CreateDirectoryW(d.c_str(), nullptr) != 0; }
void removeDir(const std::string& d) { RemoveDirectoryA(d.c_str()); }
void removeDir(const std::wstring& d) { RemoveDirectoryW(d.c_str()); }
std::wstring longForm(const std::wstring& d) {
    wchar_t buf[6000];
    DWORD n = GetLongPathNameW(d.c_str(), buf, 6000);
    return (n > 0 && n < 6000) ? std::wstring(buf, n) : d;
}
std::wstring longForm(const std::string& d) { return longForm(toWide(d)); }
std::string testDirName(const std::string& d, int pid, int r) {
    return d + "\\cvotw" + std::to_string(pid) + std::to_string(r);
}
std::wstring testDirName(const std::wstring& d, int pid, int r) {
    return d + L"\\cvotw" + std::to_wstring(pid) + std::to_wstring(r);
}

template <class Str>
bool usable(const Str& dir, bool createFirst, bool rejectUnrepresentable) {
    if (dir.empty()) return false;
    if (createFirst) createDir(dir);
    if (rejectUnrepresentable && longForm(dir).find(L'?') != std::wstring::npos) return false;
    seedRandom();
    // A trailing separator would double in the test name; the root itself stays as given.
    Str base = dir;
    while (base.size() > 1 && (base.back() == '\\' || base.back() == '/')) base.pop_back();
    Str test = testDirName(base, (int)GetCurrentProcessId(), rand());
    bool created = createDir(test);
    bool found = created && directoryExists(test);
    removeDir(test);
    return found;
}

template <class Str>
Str envValue(const char* name);
template <>
std::string envValue<std::string>(const char* name) {
    char buf[6000];
    DWORD n = GetEnvironmentVariableA(name, buf, 6000);
    return (n > 0 && n < 6000) ? std::string(buf, n) : std::string();
}
template <>
std::wstring envValue<std::wstring>(const char* name) {
    std::wstring wname(name, name + strlen(name));
    wchar_t buf[6000];
    DWORD n = GetEnvironmentVariableW(wname.c_str(), buf, 6000);
    return (n > 0 && n < 6000) ? std::wstring(buf, n) : std::wstring();
}

std::string systemTempPath(std::string*) {
    char buf[MAX_PATH + 1];
    DWORD n = GetTempPathA(MAX_PATH + 1, buf);
    return (n > 0 && n <= MAX_PATH) ? std::string(buf, n) : std::string();
}
std::wstring systemTempPath(std::wstring*) {
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    return (n > 0 && n <= MAX_PATH) ? std::wstring(buf, n) : std::wstring();
}
std::string windowsDir(std::string*) {
    char buf[MAX_PATH];
    UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
    return (n > 0 && n < MAX_PATH) ? std::string(buf, n) : std::string();
}
std::wstring windowsDir(std::wstring*) {
    wchar_t buf[MAX_PATH];
    UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
    return (n > 0 && n < MAX_PATH) ? std::wstring(buf, n) : std::wstring();
}

template <class Str>
Str lit(const char* s) {
    return Str(s, s + strlen(s));
}

// The candidates in order; the first usable one wins.
template <class Str>
Str chooseRoot() {
    Str* tag = nullptr;
    Str profileTemp = envValue<Str>("USERPROFILE");
    if (!profileTemp.empty()) profileTemp += lit<Str>("\\AppData\\Local\\Temp");
    Str home = envValue<Str>("HOMEDRIVE") + envValue<Str>("HOMEPATH");
    Str win = windowsDir(tag);
    Str winTemp = win.empty() ? Str() : win + lit<Str>("\\temp");
    struct Candidate {
        Str path;
        bool create, reject;
    };
    const Candidate strict[] = {
        {systemTempPath(tag), true, true}, {profileTemp, false, true}, {home, false, true},
        {winTemp, false, false},           {lit<Str>("c:\\temp"), false, false},
        {lit<Str>("c:\\tmp"), false, false}, {win, false, false},      {lit<Str>("c:\\tmp"), true, false},
    };
    for (const Candidate& c : strict)
        if (usable(c.path, c.create, c.reject)) return c.path;
    insufficientRights = true;
    const Candidate relaxed[] = {
        {systemTempPath(tag), true, false}, {profileTemp, false, false}, {home, false, false}};
    for (const Candidate& c : relaxed)
        if (usable(c.path, c.create, c.reject)) return c.path;
    return Str();
}

std::string unique(const std::string& root) {
    char name[MAX_PATH];
    if (GetTempFileNameA(root.c_str(), "cvo", 0, name) != 0) return name;
    logLine(L"GetTempFileName failed (last error %d)", (int)GetLastError());
    std::string base = root;
    if (!base.empty() && base.back() != '\\' && base.back() != '/') base += '\\';
    seedRandom();
    return base + "cvo" + std::to_string(rand());
}

}  // namespace

bool isUsableDirectory(const std::string& dir, bool createFirst, bool rejectUnrepresentable) {
    return usable(dir, createFirst, rejectUnrepresentable);
}
bool isUsableDirectory(const std::wstring& dir, bool createFirst, bool rejectUnrepresentable) {
    return usable(dir, createFirst, rejectUnrepresentable);
}

void setManualTempRoot(const std::string& narrow, const std::wstring& wide) {
    manualRootNarrow = narrow;
    manualRootWide = wide;
}

void tempRoot(std::string& out) {
    if (!manualRootNarrow.empty()) {
        out = manualRootNarrow;
        return;
    }
    if (cachedRootNarrow.empty()) cachedRootNarrow = chooseRoot<std::string>();
    if (cachedRootNarrow.empty()) fatalMessage(1015);
    out = cachedRootNarrow;
}

void tempRootWide(std::wstring& out, bool failIsFatal) {
    if (!manualRootWide.empty()) {
        out = manualRootWide;
        return;
    }
    if (cachedRootWide.empty()) cachedRootWide = chooseRoot<std::wstring>();
    if (cachedRootWide.empty() && failIsFatal) fatalMessage(1015);
    out = cachedRootWide;
}

std::string tempFileName() {
    std::string root;
    tempRoot(root);
    logLine(L"tempPath is %S", root.c_str());
    std::string name = unique(root);
    logLine(L"tempFile is %S", name.c_str());
    return name;
}

void createPrivateTempDir() {
    for (int attempt = 0; attempt < 10; ++attempt) {
        gState.tempDir = tempFileName() + "_dir" + std::to_string((long long)time(nullptr));
        logLine(L"Temp dir3: %S", gState.tempDir.c_str());
        if (CreateDirectoryA(gState.tempDir.c_str(), nullptr)) return;
        logLine(L"Could not create dir (%d)", (int)GetLastError());
    }
    gState.tempDir.clear();
    fatalMessageWith(1009, L"7");
}

void emptyDirectory(const std::string& path, bool descend) {
    if (path.empty() || path[0] == '.') return;
    logLine(L"emptying %S", path.c_str());
    std::string dir = path;
    if (dir.back() != '\\') dir += '\\';
    WIN32_FIND_DATAA fd;
    UniqueFind find(FindFirstFileA((dir + "*.*").c_str(), &fd));
    if (!find) return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        std::string full = dir + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            logLine(L"attempting to remove %S (%d)", full.c_str(), (int)descend);
            // A junction or link is removed itself; what it points to is not ours.
            if (descend && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) emptyDirectory(full, true);
            RemoveDirectoryA(full.c_str());
        } else {
            logLine(L"attempting to delete %S", full.c_str());
            DeleteFileA(full.c_str());
        }
    } while (FindNextFileA(find.get(), &fd));
}

void removePrivateTempDir() {
    const std::string& dir = gState.tempDir;
    if (gState.languageRestart || dir.empty()) return;
    // The preparation works inside the directory, and a current directory cannot be removed.
    SetCurrentDirectoryA(dir.substr(0, dir.find_last_of('\\') + 1).c_str());
    emptyDirectory(dir, true);
    RemoveDirectoryA(dir.c_str());
    // The placeholder that reserved the name, when GetTempFileName made one (its names end
    // in ".tmp"; the fall-back names do not, and may be another program's).
    size_t suffix = dir.rfind("_dir");
    if (suffix != std::string::npos && suffix >= 4 && _strnicmp(dir.c_str() + suffix - 4, ".tmp", 4) == 0)
        DeleteFileA(dir.substr(0, suffix).c_str());
}

}  // namespace qpk
