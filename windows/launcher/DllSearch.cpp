#include "launcher/DllSearch.h"

#include <windows.h>

#include "common/ProcLookup.h"
#include "common/TextConvert.h"
#include "launcher/Log.h"

namespace qpk {

namespace {

// Not every supported Windows has these; they are looked up by name.
template <class Function>
Function kernelFunction(const char* name) {
    return lookupFunction<Function>(GetModuleHandleW(L"kernel32.dll"), name);
}

}  // namespace

void hardenDllSearch() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&version);
#pragma GCC diagnostic pop
    // 6.0 has the export only with an update whose behaviour differs; leave it alone.
    if (version.dwMajorVersion == 6 && version.dwMinorVersion == 0) return;
    using SetDefault = BOOL(WINAPI*)(DWORD);
    auto setDefault = kernelFunction<SetDefault>("SetDefaultDllDirectories");
    if (setDefault == nullptr) return;
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_USER_DIRS);
    logLine(L"restrict DLL directories");
}

void preloadSystemLibraries() {
    static bool done = false;
    if (done) return;
    done = true;
    // Loaded by name from the system directory now, so that a planted copy beside the
    // setup file cannot be picked up later by shell functions.
    LoadLibraryW(L"davhlpr.dll");
    LoadLibraryW(L"fwbase.dll");
}

void initCommonControls() {
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    if (comctl == nullptr) comctl = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (comctl == nullptr) return;
    using Init = void(WINAPI*)();
    auto init = lookupFunction<Init>(comctl, "InitCommonControls");
    if (init != nullptr) init();
}

void* addDllDirectory(const std::string& path8) {
    using Add = void*(WINAPI*)(PCWSTR);
    auto add = kernelFunction<Add>("AddDllDirectory");
    if (add == nullptr) return nullptr;
    int n = MultiByteToWideChar(fileApiCodePage(), MB_ERR_INVALID_CHARS, path8.c_str(), -1, nullptr, 0);
    if (n <= 0) return nullptr;
    std::wstring wide(size_t(n), L'\0');
    if (MultiByteToWideChar(fileApiCodePage(), MB_ERR_INVALID_CHARS, path8.c_str(), -1, &wide[0], n) <= 0)
        return nullptr;
    wide.resize(size_t(n - 1));
    logLine(L"Adding DLL directory %s", wide.c_str());
    return add(wide.c_str());
}

void removeDllDirectory(void* cookie) {
    if (cookie == nullptr) return;
    using Remove = BOOL(WINAPI*)(void*);
    auto remove = kernelFunction<Remove>("RemoveDllDirectory");
    if (remove == nullptr) return;
    logLine(L"Removing DLL directory");
    remove(cookie);
}

}  // namespace qpk
