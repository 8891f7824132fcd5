// The process, window and system natives of the installer runtime's Misc class.
#include <jni.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "common/Owned.h"
#include "common/ProcLookup.h"
#include "natives/JavaStrings.h"
#include "natives/Privileges.h"
#include "natives/ProcessList.h"
#include "natives/WindowSearch.h"

using namespace qpk;

namespace {

// The entries of an environment block ("name=value", also those whose name starts with
// '='), in block order; the block ends with an empty entry.
std::vector<std::wstring> environmentEntries(const wchar_t* block) {
    std::vector<std::wstring> entries;
    for (const wchar_t* entry = block; entry != nullptr && *entry != L'\0'; entry += std::wcslen(entry) + 1)
        entries.emplace_back(entry);
    return entries;
}

ULONGLONG physicalMemory() {
    UniqueLibrary kernel(LoadLibraryA("Kernel32.DLL"));
    using MemoryStatusEx = BOOL(WINAPI*)(MEMORYSTATUSEX*);
    auto statusEx = lookupFunction<MemoryStatusEx>(kernel.get(), "GlobalMemoryStatusEx");
    if (statusEx != nullptr) {
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof(status);
        if (statusEx(&status)) return status.ullTotalPhys;
        std::printf("error %d\n", int(GetLastError()));
        std::fflush(stdout);
    }
    MEMORYSTATUS status = {};
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    return status.dwTotalPhys;
}

using MoveFileExFunction = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);

MoveFileExFunction moveFileEx() {
    // Looked up once; kernel32 stays loaded for the life of the process.
    static const MoveFileExFunction function =
        lookupFunction<MoveFileExFunction>(LoadLibraryA("Kernel32.DLL"), "MoveFileExW");
    return function;
}

}  // namespace

#define QPK_MISC(name) Java_com_quillpack_runtime_installer_platform_win32_Misc_##name

extern "C" {

JNIEXPORT void JNICALL QPK_MISC(reboot0)(JNIEnv*, jclass) {
    if (setPrivilege(L"SeShutdownPrivilege", true)) ExitWindowsEx(EWX_REBOOT, 0);
}

JNIEXPORT jobjectArray JNICALL QPK_MISC(getRunningModules0)(JNIEnv* env, jclass, jboolean noDebugPrivilege) {
    // The debug privilege lets the listing open processes of other accounts; its outcome does not matter.
    setPrivilege(L"SeDebugPrivilege", !noDebugPrivilege);
    std::vector<std::wstring> entries = listRunningModules();
    if (entries.empty()) return nullptr;
    return toJavaStringArray(env, entries);
}

JNIEXPORT jobjectArray JNICALL QPK_MISC(getEnvVarPairs0)(JNIEnv* env, jclass) {
    wchar_t* block = GetEnvironmentStringsW();
    std::vector<std::wstring> entries = environmentEntries(block);
    if (block != nullptr) FreeEnvironmentStringsW(block);
    return toJavaStringArray(env, entries);
}

JNIEXPORT void JNICALL QPK_MISC(broadcastSettingChange0)(JNIEnv*, jclass) {
    DWORD_PTR result = 0;
    // Running programs reread the environment from the registry; a hung one is skipped.
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"),
                        SMTO_ABORTIFHUNG, 5000, &result);
}

JNIEXPORT jlong JNICALL QPK_MISC(getPhysicalMemory0)(JNIEnv*, jclass) { return jlong(physicalMemory()); }

JNIEXPORT jlong JNICALL QPK_MISC(getFreeDiskSpace0)(JNIEnv* env, jclass, jstring directory) {
    ULARGE_INTEGER available, total, totalFree;
    WideCopy path = toWideCopy(env, directory);
    if (path.holdsNul() || !GetDiskFreeSpaceExW(path.get(), &available, &total, &totalFree)) return -1;
    return jlong(available.QuadPart);
}

JNIEXPORT jboolean JNICALL QPK_MISC(moveWithDelayUntilReboot0)(JNIEnv* env, jclass, jstring from, jstring to) {
    MoveFileExFunction move = moveFileEx();
    if (move == nullptr) return false;
    WideCopy source = toWideCopy(env, from), target = toWideCopy(env, to);
    if (anyHoldsNul({&source, &target})) return false;
    // A null target deletes the file at the next start of Windows.
    return move(source.get(), target.get(), MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

JNIEXPORT void JNICALL QPK_MISC(toFront0)(JNIEnv*, jclass) { toFront(); }

JNIEXPORT jint JNICALL QPK_MISC(terminateProcesses0)(JNIEnv* env, jclass, jintArray ids, jboolean force,
                                                    jint timeout) {
    if (ids == nullptr) return kTerminateFailed;
    std::vector<jint> values(size_t(env->GetArrayLength(ids)));
    if (!values.empty()) env->GetIntArrayRegion(ids, 0, jsize(values.size()), values.data());
    return terminateProcesses(std::vector<DWORD>(values.begin(), values.end()), force != 0, DWORD(timeout));
}

JNIEXPORT jstring JNICALL QPK_MISC(getWindowTitle0)(JNIEnv* env, jclass, jint processId) {
    return toJavaString(env, windowTitle(DWORD(processId)));
}

JNIEXPORT jlong JNICALL QPK_MISC(findMainWindow0)(JNIEnv*, jclass, jint processId) {
    return jlong(reinterpret_cast<intptr_t>(findMainWindow(DWORD(processId))));
}

JNIEXPORT void JNICALL QPK_MISC(setForegroundWindow0)(JNIEnv*, jclass, jlong window) {
    HWND handle = reinterpret_cast<HWND>(intptr_t(window));
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(handle, &placement) && placement.showCmd == SW_SHOWMINIMIZED)
        ShowWindow(handle, SW_RESTORE);
    SetForegroundWindow(handle);
}

}  // extern "C"
