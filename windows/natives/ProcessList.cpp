#include "natives/ProcessList.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>

#include "common/Owned.h"
#include "common/ProcLookup.h"

namespace qpk {

namespace {

constexpr DWORD kMaxProcesses = 8196;
constexpr size_t kEntryChars = 4096;

using EnumProcessesFunction = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using ModuleFileNameFunction = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
using FullImageNameFunction = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);

// "<id> " then the path, in a buffer of the entry's fixed size; false if no path was read.
bool processEntry(DWORD id, HANDLE process, ModuleFileNameFunction moduleFileName,
                  FullImageNameFunction fullImageName, std::wstring& entry) {
    std::vector<wchar_t> text(kEntryChars);
    int prefix = _snwprintf(text.data(), kEntryChars, L"%lu ", id);
    if (prefix <= 0) return false;
    wchar_t* path = text.data() + prefix;
    DWORD room = DWORD(kEntryChars - size_t(prefix));
    DWORD length = 0;
    if (fullImageName != nullptr) {
        DWORD size = room;
        if (!fullImageName(process, 0, path, &size)) return false;
        length = size;
    } else {
        length = moduleFileName(process, nullptr, path, room);
        if (length == 0 || length >= room) return false;
    }
    entry.assign(text.data(), size_t(prefix) + length);
    return true;
}

std::vector<std::wstring> listThroughPsapi() {
    std::vector<std::wstring> entries;
    UniqueLibrary psapi(LoadLibraryA("Psapi.DLL"));
    UniqueLibrary kernel(LoadLibraryA("Kernel32.DLL"));
    auto enumProcesses = lookupFunction<EnumProcessesFunction>(psapi.get(), "EnumProcesses");
    auto moduleFileName = lookupFunction<ModuleFileNameFunction>(psapi.get(), "GetModuleFileNameExW");
    auto fullImageName = lookupFunction<FullImageNameFunction>(kernel.get(), "QueryFullProcessImageNameW");
    if (enumProcesses == nullptr || (moduleFileName == nullptr && fullImageName == nullptr)) return entries;
    std::vector<DWORD> ids(kMaxProcesses);
    DWORD bytes = 0;
    if (!enumProcesses(ids.data(), DWORD(ids.size() * sizeof(DWORD)), &bytes) || bytes < sizeof(DWORD))
        return entries;
    ids.resize(bytes / sizeof(DWORD));
    DWORD access = fullImageName != nullptr ? PROCESS_QUERY_INFORMATION : PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
    for (DWORD id : ids) {
        if (id == 0) continue;
        UniqueHandle process(OpenProcess(access, FALSE, id));
        if (!process) continue;
        std::wstring entry;
        if (!processEntry(id, process.get(), moduleFileName, fullImageName, entry)) continue;
        // The image name of a program started from a ".tmp" file; its main module names the
        // program itself.
        if (fullImageName != nullptr && moduleFileName != nullptr && entry.size() > 4 &&
            entry.compare(entry.size() - 4, 4, L".tmp") == 0) {
            UniqueHandle reopened(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
            std::wstring moduleEntry;
            if (reopened && processEntry(id, reopened.get(), moduleFileName, nullptr, moduleEntry))
                entry = moduleEntry;
        }
        entries.push_back(entry);
    }
    return entries;
}

std::vector<std::wstring> listThroughSnapshot() {
    std::vector<std::wstring> entries;
    using Snapshot = HANDLE(WINAPI*)(DWORD, DWORD);
    using ProcessWalk = BOOL(WINAPI*)(HANDLE, tagPROCESSENTRY32*);
    using ModuleFirst = BOOL(WINAPI*)(HANDLE, MODULEENTRY32W*);
    UniqueLibrary kernel(LoadLibraryA("Kernel32.DLL"));
    auto snapshot = lookupFunction<Snapshot>(kernel.get(), "CreateToolhelp32Snapshot");
    auto first = lookupFunction<ProcessWalk>(kernel.get(), "Process32First");
    auto next = lookupFunction<ProcessWalk>(kernel.get(), "Process32Next");
    auto moduleFirst = lookupFunction<ModuleFirst>(kernel.get(), "Module32FirstW");
    if (snapshot == nullptr || first == nullptr || next == nullptr) {
        std::printf("could not load functions %p %p %p %p %p %d\n", reinterpret_cast<void*>(snapshot),
                    reinterpret_cast<void*>(first), reinterpret_cast<void*>(next),
                    reinterpret_cast<void*>(moduleFirst), static_cast<void*>(kernel.get()), int(GetLastError()));
        std::fflush(stdout);
        return entries;
    }
    UniqueFile all(snapshot(TH32CS_SNAPALL, 0));
    if (!all) return entries;
    tagPROCESSENTRY32 process = {};
    process.dwSize = sizeof(process);
    for (BOOL more = first(all.get(), &process); more; more = next(all.get(), &process)) {
        if (process.th32ProcessID == 0 || moduleFirst == nullptr) continue;
        UniqueFile modules(snapshot(TH32CS_SNAPMODULE, process.th32ProcessID));
        if (!modules) continue;
        MODULEENTRY32W module = {};
        module.dwSize = sizeof(module);
        if (!moduleFirst(modules.get(), &module)) continue;
        module.szExePath[MAX_PATH - 1] = L'\0';
        entries.push_back(std::to_wstring(process.th32ProcessID) + L" " + module.szExePath);
    }
    return entries;
}

}  // namespace

std::vector<std::wstring> listRunningModules() {
    std::vector<std::wstring> entries = listThroughPsapi();
    if (entries.empty()) entries = listThroughSnapshot();
    return entries;
}

}  // namespace qpk
