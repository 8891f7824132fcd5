// FolderInfo: special folders, the Windows and system directories, drive types and other
// forms of a path.
#include <windows.h>
#include <jni.h>
#include <winnetwk.h>

#include <string>

#include "common/Owned.h"
#include "common/ProcLookup.h"
#include "natives/FileVersion.h"
#include "natives/FolderCodes.h"
#include "natives/JavaStrings.h"

namespace qpk {

namespace {

const DWORD kPathCapacity = 32767;

using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
using GetKnownFolderPath = HRESULT(WINAPI*)(REFGUID, DWORD, HANDLE, PWSTR*);
using GetUniversalName = DWORD(WINAPI*)(LPCWSTR, DWORD, LPVOID, LPDWORD);

// Prefers a newer private copy of the shell folder library when one is installed; looked
// up once, even if the lookup fails.
GetFolderPath folderPathFunction() {
    static bool tried = false;
    static GetFolderPath function = nullptr;
    if (!tried) {
        tried = true;
        LoadLibraryW(L"shell32.dll");
        int order = compareFileVersions(L"_shfoldr.dll", L"shfolder.dll");
        HMODULE library = nullptr;
        if (order == kFirstNewer || order == kVersionUnreadable) library = LoadLibraryW(L"_shfoldr.dll");
        if (library == nullptr) library = LoadLibraryW(L"shfolder.dll");
        function = lookupFunction<GetFolderPath>(library, "SHGetFolderPathW");
    }
    return function;
}

// Looked up again on each call until found.
GetKnownFolderPath knownFolderFunction() {
    static GetKnownFolderPath function = nullptr;
    if (function == nullptr) function = lookupFunction<GetKnownFolderPath>(LoadLibraryA("shell32.dll"), "SHGetKnownFolderPath");
    return function;
}

const GUID& knownFolderId(KnownFolder folder) {
    static const GUID kDownloads = {0x374DE290, 0x123F, 0x4565, {0x91, 0x64, 0x39, 0xC4, 0x92, 0x5E, 0x46, 0x7B}};
    static const GUID kUserProgramFiles = {0x5CD7AEE2, 0x2219, 0x4A67, {0xB8, 0x5D, 0x6C, 0x9C, 0xE1, 0x56, 0x60, 0xCB}};
    static const GUID kUserProgramFilesCommon = {0xBCBD3057, 0xCA5C, 0x4622, {0xB4, 0x2D, 0xBC, 0x56, 0xDB, 0x0A, 0xE5, 0x16}};
    static const GUID kProfile = {0x5E6C858F, 0x0E22, 0x4760, {0x9A, 0xFE, 0xEA, 0x33, 0x17, 0xB6, 0x71, 0x73}};
    switch (folder) {
        case KnownFolder::Downloads: return kDownloads;
        case KnownFolder::UserProgramFiles: return kUserProgramFiles;
        case KnownFolder::UserProgramFilesCommon: return kUserProgramFilesCommon;
        default: return kProfile;
    }
}

}  // namespace

bool specialFolder(int code, bool common, std::wstring& out) {
    if (code <= 1000) {
        GetFolderPath getPath = folderPathFunction();
        if (getPath == nullptr) return false;
        std::wstring buffer(kPathCapacity, L'\0');
        const int kCreate = 0x8000;  // CSIDL_FLAG_CREATE: made if missing
        if (getPath(nullptr, shellFolderNumber(code, common) | kCreate, nullptr, 0, &buffer[0]) != S_OK) return false;
        out.assign(buffer.c_str());
        return true;
    }
    GetKnownFolderPath getKnown = knownFolderFunction();
    if (getKnown == nullptr) return false;
    PWSTR path = nullptr;
    HRESULT result = getKnown(knownFolderId(knownFolder(code)), 0, nullptr, &path);
    UniqueCoTaskMemory owned(path);
    if (result != S_OK || path == nullptr) return false;
    out.assign(path);
    return true;
}

bool pathFromRegistry(const wchar_t* name, std::wstring& out) {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_QUERY_VALUE,
                      key.put()) != ERROR_SUCCESS)
        return false;
    // 32,767 bytes; the text ends at its first NUL or at the end of what was stored.
    std::wstring buffer(kPathCapacity / sizeof(wchar_t) + 1, L'\0');
    DWORD size = kPathCapacity;
    if (RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&buffer[0]), &size) !=
        ERROR_SUCCESS)
        return false;
    buffer.resize(size / sizeof(wchar_t));
    out.assign(buffer.c_str());
    return true;
}

bool windowsDirectory(std::wstring& out) {
    using GetDirectory = UINT(WINAPI*)(LPWSTR, UINT);
    std::wstring buffer(kPathCapacity, L'\0');
    auto systemWindows = lookupFunction<GetDirectory>(LoadLibraryA("Kernel32.DLL"), "GetSystemWindowsDirectoryW");
    UINT n = systemWindows ? systemWindows(&buffer[0], kPathCapacity) : 0;
    if (n == 0 || n >= kPathCapacity) n = GetWindowsDirectoryW(&buffer[0], kPathCapacity);
    if (n == 0 || n >= kPathCapacity) return false;
    out.assign(buffer.c_str(), n);
    return true;
}

bool systemDirectory(std::wstring& out) {
    std::wstring buffer(kPathCapacity, L'\0');
    UINT n = GetSystemDirectoryW(&buffer[0], kPathCapacity);
    if (n == 0 || n >= kPathCapacity) return false;
    out.assign(buffer.c_str(), n);
    return true;
}

bool shortPathName(const wchar_t* path, std::wstring& out) {
    if (path == nullptr) return false;
    std::wstring buffer(kPathCapacity, L'\0');
    DWORD n = GetShortPathNameW(path, &buffer[0], kPathCapacity);
    if (n == 0 || n >= kPathCapacity) return false;
    out.assign(buffer.c_str(), n);
    return true;
}

// Found: the network name, or ";" and the error. Not found: the function is missing.
bool universalPathName(const wchar_t* path, std::wstring& out) {
    static GetUniversalName getName = nullptr;
    if (getName == nullptr) getName = lookupFunction<GetUniversalName>(LoadLibraryA("mpr.dll"), "WNetGetUniversalNameW");
    if (getName == nullptr || path == nullptr) return false;
    const DWORD kBytes = 0xFFFE;
    std::wstring buffer(kBytes / sizeof(wchar_t), L'\0');
    DWORD size = kBytes;
    DWORD result = getName(path, UNIVERSAL_NAME_INFO_LEVEL, &buffer[0], &size);
    if (result != NO_ERROR) {
        out = L";" + std::to_wstring(result);
        return true;
    }
    const auto* info = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(buffer.data());
    out.assign(info->lpUniversalName ? info->lpUniversalName : L"");
    return true;
}

}  // namespace qpk

namespace {

jstring stringOrNull(JNIEnv* env, bool found, const std::wstring& text) {
    return found ? qpk::toJavaString(env, text) : nullptr;
}

// The caller's own string comes back where no better form exists.
jstring stringOrArgument(JNIEnv* env, bool found, const std::wstring& text, jstring argument) {
    if (!found) return argument;
    jstring made = qpk::toJavaString(env, text);
    return made ? made : argument;
}

}  // namespace

#define QPK_FOLDER_INFO(method) Java_com_quillpack_runtime_installer_platform_win32_FolderInfo_##method

extern "C" JNIEXPORT jstring JNICALL QPK_FOLDER_INFO(getSpecialFolder0)(JNIEnv* env, jclass, jint code,
                                                                        jboolean common) {
    std::wstring path;
    return stringOrNull(env, qpk::specialFolder(int(code), common != JNI_FALSE, path), path);
}

extern "C" JNIEXPORT jstring JNICALL QPK_FOLDER_INFO(getPathFromRegistry0)(JNIEnv* env, jclass, jstring name) {
    qpk::WideCopy valueName = qpk::toWideCopy(env, name);
    std::wstring text;
    return stringOrNull(env, qpk::pathFromRegistry(valueName.get(), text), text);
}

extern "C" JNIEXPORT jstring JNICALL QPK_FOLDER_INFO(getWindowsDirectory0)(JNIEnv* env, jclass) {
    std::wstring path;
    return stringOrNull(env, qpk::windowsDirectory(path), path);
}

extern "C" JNIEXPORT jstring JNICALL QPK_FOLDER_INFO(getSystemDirectory0)(JNIEnv* env, jclass) {
    std::wstring path;
    return stringOrNull(env, qpk::systemDirectory(path), path);
}

extern "C" JNIEXPORT jint JNICALL QPK_FOLDER_INFO(getDriveType0)(JNIEnv* env, jclass, jstring root) {
    qpk::WideCopy rootPath = qpk::toWideCopy(env, root);
    return jint(GetDriveTypeW(rootPath.get()));
}

extern "C" JNIEXPORT jstring JNICALL QPK_FOLDER_INFO(getShortPathName0)(JNIEnv* env, jclass, jstring path) {
    qpk::WideCopy longPath = qpk::toWideCopy(env, path);
    std::wstring shortPath;
    return stringOrArgument(env, qpk::shortPathName(longPath.get(), shortPath), shortPath, path);
}

extern "C" JNIEXPORT jstring JNICALL QPK_FOLDER_INFO(getUniversalPathName0)(JNIEnv* env, jclass, jstring path) {
    qpk::WideCopy localPath = qpk::toWideCopy(env, path);
    std::wstring universal;
    return stringOrArgument(env, qpk::universalPathName(localPath.get(), universal), universal, path);
}
