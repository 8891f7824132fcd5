// FileVersion: compares the fixed file versions of two files' version resources.
#include "natives/FileVersion.h"

#include <windows.h>
#include <jni.h>

#include <cwchar>
#include <vector>

#include "common/ProcLookup.h"
#include "natives/JavaStrings.h"

namespace qpk {

namespace {

using GetSize = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using GetInfo = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
using QueryValue = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

struct VersionFunctions {
    GetSize getSize = nullptr;
    GetInfo getInfo = nullptr;
    QueryValue queryValue = nullptr;
};

// Loaded once from the system directory only; never freed.
const VersionFunctions& versionFunctions() {
    static const VersionFunctions functions = [] {
        VersionFunctions f;
        HMODULE version = LoadLibraryExW(L"version.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        f.getSize = lookupFunction<GetSize>(version, "GetFileVersionInfoSizeW");
        f.getInfo = lookupFunction<GetInfo>(version, "GetFileVersionInfoW");
        f.queryValue = lookupFunction<QueryValue>(version, "VerQueryValueW");
        return f;
    }();
    return functions;
}

}  // namespace

std::optional<uint64_t> readFileVersion(const wchar_t* path) {
    const VersionFunctions& f = versionFunctions();
    if (path == nullptr || !f.getSize || !f.getInfo || !f.queryValue) return std::nullopt;
    // Paths longer than the buffer the version functions are given cannot be read.
    const size_t kPathCapacity = 32768;
    if (std::wcslen(path) >= kPathCapacity) return std::nullopt;
    DWORD unused = 0;
    DWORD size = f.getSize(path, &unused);
    if (size == 0) return std::nullopt;
    std::vector<unsigned char> block(size_t(size) * 2);
    if (!f.getInfo(path, 0, size, block.data())) return std::nullopt;
    void* fixed = nullptr;
    UINT length = 0;
    if (!f.queryValue(block.data(), L"\\", &fixed, &length) || fixed == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    return (uint64_t(info->dwFileVersionMS) << 32) | info->dwFileVersionLS;
}

int compareFileVersions(const wchar_t* first, const wchar_t* second) {
    return compareVersions(readFileVersion(first), readFileVersion(second));
}

}  // namespace qpk

extern "C" JNIEXPORT jint JNICALL Java_com_quillpack_runtime_installer_platform_win32_FileVersion_compare0(
    JNIEnv* env, jclass, jstring first, jstring second) {
    qpk::WideCopy a = qpk::toWideCopy(env, first);
    qpk::WideCopy b = qpk::toWideCopy(env, second);
    // A path with a NUL inside names another file than the caller's.
    if (qpk::anyHoldsNul({&a, &b})) return qpk::kVersionUnreadable;
    return qpk::compareFileVersions(a.get(), b.get());
}
