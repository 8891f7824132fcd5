#include "launcher/Console.h"

#include <windows.h>

#include <cstdio>

#include "common/ProcLookup.h"

namespace qpk {

bool attachConsole() {
    using Attach = BOOL(WINAPI*)(DWORD);
    auto attach = lookupFunction<Attach>(GetModuleHandleW(L"kernel32.dll"), "AttachConsole");
    bool have = false;
    if (attach != nullptr) {
        if (attach(ATTACH_PARENT_PROCESS)) {
            have = true;
        } else if (GetLastError() == ERROR_ACCESS_DENIED) {
            return true;  // already has a console
        }
    }
    if (!have) have = AllocConsole() != 0;
    if (have) {
        freopen("CONOUT$", "w", stdout);
        freopen("CONOUT$", "w", stderr);
    }
    return true;
}

}  // namespace qpk
