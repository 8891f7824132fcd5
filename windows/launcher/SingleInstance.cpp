#include "launcher/SingleInstance.h"

#include "common/Owned.h"
#include "launcher/ErrorReporting.h"
#include "launcher/ExePath.h"
#include "launcher/Log.h"
#include "launcher/PathHelpers.h"
#include "payload/Config.h"

namespace qpk {

namespace {

const char kPidKey[] = "SOFTWARE\\larchmont-works\\corvo\\pids\\";

std::string heldName;

// Created with count 1 of 1 and never closed: the system releases it with the process.
HANDLE createNamed(const std::string& name, DWORD& error) {
    HANDLE h = CreateSemaphoreA(nullptr, 1, 1, name.c_str());
    error = GetLastError();
    logLine(L"semaphore name %S, code %d, value %p", name.c_str(), (int)error, h);
    return h;
}

struct WindowSearch {
    DWORD pid;
    bool restore;
};

BOOL CALLBACK activateIfOwned(HWND window, LPARAM param) {
    const WindowSearch* search = reinterpret_cast<const WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->pid || !IsWindowVisible(window)) return TRUE;
    logLine(L"found window %p", window);
    if (search->restore && IsIconic(window)) {
        logLine(L"restore");
        ShowWindow(window, SW_RESTORE);
    }
    logLine(L"foreground");
    SetForegroundWindow(window);
    logLine(L"popup");
    SetForegroundWindow(GetLastActivePopup(window));
    logLine(L"done");
    return TRUE;
}

}  // namespace

std::string instancePathKey() { return fullPath(exePath(), false); }

std::string sanitisedKey(const std::string& pathKey) {
    std::string out = pathKey;
    for (char& c : out)
        if (c == '\\' || c == ' ') c = '_';
    return out;
}

const std::string& semaphoreName() { return heldName; }

void registerPid() {
    HKEY raw = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kPidKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        return;
    UniqueKey key(raw);
    DWORD pid = GetCurrentProcessId();
    RegSetValueExA(key.get(), instancePathKey().c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&pid),
                   sizeof(pid));
}

DWORD readOtherPid() {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPidKey, 0, KEY_READ, &raw) != ERROR_SUCCESS) return 0;
    UniqueKey key(raw);
    DWORD pid = 0, type = 0, size = sizeof(pid);
    if (RegQueryValueExA(key.get(), instancePathKey().c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&pid),
                         &size) != ERROR_SUCCESS ||
        size != sizeof(pid))
        return 0;
    return pid;
}

void activateWindows(DWORD pid, bool restore) {
    WindowSearch search{pid, restore};
    EnumWindows(activateIfOwned, reinterpret_cast<LPARAM>(&search));
}

void checkSingleInstance() {
    std::string base = (getInt(158) ? "Global\\" : "Local\\") + sanitisedKey(instancePathKey());
    DWORD error = 0;
    if (getInt(10005) == 0) {
        for (int i = 0;; ++i) {
            std::string name = base + std::to_string(i);
            HANDLE h = createNamed(name, error);
            if (error == ERROR_ALREADY_EXISTS && i < 100000) {
                CloseHandle(h);
                continue;
            }
            heldName = name;
            return;
        }
    }

    logLine(L"single instance mode");
    HANDLE h = createNamed(base, error);
    if (error != ERROR_ALREADY_EXISTS) {
        heldName = base;
        registerPid();
        return;
    }
    CloseHandle(h);
    // The first instance may not have written its id yet.
    DWORD pid = readOtherPid();
    for (int retry = 0; pid == 0 && retry < 50; ++retry) {
        Sleep(100);
        pid = readOtherPid();
    }
    logLine(L"other pid %d", (int)pid);
    if (pid != 0 && getInt(10007) != 0) activateWindows(pid, true);
    logLine(L"exiting");
    fatalExit(0);
}

}  // namespace qpk
