// What the instance tests share: the test plays the other instance by holding the
// semaphore names a running launcher would hold and by writing its process id.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace qpke2e {


inline const std::map<std::string, std::string> kKeepLog = {{"CORVO_LOG", "yes"}};
inline const char kPidKey[] = "SOFTWARE\\larchmont-works\\corvo\\pids\\";

// The name the launcher logged: "semaphore name NAME, code ...".
inline std::string loggedName(const std::string& log) {
    size_t at = log.rfind("semaphore name ");
    if (at == std::string::npos) return {};
    at += 15;
    return log.substr(at, log.find(", code ", at) - at);
}

inline std::string lowered(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

inline std::string expectedKey(const std::string& exe) {
    std::string key = lowered(exe);
    for (char& c : key)
        if (c == '\\' || c == ' ') c = '_';
    return key;
}

struct HeldSemaphore {
    explicit HeldSemaphore(const std::string& name) : handle(CreateSemaphoreA(nullptr, 1, 1, name.c_str())) {}
    ~HeldSemaphore() { CloseHandle(handle); }
    HANDLE handle;
};

inline void writePid(const std::string& pathKey, DWORD pid) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kPidKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, pathKey.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&pid), sizeof(pid));
    RegCloseKey(key);
}

inline DWORD readPid(const std::string& pathKey) {
    DWORD pid = 0, size = sizeof(pid);
    RegGetValueA(HKEY_CURRENT_USER, kPidKey, pathKey.c_str(), RRF_RT_REG_DWORD, nullptr, &pid, &size);
    return pid;
}

}  // namespace qpke2e
