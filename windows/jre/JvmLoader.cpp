#include "jre/JvmLoader.h"

#include <cstdlib>

#include "common/FileAttributes.h"
#include "common/ProcLookup.h"
#include "jre/JavaExeCheck.h"
#include "jre/JvmSearch.h"
#include "jre/RuntimeRecord.h"
#include "launcher/DllSearch.h"
#include "launcher/ErrorReporting.h"
#include "launcher/Log.h"
#include "payload/Config.h"

namespace qpk {

CreateJavaVmFunction createJavaVmFunction = nullptr;

namespace {

bool endsWith(const std::string& s, const char* tail) {
    size_t n = strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// PATH as it is, in full however long; `present` tells an empty value from none.
std::string readPath(bool& present) {
    DWORD n = GetEnvironmentVariableA("PATH", nullptr, 0);
    present = n > 0;
    if (n == 0) return std::string();
    std::string value(n, '\0');
    DWORD got = GetEnvironmentVariableA("PATH", &value[0], n);
    value.resize(got < n ? got : 0);
    return value;
}

// Both the process environment and the C runtime's copy, so that the two views agree.
void setPath(const std::string& value) {
    if (SetEnvironmentVariableA("PATH", value.c_str()))
        logLine(L"Setting PATH %S", value.c_str());
    else
        logLine(L"Setting PATH %S failed with error %d", value.c_str(), (int)GetLastError());
    std::string entry = "PATH=" + value;
    _putenv(entry.c_str());
}

}  // namespace

std::string binDirOf(const std::string& javaExe) {
    const char* name = endsWith(javaExe, "javaw.exe") ? "javaw.exe" : "java.exe";
    size_t cut = strlen(name) + 1;
    return javaExe.size() >= cut ? javaExe.substr(0, javaExe.size() - cut) : std::string();
}

std::string jvmHomeFor(const std::string& javaExe) {
    size_t slash = javaExe.find_last_of('\\');
    return (slash == std::string::npos ? std::string() : javaExe.substr(0, slash + 1)) + "..";
}

HMODULE tryJvmDll(const std::string& binDir, const std::string& name) {
    std::string candidate = binDir + "\\" + name + "\\jvm.dll";
    bool exists = fileOrDirectoryExists(candidate);
    logLine(L"Trying %S (exists %d)", candidate.c_str(), (int)exists);
    HMODULE library = LoadLibraryA(candidate.c_str());
    if (library == nullptr && exists) logLine(L"Failed with error code %d", (int)GetLastError());
    return library;
}

HMODULE loadJvmFromBinDir(const std::string& javaExe) {
    std::string binDir = binDirOf(javaExe);
    void* cookie = addDllDirectory(binDir);
    bool hadPath = false;
    std::string oldPath = readPath(hadPath);
    setPath(oldPath + ";" + binDir);

    HMODULE library = nullptr;
    char preferred[200];
    if (getNarrow(152, preferred, sizeof preferred) > 0) library = tryJvmDll(binDir, preferred);
    for (const char* name : {"hotspot", "client", "server", "classic", "jrockit"}) {
        if (library) break;
        library = tryJvmDll(binDir, name);
    }
    if (library == nullptr) {
        removeDllDirectory(cookie);
        setPath(oldPath);
        if (!hadPath) SetEnvironmentVariableA("PATH", nullptr);
    }
    return library;
}

HMODULE loadJvmFromJavaExe(const std::string& javaExe) {
    logLine(L"Trying to load JVM-DLL from %S", javaExe.c_str());
    if (HMODULE library = loadJvmFromBinDir(javaExe)) return library;
    size_t slash = javaExe.find_last_of('\\');
    std::string embedded = (slash == std::string::npos ? std::string() : javaExe.substr(0, slash + 1)) +
                           "..\\jre\\bin\\java.exe";
    return loadJvmFromBinDir(embedded);
}

bool resolveCreateJavaVM(HMODULE library) {
    if (library == nullptr) return false;
    createJavaVmFunction = lookupFunction<CreateJavaVmFunction>(library, "JNI_CreateJavaVM");
    return createJavaVmFunction != nullptr;
}

bool LoadDLL(bool showErrors, const std::string* location, bool locationIsJavaExe) {
    std::string version, javaExe, sourceText;
    int sourceKind = kSourceNone;
    logLine(L"LoadDLL (%d, %S, %d)", (int)showErrors, location ? location->c_str() : nullptr, (int)locationIsJavaExe);

    HMODULE library = nullptr;
    if (location != nullptr) {
        logLine(L"Got JRE location %S (java exe: %d)", location->c_str(), (int)locationIsJavaExe);
        std::string minText = dupNarrow(126), maxText = dupNarrow(127);
        logLine(L"MinVersion: %S, MaxVersion: %S", minText.c_str(), maxText.c_str());
        VersionList min = parseVersion(minText), max = parseVersion(maxText);
        javaExe = *location;
        if (locationIsJavaExe) {
            if (!checkJavaExe(javaExe, version, min, max, true, false)) {
                logError(L"Provided JVM unusable");
                if (showErrors) showMessage(1016, L"64");
                return false;
            }
        } else if (!checkJreLocation(javaExe, version, *location, min, max, true)) {
            logError(L"Provided JVM unusable");
            if (showErrors) showMessageNarrow(1020, location->c_str());
            return false;
        }
        sourceText = *location;
        sourceKind = kSourceLocation;
        library = loadJvmFromJavaExe(javaExe);
    } else {
        library = searchJvm(javaExe, version, sourceKind, sourceText);
        if (sourceKind == kSourceNone) {
            logError(L"No JVM found");
            if (showErrors) showMessage(1016, L"64");
            return false;
        }
    }

    jvmHome = jvmHomeFor(javaExe);
    runtimeVersion = version.substr(0, 1999);  // the loader's version buffer holds 2000 bytes
    if (library == nullptr) logError(L"Could not get DLL-Handle.");
    bool resolved = resolveCreateJavaVM(library);
    if (!resolved) logError(L"Could not load functions");
    if (resolved) {
        logLine(L"Loading of JVM-DLL successful");
        return true;
    }
    if (!showErrors) return false;
    switch (sourceKind) {
        case kSourcePath:
            showMessage(1016, L"64");
            break;
        case kSourceLocation:
            showMessageNarrow(1020, sourceText.c_str());
            break;
        case kSourceEnvironment:
            showMessageNarrow(1018, sourceText.c_str());
            break;
        default:
            showMessage(1005, nullptr);
            break;
    }
    return false;
}

}  // namespace qpk
