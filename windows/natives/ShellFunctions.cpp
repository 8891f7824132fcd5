#include "natives/ShellFunctions.h"

#include <atomic>

#include "common/ProcLookup.h"
#include "launcher/DllSearch.h"

namespace qpk {

namespace {

// Filled without a lock: racing first calls store the same addresses.
std::atomic<ShChangeNotifyFunction> gChangeNotify{nullptr};
std::atomic<ShellExecuteWFunction> gShellExecute{nullptr};

}  // namespace

bool loadShellFunctions() {
    if (gChangeNotify.load() != nullptr && gShellExecute.load() != nullptr) return true;
    // The same once-only preload as the launcher's start-up: these go in before shell32.
    preloadSystemLibraries();
    // Kept loaded: the cached addresses point into it.
    HMODULE shell32 = LoadLibraryW(L"shell32.dll");
    if (shell32 == nullptr) return false;
    gChangeNotify.store(lookupFunction<ShChangeNotifyFunction>(shell32, "SHChangeNotify"));
    gShellExecute.store(lookupFunction<ShellExecuteWFunction>(shell32, "ShellExecuteW"));
    return gChangeNotify.load() != nullptr && gShellExecute.load() != nullptr;
}

ShChangeNotifyFunction shChangeNotify() { return gChangeNotify.load(); }

ShellExecuteWFunction shellExecuteW() { return gShellExecute.load(); }

}  // namespace qpk
