#include "launcher/Log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "common/FileAttributes.h"
#include "common/Format.h"
#include "common/Owned.h"
#include "launcher/LauncherState.h"
#include "launcher/TempDirectories.h"

namespace qpk {

namespace {

// Guarded by the lock. The lock is created without protection: the first line is always
// written on the main thread before any other thread starts.
CRITICAL_SECTION* logLock = nullptr;
std::wstring logPath;
// Open from the first line to the end: an open and a close for every line were the dearest
// part of a line under Wine (and are with file scanners on Windows). Every line goes to the
// system in one write before the call returns, so a crash after it still leaves the line
// in the file. The handle is not inheritable: no process the launcher starts holds the file.
UniqueFile logFile;
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

// Closed first, whether the file is then deleted or kept.
void closeLog() {
    logFile.reset();
    if (!keepLog && !logPath.empty()) DeleteFileW(logPath.c_str());
}

// The bytes the C runtime writes for a text in a UTF-8 text stream: UTF-8, "\n" as CR LF.
std::string textBytes(const std::wstring& text) {
    std::wstring crlf;
    crlf.reserve(text.size() + 8);
    for (wchar_t c : text) {
        if (c == L'\n') crlf += L'\r';
        crlf += c;
    }
    int n = WideCharToMultiByte(CP_UTF8, 0, crlf.data(), int(crlf.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string bytes(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, crlf.data(), int(crlf.size()), &bytes[0], n, nullptr, nullptr);
    return bytes;
}

void writeText(const std::wstring& text) {
    std::string bytes = textBytes(text);
    DWORD written = 0;
    WriteFile(logFile.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

// As the C runtime's "w,ccs=UTF-8" (`truncate`) or "a,ccs=UTF-8": an empty file gets the
// byte order mark, others are written at their end. Others may read, write or delete it
// meanwhile, as they could while it was closed between lines.
void openLog(bool truncate) {
    logFile.reset(CreateFileW(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, truncate ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!logFile) return;
    LARGE_INTEGER end{};
    if (SetFilePointerEx(logFile.get(), end, &end, FILE_END) && end.QuadPart == 0) {
        DWORD written = 0;
        WriteFile(logFile.get(), "\xEF\xBB\xBF", 3, &written, nullptr);
    }
}

bool environmentKeepsLog(const wchar_t* name) {
    wchar_t value[16];
    DWORD n = GetEnvironmentVariableW(name, value, 16);
    return n > 0 && n < 16 && keepsLog(value);
}

void initialise() {
    logInitialised = true;
    bool keep = gState.logRequested || environmentKeepsLog(L"CORVO_LOG") || environmentKeepsLog(L"QUILLPACK_LOG");
    if (keep) keepLog = true;
    atexit(closeLog);

    std::wstring dir;
    tempRootWide(dir, false);
    if (!dir.empty() && dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';
    if (dir.empty()) dir = L"c:\\";

    logPath = chooseLogFileName(dir, [](const std::wstring& p) { return fileOrDirectoryExists(p); });
    openLog(true);
    if (!logFile) {
        logPath = L"c:\\qpk_nlog";
        openLog(true);
    }
    if (logFile) {
        wchar_t module[MAX_PATH * 4];
        DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH * 4);
        if (n == 0 || n >= MAX_PATH * 4) module[0] = L'\0';
        time_t now = time(nullptr);
        const char* when = ctime(&now);
        writeText(formatWide(L"Started executable %s at %S\n", module, when ? when : "\n"));
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
    // A log that could not be opened is tried again for every line.
    if (!logPath.empty() && !logFile) openLog(false);
    if (!logInitialised) initialise();
    if (logFile) {
        std::wstring line = logLinePrefix(logStartMillis, nowMillis());
        if (error) line += L"ERROR: ";
        line += vformatWide(format, args);
        line += L'\n';
        writeText(line);
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
    closeLog();
    logPath.clear();
    if (logLock) LeaveCriticalSection(logLock);
}

std::wstring logPathForUser() {
    keepLog = true;
    return logPath;
}

}  // namespace qpk
