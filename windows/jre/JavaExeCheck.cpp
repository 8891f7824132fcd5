#include "jre/JavaExeCheck.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "common/FileAttributes.h"
#include "common/Owned.h"
#include "common/TextConvert.h"
#include "common/VersionResource.h"
#include "jre/RuntimeFiles.h"
#include "jre/RuntimeRegistry.h"
#include "jre/VersionLine.h"
#include "launcher/Log.h"
#include "launcher/PathHelpers.h"
#include "launcher/TempDirectories.h"
#include "payload/Config.h"

namespace qpk {

namespace {

constexpr DWORD kShortPathCapacity = 6000;
constexpr DWORD kVersionTimeoutMs = 60000;
// Long lines are cut when read, but all of their characters take room in the file.
constexpr size_t kVersionOutputCapacity = 64 * 1024;
constexpr DWORD kStillActive = 259;
// Marks a runtime whose "-version" run ended with a non-zero code.
const char kFailedRunVersion[] = "1.0.0";

bool findFile(const std::string& path, FILETIME* lastWrite) {
    WIN32_FIND_DATAA data;
    UniqueFind find(FindFirstFileA(path.c_str(), &data));
    if (!find) return false;
    if (lastWrite) *lastWrite = data.ftLastWriteTime;
    return true;
}

std::string shortPathOf(const std::string& path) {
    std::vector<char> buffer(kShortPathCapacity);
    DWORD n = GetShortPathNameA(path.c_str(), buffer.data(), kShortPathCapacity);
    if (n == 0 || n >= kShortPathCapacity) {
        logLine(L"Could not get short path name for %S", path.c_str());
        return path;
    }
    return std::string(buffer.data(), n);
}

// The start of the file read as text: enough for kVersionOutputLines lines of the
// length that is looked at.
bool readOutput(const std::string& path, std::string& output) {
    FILE* file = fopen(path.c_str(), "r");
    if (file == nullptr) return false;
    output.resize(kVersionOutputCapacity);
    output.resize(fread(&output[0], 1, output.size(), file));
    fclose(file);
    return true;
}

bool versionFromOutput(const std::string& output, std::string& version) {
    VersionLineSearch search = findVersionLine(output);
    for (const std::string& line : search.skipped) logLine(L"Skipped before the version line: %S", line.c_str());
    if (search.found) version = search.version;
    return search.found;
}

// Runs the command with standard error in `outputFile`; fills the exit code unless the
// process could not be started. A process still running after the timeout is ended and
// reported as kStillActive.
bool runWithStandardError(const std::string& commandLine, const std::string& outputFile, DWORD& exitCode) {
    UniqueFile inheritable;
    {
        UniqueFile file(CreateFileA(outputFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            HANDLE duplicate = INVALID_HANDLE_VALUE;
            if (DuplicateHandle(GetCurrentProcess(), file.get(), GetCurrentProcess(), &duplicate, 0, TRUE,
                                DUPLICATE_SAME_ACCESS))
                inheritable.reset(duplicate);
        }
    }

    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = nullptr;
    startup.hStdOutput = nullptr;
    startup.hStdError = inheritable.get();
    PROCESS_INFORMATION process;
    memset(&process, 0, sizeof process);
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &process)) {
        logLine(L"Could not create process %S > %S (error %d)", commandLine.c_str(), outputFile.c_str(),
                (int)GetLastError());
        return false;
    }
    UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);

    WaitForSingleObject(processHandle.get(), kVersionTimeoutMs);
    exitCode = 0;
    GetExitCodeProcess(processHandle.get(), &exitCode);
    logLine(L"Exit Code %d", (int)exitCode);
    if (exitCode == kStillActive) {
        logLine(L"Terminating process");
        TerminateProcess(processHandle.get(), 1);
        // Until it has gone it keeps the output file open, which would block its deletion.
        WaitForSingleObject(processHandle.get(), 5000);
    }
    return true;
}

// Up to `capacity` bytes from the start of a file; false when it cannot be read or, with
// `whole`, holds more.
bool readHead(const std::string& path, size_t capacity, bool whole, std::string& out) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    out.resize(capacity + 1);
    DWORD got = 0;
    if (!ReadFile(file.get(), &out[0], DWORD(out.size()), &got, nullptr)) return false;
    out.resize(got);
    if (got <= capacity) return true;
    out.resize(capacity);
    return !whole;
}

// Options in these reach the runtime's own start, and could make it fail where its files
// look sound: with any of them set the runtime is run.
bool runtimeOptionsInEnvironment() {
    for (const char* name : {"JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS", "JDK_JAVA_OPTIONS"})
        if (GetEnvironmentVariableA(name, nullptr, 0) > 0) return true;
    return false;
}

// The version from the files of the runtime whose bin\java.exe `javaExe` is, where they
// state what running it would print; spares the start of a second JVM.
bool versionStatedByFiles(const std::string& javaExe, std::string& version) {
    size_t slash = javaExe.find_last_of('\\');
    if (slash == std::string::npos || slash < 4 || _strnicmp(javaExe.c_str() + slash - 4, "\\bin", 4) != 0)
        return false;
    if (runtimeOptionsInEnvironment()) return false;
    std::string bin = javaExe.substr(0, slash), home = javaExe.substr(0, slash - 4);
    RuntimeFiles files;
    std::string head;
    if (!readHead(home + "\\release", kReleaseFileCapacity, true, files.release) ||
        !readHead(javaExe, kPeHeadBytes, false, head))
        return false;
    files.machine = peMachine(head);
    files.jvmLibrary =
        fileOrDirectoryExists(bin + "\\server\\jvm.dll") || fileOrDirectoryExists(bin + "\\client\\jvm.dll");
    if (std::optional<std::vector<unsigned char>> resource = readVersionResource(toWide(javaExe).c_str()))
        toNarrow(versionString(*resource, L"Full Version"), files.fullVersion);
    return versionFromRuntimeFiles(files, version);
}

}  // namespace

bool getVersionByExecution(const std::string& javaExe, const FILETIME& lastWrite, std::string& versionOut) {
    // Quoted: where there is no short name, a path with blanks would let CreateProcessA
    // try a program named by the path's first words.
    std::string commandLine = "\"" + shortPathOf(javaExe) + "\" -version";
    std::string outputFile = tempFileName();

    DWORD exitCode = 0;
    bool ran = runWithStandardError(commandLine, outputFile, exitCode);
    std::string output, version;
    bool ok = ran && exitCode == 0 && readOutput(outputFile, output) && versionFromOutput(output, version);
    DeleteFileA(outputFile.c_str());

    if (ran && exitCode != 0 && exitCode != kStillActive) storeCachedVersion(javaExe, lastWrite, kFailedRunVersion);
    if (!ok) return false;
    versionOut = version;
    logLine(L"Java version: %S", version.c_str());
    return true;
}

bool checkJavaExe(std::string& javaExe, std::string& versionOut, const VersionList& min, const VersionList& max,
                  bool allowPreRelease, bool useCache) {
    logLine(L"checkJavaExe (%S, [out], %d, %d, %d)", javaExe.c_str(), (int)min.size(), (int)max.size(),
            allowPreRelease ? 1 : 0);
    javaExe = fullPath(javaExe, false);

    bool result = false;
    FILETIME lastWrite;
    if (!findFile(javaExe, &lastWrite)) {
        logLine(L"file doesn't exist");
    } else {
        logLine(L"file exists");
        versionOut.clear();
        std::string cached;
        if (useCache && lookupCachedVersion(javaExe, lastWrite, cached) && cached != kFailedRunVersion) {
            versionOut = cached;
            logLine(L"got version from registry %S", versionOut.c_str());
            result = matchesVersionRange(versionOut, min, max, allowPreRelease);
        } else {
            // Like the cache, the runtime's files are not asked for a runtime that is to be run.
            bool fromFiles = useCache && versionStatedByFiles(javaExe, versionOut);
            if (fromFiles || getVersionByExecution(javaExe, lastWrite, versionOut)) {
                logLine(fromFiles ? L"got version from release file %S" : L"got version from execution %S",
                        versionOut.c_str());
                storeCachedVersion(javaExe, lastWrite, versionOut);
                result = matchesVersionRange(versionOut, min, max, allowPreRelease);
            } else {
                logLine(L"couldn't get version");
            }
        }
        if (result && getInt(107) == 1 && javaExe.size() >= 4) {
            javaExe = javaExe.substr(0, javaExe.size() - 4) + "w.exe";
            result = findFile(javaExe, nullptr);
        }
    }
    logLine(L"checkJavaExe returning %d", result ? 1 : 0);
    return result;
}

}  // namespace qpk
