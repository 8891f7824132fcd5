// One small owner for every kind of Windows handle, so that no early return leaks one.
// Closing or replacing a handle keeps GetLastError() as it was, so a caller can still
// report the error of the call that failed.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <utility>

namespace qpk {

template <class Traits>
class Owned {
public:
    using Handle = typename Traits::Handle;

    Owned() = default;
    explicit Owned(Handle h) : h_(h) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& o) noexcept : h_(o.release()) {}
    Owned& operator=(Owned&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~Owned() { reset(); }

    Handle get() const { return h_; }
    bool valid() const { return h_ != Traits::invalid(); }
    explicit operator bool() const { return valid(); }

    // Hands ownership on.
    Handle release() { return std::exchange(h_, Traits::invalid()); }

    void reset(Handle h = Traits::invalid()) {
        if (h_ != Traits::invalid()) {
            DWORD saved = GetLastError();
            Traits::close(h_);
            SetLastError(saved);
        }
        h_ = h;
    }

    // For APIs that fill a handle through a pointer.
    Handle* put() {
        reset();
        return &h_;
    }

private:
    Handle h_ = Traits::invalid();
};

struct FileTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) { CloseHandle(h); }
};

struct KernelTraits {
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { CloseHandle(h); }
};

struct FindTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) { FindClose(h); }
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { RegCloseKey(h); }
};

struct LibraryTraits {
    using Handle = HMODULE;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { FreeLibrary(h); }
};

// Memory that Windows hands out to be freed with CoTaskMemFree (shell paths and names).
struct CoTaskMemoryTraits {
    using Handle = void*;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { CoTaskMemFree(h); }
};

// SIDs made by AllocateAndInitializeSid.
struct AllocatedSidTraits {
    using Handle = PSID;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { FreeSid(h); }
};

// COM interfaces: Release instead of close.
template <class Interface>
struct ComTraits {
    using Handle = Interface*;
    static Handle invalid() { return nullptr; }
    static void close(Handle p) { p->Release(); }
};

struct ServiceHandleTraits {
    using Handle = SC_HANDLE;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { CloseServiceHandle(h); }
};

struct LocalMemoryTraits {
    using Handle = HLOCAL;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { LocalFree(h); }
};

using UniqueFile = Owned<FileTraits>;      // CreateFile results
using UniqueHandle = Owned<KernelTraits>;  // processes, threads, events, semaphores, pipes
using UniqueFind = Owned<FindTraits>;
using UniqueKey = Owned<RegKeyTraits>;
using UniqueLibrary = Owned<LibraryTraits>;
using UniqueCoTaskMemory = Owned<CoTaskMemoryTraits>;
using UniqueAllocatedSid = Owned<AllocatedSidTraits>;
template <class Interface>
using UniqueCom = Owned<ComTraits<Interface>>;
using UniqueService = Owned<ServiceHandleTraits>;  // service control manager and services
using UniqueLocalMemory = Owned<LocalMemoryTraits>;  // LocalAlloc results: converted SIDs, security descriptors, ACLs

}  // namespace qpk
