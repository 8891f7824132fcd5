#include "launcher/Log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "common/FileAttributes.h"
#include "common/Format.h"
#include "launcher/LauncherState.h"
#include "launcher/TempDirectories.h"

namespace qpk {

namespace {

// Guarded by the lock. The lock is created without protection: the first line is always
// written on the main thread before any other thread starts.
CRITICAL_SECTION* logLock = nullptr;
std::wstring logPath;
FILE* logFile = nullptr;
bool logInitialised = false;
bool keepLog = false;
int64_t logStartMillis = 0;

int64_t nowMillis() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    return (int64_t)(t.QuadPart / 10000);
}

void deleteLogAtExit() {
    if (!keepLog && !logPath.empty()) DeleteFileW(logPath.c_str());
}

bool environmentKeepsLog(const wchar_t* name) {
    wchar_t value[16];
    DWORD n = GetEnvironmentVariableW(name, value, 16);
    return n > 0 && n < 16 && keepsLog(value);
}

void initialise() {
    logInitialised = true;
    bool keep = gState.logRequested || environmentKeepsLog(L"CORVO_LOG") || environmentKeepsLog(L"QUILLPACK_LOG");
    if (keep)
        keepLog = true;
    else
        atexit(deleteLogAtExit);

    std::wstring dir;
    tempRootWide(dir, false);
    if (!dir.empty() && dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';
    if (dir.empty()) dir = L"c:\\";

    logPath = chooseLogFileName(dir, [](const std::wstring& p) { return fileOrDirectoryExists(p); });
    logFile = _wfopen(logPath.c_str(), L"w,ccs=UTF-8");
    if (logFile == nullptr) {
        logPath = L"c:\\qpk_nlog";
        logFile = _wfopen(logPath.c_str(), L"w,ccs=UTF-8");
    }
    if (logFile != nullptr) {
        wchar_t module[MAX_PATH * 4];
        DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH * 4);
        if (n == 0 || n >= MAX_PATH * 4) module[0] = L'\0';
        time_t now = time(nullptr);
        const char* when = ctime(&now);
        fputws(formatWide(L"Started executable %s at %S\n", module, when ? when : "\n").c_str(), logFile);
        fflush(logFile);
    }
    logStartMillis = nowMillis();
}

void writeLine(bool error, const wchar_t* format, va_list args) {
    if (logLock == nullptr) {
        static CRITICAL_SECTION lock;
        InitializeCriticalSection(&lock);
        logLock = &lock;
    }
    EnterCriticalSection(logLock);
    if (!logPath.empty() && logFile == nullptr) logFile = _wfopen(logPath.c_str(), L"a,ccs=UTF-8");
    if (!logInitialised) initialise();
    if (logFile != nullptr) {
        fputws(logLinePrefix(logStartMillis, nowMillis()).c_str(), logFile);
        if (error) fputws(L"ERROR: ", logFile);
        fputws(vformatWide(format, args).c_str(), logFile);
        fputws(L"\n", logFile);
        fclose(logFile);
        logFile = nullptr;
    }
    LeaveCriticalSection(logLock);
}

}  // namespace

std::wstring logLinePrefix(int64_t startMillis, int64_t now) {
    uint32_t elapsed = (uint32_t)now - (uint32_t)startMillis;
    wchar_t buf[32];
    _snwprintf(buf, 32, L"[%u:%u] ", elapsed / 1000, elapsed % 1000);
    buf[31] = L'\0';
    return buf;
}

bool keepsLog(const wchar_t* value) { return value != nullptr && wcscmp(value, L"yes") == 0; }

void logLine(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    writeLine(false, format, args);
    va_end(args);
}

void logError(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    writeLine(true, format, args);
    va_end(args);
}

void endLog() {
    if (logLock) EnterCriticalSection(logLock);
    deleteLogAtExit();
    logPath.clear();
    if (logLock) LeaveCriticalSection(logLock);
}

std::wstring logPathForUser() {
    keepLog = true;
    return logPath;
}

}  // namespace qpk
