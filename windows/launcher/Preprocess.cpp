#include "launcher/Preprocess.h"

#include <cstdio>

#include "VariableExpansion.h"
#include "common/TextConvert.h"
#include "launcher/CommandLine.h"
#include "launcher/Log.h"
#include "launcher/PathHelpers.h"
#include "launcher/TempDirectories.h"
#include "payload/Config.h"

namespace qpk {

namespace {

// The narrow form of a usable wide directory that also passes the usability test: the
// direct conversion when it is clean, else the short path name.
bool usableNarrowForm(const std::wstring& wide, std::string& narrow) {
    std::string direct;
    if (toNarrow(wide, direct) && isUsableDirectory(direct, false, true)) {
        narrow = direct;
        return true;
    }
    wchar_t shortPath[6000];
    DWORD n = GetShortPathNameW(wide.c_str(), shortPath, 6000);
    std::string viaShort;
    if (n == 0 || n >= 6000 || !toNarrow(std::wstring(shortPath, n), viaShort)) return false;
    if (!isUsableDirectory(viaShort, false, true)) return false;
    narrow = viaShort;
    return true;
}

// Relative to the working directory of the start, which the preparation leaves before it
// creates and fills the private directory.
std::wstring againstWorkingDirectory(const std::wstring& path) {
    wchar_t buffer[6000];
    DWORD n = GetFullPathNameW(path.c_str(), 6000, buffer, nullptr);
    return n > 0 && n < 6000 ? std::wstring(buffer, n) : path;
}

void applyManualTemp(ArgumentVector& vector) {
    int at = findTempSwitch(vector);
    if (at < 0) return;
    size_t i = size_t(at);
    if (i + 1 >= vector.size() || vector[i + 1].empty()) {
        vector.erase(vector.begin() + at);
        return;
    }
    std::wstring wide = againstWorkingDirectory(vector[i + 1]);
    std::string narrow;
    if (isUsableDirectory(wide, false, true) && usableNarrowForm(wide, narrow)) {
        setManualTempRoot(narrow, wide);
        logLine(L"Using manual temp dir %s (%S)", wide.c_str(), narrow.c_str());
        return;
    }
    logLine(L"Manual temp dir not usable %s (%S)", wide.c_str(), toDisplayNarrow(wide, fileApiCodePage()).c_str());
    vector.erase(vector.begin() + at + 1);
    vector.erase(vector.begin() + at);
}

void changeWorkingDirectory() {
    std::wstring dir = getWideFromNarrow(146);
    if (dir.empty()) {
        logLine(L"working directory unchanged");
        return;
    }
    expandVariables(dir, true);
    dir = collapseBackslashes(absolutePath(dir));
    SetCurrentDirectoryW(dir.c_str());
    logLine(L"change working directory to %s", dir.c_str());
}

void openExplorerAt(const std::wstring& logPath) {
    wchar_t windowsDir[261];
    wchar_t shortLog[261];
    UINT w = GetWindowsDirectoryW(windowsDir, 261);
    DWORD s = GetShortPathNameW(logPath.c_str(), shortLog, 261);
    if (w == 0 || w > 260) windowsDir[0] = L'\0';
    if (s == 0 || s > 260) shortLog[0] = L'\0';
    wchar_t command[600];
    _snwprintf(command, 600, L"%s\\explorer.exe /select,%s", windowsDir, shortLog);
    command[599] = L'\0';
    logLine(L"calling %s", command);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &process)) {
        logLine(L"could not open explorer window %d", (int)GetLastError());
        return;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void askAboutLogFile() {
    std::wstring path = logPathForUser();
    std::wstring text = L"The following log file will be created:\n\n" + path +
                        L"\n\nDo you want to open an Explorer window?";
    if (MessageBoxW(nullptr, text.c_str(), gState.productWordWide.c_str(), MB_YESNO) == IDYES)
        openExplorerAt(path);
}

}  // namespace

const char* productWordFor(char kind) { return kind == 'c' ? "corvo" : "quillpack"; }

void preprocessArguments(HINSTANCE instance, ArgumentVector& vector, bool allowManualTemp) {
    gState.tempDir.clear();
    if (takeForcedLogSwitch(vector)) gState.logRequested = true;
    if (allowManualTemp) applyManualTemp(vector);

    loadConfiguration(vector);
    gState.instance = instance;

    std::string kind = dupNarrow(2001);
    gState.productKind = kind.empty() ? '\0' : kind[0];
    gState.productWord = productWordFor(gState.productKind);
    gState.productWordWide = ansiToWide(gState.productWord);

    if (!gState.languageRestart) changeWorkingDirectory();
    if (gState.logRequested) askAboutLogFile();
}

}  // namespace qpk
