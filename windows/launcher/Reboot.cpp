#include "launcher/Reboot.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "common/Format.h"
#include "common/Owned.h"
#include "launcher/Log.h"

namespace qpk {

namespace {

constexpr DWORD kRebootDelayMs = 5000;
const wchar_t kProductKey[] = L"SOFTWARE\\larchmont-works\\quillpack\\";

bool enableShutdownPrivilege() {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
        logLine(L"cannot open the process token (%d)", (int)GetLastError());
        return false;
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        logLine(L"cannot look up the shutdown privilege (%d)", (int)GetLastError());
        return false;
    }
    // Success with ERROR_NOT_ALL_ASSIGNED means the token does not hold the privilege.
    BOOL adjusted = AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    DWORD error = GetLastError();
    if (!adjusted || error == ERROR_NOT_ALL_ASSIGNED) {
        logLine(L"cannot enable the shutdown privilege (%d)", (int)error);
        return false;
    }
    return true;
}

std::wstring environmentValue(const wchar_t* name) {
    wchar_t value[8192];
    DWORD n = GetEnvironmentVariableW(name, value, 8192);
    return n > 0 && n < 8192 ? std::wstring(value, n) : std::wstring();
}

std::wstring tempDirectory() {
    wchar_t buffer[8192];
    DWORD n = GetTempPathW(8192, buffer);
    std::wstring dir = n > 0 && n < 8192 ? std::wstring(buffer, n) : std::wstring();
    if (dir.empty()) return environmentValue(L"HOMEDRIVE") + environmentValue(L"HOMEPATH");
    if (GetFileAttributesW(dir.c_str()) == INVALID_FILE_ATTRIBUTES) CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

// A fresh empty file; an empty path when none could be created.
std::wstring createCheckFile(const std::wstring& dir) {
    wchar_t name[MAX_PATH];
    if (GetTempFileNameW(dir.c_str(), L"ide", 0, name) != 0) return name;
    logLine(L"GetTempFileName in %s failed (%d)", dir.c_str(), (int)GetLastError());
    std::wstring base = dir;
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/') base += L'\\';
    srand((unsigned)time(nullptr));
    std::wstring path = formatWide(L"%scvo%d", base.c_str(), rand());
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        logLine(L"cannot create %s (%d)", path.c_str(), (int)GetLastError());
        return std::wstring();
    }
    return path;
}

void storeCheckFile(HKEY root, const wchar_t* rootName, const std::wstring& path) {
    UniqueKey key;
    LONG rc = RegCreateKeyExW(root, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    if (rc != ERROR_SUCCESS) {
        logLine(L"cannot open %s\\%s (%d)", rootName, kProductKey, (int)rc);
        return;
    }
    DWORD bytes = DWORD((path.size() + 1) * sizeof(wchar_t));
    rc = RegSetValueExW(key.get(), L"RebootCheckFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()), bytes);
    if (rc != ERROR_SUCCESS) logLine(L"cannot write RebootCheckFile under %s (%d)", rootName, (int)rc);
}

}  // namespace

void rebootMode() {
    logLine(L"reboot in %d ms", (int)kRebootDelayMs);
    Sleep(kRebootDelayMs);
    rebootNow();
}

bool rebootNow() {
    if (!enableShutdownPrivilege()) return false;
    if (!ExitWindowsEx(EWX_REBOOT, SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION |
                                       SHTDN_REASON_FLAG_PLANNED)) {
        logLine(L"ExitWindowsEx failed (%d)", (int)GetLastError());
        return false;
    }
    logLine(L"reboot initiated");
    return true;
}

void recordRebootCheckFile() {
    std::wstring path = createCheckFile(tempDirectory());
    if (path.empty()) return;
    if (!MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        logLine(L"cannot schedule %s for deletion at reboot (%d)", path.c_str(), (int)GetLastError());
        return;
    }
    logLine(L"reboot check file %s", path.c_str());
    storeCheckFile(HKEY_LOCAL_MACHINE, L"HKLM", path);
    storeCheckFile(HKEY_CURRENT_USER, L"HKCU", path);
}

}  // namespace qpk
