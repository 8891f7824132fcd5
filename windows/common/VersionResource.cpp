#include "common/VersionResource.h"

#include <cwchar>

#include "common/ProcLookup.h"

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

std::optional<std::vector<unsigned char>> readVersionResource(const wchar_t* path) {
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
    return block;
}

bool queryVersionValue(const std::vector<unsigned char>& resource, const wchar_t* subBlock, void*& value,
                       UINT& length) {
    value = nullptr;
    length = 0;
    const VersionFunctions& f = versionFunctions();
    return f.queryValue && f.queryValue(resource.data(), subBlock, &value, &length) && value != nullptr;
}

std::wstring versionString(const std::vector<unsigned char>& resource, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    if (!queryVersionValue(resource, L"\\VarFileInfo\\Translation", value, length) || length < 4) return L"";
    const WORD* translation = static_cast<const WORD*>(value);
    wchar_t subBlock[128];
    _snwprintf(subBlock, 128, L"\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
    subBlock[127] = L'\0';
    if (!queryVersionValue(resource, subBlock, value, length) || length == 0) return L"";
    const wchar_t* text = static_cast<const wchar_t*>(value);
    return std::wstring(text, wcsnlen(text, length));
}

}  // namespace qpk
