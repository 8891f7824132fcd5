// Run-time lookup of optional Windows functions with their real signature.
#pragma once
#include <windows.h>

namespace qpk {

template <class Function>
Function lookupFunction(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    // Through void*: FARPROC is a placeholder type that every real signature differs from.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace qpk
