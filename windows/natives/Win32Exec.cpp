// The program start native of the installer runtime's Win32Exec class.
#include <jni.h>
#include <windows.h>

#include <string>

#include "common/Owned.h"
#include "natives/JavaStrings.h"

using namespace qpk;

namespace {

// Starts the program without waiting for it; 0 or the Windows error code.
DWORD launchProgram(const wchar_t* application, const wchar_t* commandLine) {
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::wstring line = commandLine != nullptr ? commandLine : L"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(application, commandLine != nullptr ? &line[0] : nullptr, nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process))
        return GetLastError();
    UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
    return 0;
}

}  // namespace

extern "C" JNIEXPORT jint JNICALL Java_com_quillpack_runtime_installer_platform_win32_Win32Exec_launch0(
    JNIEnv* env, jclass, jstring application, jstring commandLine) {
    WideCopy program = toWideCopy(env, application), line = toWideCopy(env, commandLine);
    if (anyHoldsNul({&program, &line})) return ERROR_INVALID_NAME;
    return jint(launchProgram(program.get(), line.get()));
}
