// Short path names through the command interpreter, for executables whose long and short
// names both fail to convert to the file-API code page.
#include <windows.h>

#include <string>

#include "common/Owned.h"
#include "launcher/ExePath.h"
#include "launcher/Log.h"

namespace qpk {

bool shortPathViaShell(const std::wstring& longPath, std::string& out) {
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    UniqueHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.put(), writeEnd.put(), &sa, 0)) {
        logLine(L"CreatePipe error (%d)", (int)GetLastError());
        return false;
    }
    if (!SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0)) {
        logLine(L"SetHandleInformation error (%d)", (int)GetLastError());
        return false;
    }

    wchar_t windowsDir[MAX_PATH];
    UINT wn = GetWindowsDirectoryW(windowsDir, MAX_PATH);
    if (wn == 0 || wn >= MAX_PATH) windowsDir[0] = L'\0';
    wchar_t command[6000 + 2 * MAX_PATH];
    int cn = _snwprintf(command, sizeof(command) / sizeof(command[0]),
                        L"%s\\system32\\cmd.exe /C for %%I in (\"%s\") do @echo %%~sI", windowsDir, longPath.c_str());
    if (cn < 0) return false;  // a path too long for the command line
    logLine(L"executing %s", command);

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = writeEnd.get();
    si.hStdError = writeEnd.get();
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
        logLine(L"could not execute cmd.exe");
        return false;
    }
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    writeEnd.reset();

    char text[6001];
    DWORD total = 0;
    while (total < 6000) {
        DWORD got = 0;
        if (!ReadFile(readEnd.get(), text + total, 6000 - total, &got, nullptr) || got == 0) break;
        total += got;
    }
    text[total] = '\0';
    logLine(L"finished reading from cmd.exe %d \"%S\"", (int)total, text);

    // The pipe closes as the interpreter ends; give it a moment to report its exit code.
    WaitForSingleObject(process.get(), 5000);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    logLine(L"Exit Code %d", (int)code);
    if (code == STILL_ACTIVE) {
        logLine(L"Terminating process");
        TerminateProcess(process.get(), 1);
        return false;
    }
    if (code != 0 || total < 6) return false;
    std::string result(text, total);
    size_t eol = result.find_first_of("\r\n");
    if (eol == std::string::npos) return false;
    result.resize(eol);
    logLine(L"Using %S", result.c_str());
    out = result;
    return true;
}

}  // namespace qpk
