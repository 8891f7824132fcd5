#include "natives/NamedPipes.h"

#include <sddl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/Owned.h"
#include "natives/BlockFraming.h"
#include "natives/UserAccounts.h"

namespace qpk {

namespace {
constexpr DWORD kPipeBufferSize = 0x10000;
constexpr int kConnectAttempts = 601;
constexpr DWORD kRetryPauseMs = 500;
// The whole time a client waits for the pipe to appear or to have a free instance.
constexpr ULONGLONG kOpenWaitMs = 100000;
constexpr DWORD kOpenRetryWaitMs = 1000;

// Only this user, the administrators (the elevated peer may run as another one) and the
// system may open the pipe.
UniqueLocalMemory pipeSecurity() {
    std::wstring user;
    if (!currentUserSid(user)) return UniqueLocalMemory();
    std::wstring sddl = L"D:P(A;;GA;;;" + user + L")(A;;GA;;;BA)(A;;GA;;;SY)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return UniqueLocalMemory();
    return UniqueLocalMemory(descriptor);
}

enum class ConnectOutcome { Connected, Failed, Retry };

ConnectOutcome connectOutcome(HANDLE listener, DWORD error) {
    if (error == ERROR_PIPE_CONNECTED) return ConnectOutcome::Connected;
    // A client that came and went before the call: what it wrote is still there to be read.
    if (error == ERROR_NO_DATA) {
        DWORD available = 0;
        bool dataLeft = PeekNamedPipe(listener, nullptr, 0, nullptr, &available, nullptr) && available > 0;
        return dataLeft ? ConnectOutcome::Connected : ConnectOutcome::Failed;
    }
    // A pipe in non-blocking mode answers so until a client comes.
    if (error == ERROR_PIPE_LISTENING) return ConnectOutcome::Retry;
    return ConnectOutcome::Failed;
}

DWORD remainingMs(ULONGLONG deadline) {
    ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

}  // namespace

HANDLE createListenerPipe(const wchar_t* name) {
    UniqueLocalMemory descriptor = pipeSecurity();
    if (name == nullptr || !descriptor) return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    // The first instance: a name that someone else holds already is not taken over.
    return CreateNamedPipeW(name, PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                            1, kPipeBufferSize, kPipeBufferSize, 0, &attributes);
}

bool waitForPipeClient(HANDLE listener) {
    if (listener == INVALID_HANDLE_VALUE) return false;
    for (int failures = 0;;) {
        if (ConnectNamedPipe(listener, nullptr)) return true;
        DWORD error = GetLastError();
        ConnectOutcome outcome = connectOutcome(listener, error);
        if (outcome == ConnectOutcome::Connected) return true;
        if (outcome == ConnectOutcome::Failed || ++failures >= kConnectAttempts) {
            std::printf("could not connect named pipe %lu\n", error);
            std::fflush(stdout);
            return false;
        }
        Sleep(kRetryPauseMs);
    }
}

HANDLE openPipeClient(const wchar_t* name) {
    if (name == nullptr) return nullptr;
    ULONGLONG deadline = GetTickCount64() + kOpenWaitMs;
    // A wait of 0 would mean the pipe's default wait, so none is made without time left.
    WaitNamedPipeW(name, remainingMs(deadline));
    for (;;) {
        // Identification only: the listener may learn who connects, but not act as this user.
        HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
        if (h != INVALID_HANDLE_VALUE) return h;
        DWORD error = GetLastError();
        if (remainingMs(deadline) == 0) {
            std::printf("could not open file %lu %ls\n", error, name);
            std::fflush(stdout);
            return nullptr;
        }
        Sleep(std::min(kRetryPauseMs, remainingMs(deadline)));
        DWORD left = remainingMs(deadline);
        if (left > 0) WaitNamedPipeW(name, std::min(kOpenRetryWaitMs, left));
    }
}

bool readExactly(HANDLE handle, void* buffer, DWORD size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    return transferExactly(size, [&](std::size_t offset, std::size_t wanted) -> std::size_t {
        DWORD got = 0;
        if (!ReadFile(handle, bytes + offset, static_cast<DWORD>(wanted), &got, nullptr)) return 0;
        return got;
    });
}

bool writeExactly(HANDLE handle, const void* buffer, DWORD size) {
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    return transferExactly(size, [&](std::size_t offset, std::size_t wanted) -> std::size_t {
        DWORD put = 0;
        if (!WriteFile(handle, bytes + offset, static_cast<DWORD>(wanted), &put, nullptr)) return 0;
        return put;
    });
}

bool isProcessAlive(DWORD pid) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    return GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE;
}

}  // namespace qpk
