#include "natives/NamedPipes.h"

#include <cstdio>

#include "common/Owned.h"
#include "natives/BlockFraming.h"

namespace qpk {

namespace {
constexpr DWORD kPipeBufferSize = 0x10000;
constexpr int kConnectAttempts = 601;
constexpr int kOpenAttempts = 201;
constexpr DWORD kRetryPauseMs = 500;
}  // namespace

HANDLE createListenerPipe(const wchar_t* name) {
    return CreateNamedPipeW(name, PIPE_ACCESS_DUPLEX,
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                            1, kPipeBufferSize, kPipeBufferSize, 0, nullptr);
}

bool waitForPipeClient(HANDLE listener) {
    if (listener == INVALID_HANDLE_VALUE) return false;
    for (int failures = 0;;) {
        if (ConnectNamedPipe(listener, nullptr)) return true;
        DWORD error = GetLastError();
        if (error == ERROR_PIPE_CONNECTED) return true;
        if (++failures >= kConnectAttempts) {
            std::printf("could not connect named pipe %lu\n", error);
            std::fflush(stdout);
            return false;
        }
        Sleep(kRetryPauseMs);
    }
}

HANDLE openPipeClient(const wchar_t* name) {
    WaitNamedPipeW(name, 300000);
    for (int failures = 0;;) {
        HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) return h;
        DWORD error = GetLastError();
        if (++failures >= kOpenAttempts) {
            std::printf("could not open file %lu %ls\n", error, name != nullptr ? name : L"");
            std::fflush(stdout);
            return nullptr;
        }
        Sleep(kRetryPauseMs);
        WaitNamedPipeW(name, 1000);
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
