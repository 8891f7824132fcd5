// Stand-in for a Java runtime's bin\server\jvm.dll: the library the launcher loads, without
// a virtual machine. Built three ways (CMakeLists.txt beside it): 64-bit with
// JNI_CreateJavaVM, 64-bit without it, and 32-bit, which a 64-bit process cannot load.
//
// JNI_CreateJavaVM creates nothing. It appends what it was given to "jvm-calls.log" beside
// the DLL, so that a test can see the arguments a caller passed, and fails with JNI_ERR.
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <wchar.h>

#ifdef QPK_EXPORT_CREATE

typedef struct {
    char* optionString;
    void* extraInfo;
} JavaVMOption;

typedef struct {
    int32_t version;
    int32_t nOptions;
    JavaVMOption* options;
    unsigned char ignoreUnrecognized;
} JavaVMInitArgs;

static HMODULE self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

static FILE* openCallLog(void) {
    wchar_t path[MAX_PATH + 32];
    DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return NULL;
    wchar_t* name = wcsrchr(path, L'\\');
    if (name == NULL) return NULL;
    wcscpy(name + 1, L"jvm-calls.log");
    return _wfopen(path, L"ab");
}

__declspec(dllexport) int32_t __stdcall JNI_CreateJavaVM(void** vm, void** env, void* args) {
    FILE* log = openCallLog();
    if (log != NULL) {
        const JavaVMInitArgs* init = (const JavaVMInitArgs*)args;
        if (init == NULL) {
            fputs("args=null\n", log);
        } else {
            fprintf(log, "version=0x%08lx\n", (unsigned long)init->version);
            for (int32_t i = 0; i < init->nOptions; ++i) {
                const char* option = init->options[i].optionString;
                fprintf(log, "option=%s\n", option != NULL ? option : "(null)");
            }
            fprintf(log, "ignoreUnrecognized=%d\n", init->ignoreUnrecognized);
        }
        fclose(log);
    }
    if (vm != NULL) *vm = NULL;
    if (env != NULL) *env = NULL;
    return -1;  // JNI_ERR
}

#endif
