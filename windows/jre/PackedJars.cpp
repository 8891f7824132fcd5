#include "jre/PackedJars.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "common/FileAttributes.h"
#include "common/Owned.h"
#include "launcher/ErrorReporting.h"
#include "launcher/Log.h"

namespace qpk {

namespace {

// The name without its last five characters: "rt.jar.pack" -> "rt.jar".
std::string withoutPackSuffix(const std::string& name) { return name.substr(0, name.size() >= 5 ? name.size() - 5 : 0); }

// One directory of the home; `unpackedAny` is shared by all directories of one call, so
// that the announcement comes once, before the first jar that is really unpacked.
bool unpackDirectory(const std::string& home, const char* sub, bool& unpackedAny) {
    std::string pattern = home + "\\" + sub + "\\*.jar.pack";
    WIN32_FIND_DATAA found;
    UniqueFind find(FindFirstFileA(pattern.c_str(), &found));
    if (!find) return true;
    do {
        std::string name = found.cFileName;
        std::string jarPath = home + "\\" + sub + "\\" + withoutPackSuffix(name);
        logLine(L"checking %S", jarPath.c_str());
        if (fileOrDirectoryExists(jarPath)) continue;
        if (!unpackedAny) {
            unpackedAny = true;
            logLine(L"Unpacking JRE");
            printf("Preparing JRE ...\n");
            fflush(stdout);
        }
        if (!unpackJar(home, home + "\\" + sub + "\\" + name)) return false;
    } while (FindNextFileA(find.get(), &found));
    return true;
}

}  // namespace

bool unpackPackedJars(const std::string& home) {
    bool unpackedAny = false;
    if (!unpackDirectory(home, "lib", unpackedAny) || !unpackDirectory(home, "lib\\ext", unpackedAny)) {
        logError(L"Unpacking JRE failed");
        return false;
    }
    if (unpackedAny) logLine(L"Unpacking JRE done");
    return true;
}

bool unpackJar(const std::string& home, const std::string& packPath) {
    std::string jarPath = withoutPackSuffix(packPath);
    if (!fileOrDirectoryExists(packPath)) {
        logLine(L"pack path doesn't exists");
        return true;
    }
    bool jarExisted = fileOrDirectoryExists(jarPath);
    std::string program = home + "\\bin\\unpack200.exe";
    // The whole command-line text, the program being the application name: the child sees
    // no program path in front of the option.
    std::string commandLine = "-r \"" + packPath + "\" \"" + jarPath + "\"";
    logLine(L"%S", program.c_str());
    logLine(L"%S", commandLine.c_str());

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info = {};
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    if (!CreateProcessA(program.c_str(), writable.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &info)) {
        logLine(L"could not create unpack process");
        fatalMessageWith(1009, L"20");
    }
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);

    logLine(L"waiting for unpack200 to finish");
    WaitForSingleObject(process.get(), INFINITE);
    logLine(L"unpack done");
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.get(), &exitCode)) exitCode = DWORD(-1);
    bool restored = exitCode == 0 && fileOrDirectoryExists(jarPath);
    if (!restored) {
        // The pack stays: it is all there is of the jar.
        if (exitCode != 0)
            logError(L"unpack200 failed with exit code %d: %S", int(exitCode), packPath.c_str());
        else
            logError(L"unpack200 left no jar %S", jarPath.c_str());
        if (!jarExisted) DeleteFileA(jarPath.c_str());
        return false;
    }

    if (!DeleteFileA(packPath.c_str())) {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) logLine(L"could not delete packed file (error %d)", (int)error);
    }
    return true;
}

}  // namespace qpk
