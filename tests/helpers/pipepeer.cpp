// A pipe client that breaks the block format on purpose, for the tests of the pipe natives.
//   pipepeer PIPE send LENGTH COUNT   writes the prefix LENGTH (signed) and COUNT payload
//                                     bytes, then stays until the listener closes the pipe
//   pipepeer PIPE leave LENGTH COUNT  the same, but exits at once
//   pipepeer PIPE vanish              reads the 4 prefix bytes of a block, then exits
//   pipepeer PIPE busy                one attempt to open; exits with 0 or the error code
//   pipepeer PIPE dacl                prints the pipe's access list as SDDL, as a client sees it
//   pipepeer PIPE listen              creates the pipe, reads one block from its client and
//                                     prints the level at which it may act as that client
// Exits 90 when the pipe cannot be opened within 30 seconds (except in busy mode).
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

HANDLE openPipe(const wchar_t* name) {
  for (int attempt = 0; attempt < 300; ++attempt) {
    HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    Sleep(100);
  }
  return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE h, const void* data, DWORD size) {
  DWORD put = 0;
  return size == 0 || (WriteFile(h, data, size, &put, nullptr) && put == size);
}

// Prints "level N" (a SECURITY_IMPERSONATION_LEVEL), or the failing step.
int listenOnce(const wchar_t* name) {
  HANDLE pipe = CreateNamedPipeW(name, PIPE_ACCESS_DUPLEX, 0, 1, 4096, 4096, 0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return 92;
  // The whole block (its length prefix and one byte), which the client writes in two calls:
  // a listener gone after the prefix would fail the client's second write.
  unsigned char block[5];
  DWORD total = 0, got = 0;
  bool read = ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
  while (read && total < sizeof block) {
    read = ReadFile(pipe, block + total, sizeof block - total, &got, nullptr) && got > 0;
    total += got;
  }
  HANDLE token = nullptr;
  SECURITY_IMPERSONATION_LEVEL level{};
  DWORD size = 0;
  // A listener may act as its client only after reading from it.
  if (!read || !ImpersonateNamedPipeClient(pipe)) return 93;
  bool known = OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) &&
               GetTokenInformation(token, TokenImpersonationLevel, &level, sizeof level, &size);
  RevertToSelf();
  std::printf("level %d\n", known ? static_cast<int>(level) : -1);
  return 0;
}

int printAccessList(HANDLE pipe) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  wchar_t* text = nullptr;
  if (GetSecurityInfo(pipe, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                            &text, nullptr))
    return 94;
  std::printf("%ls\n", text);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  std::wstring mode = argv[2];
  if (mode == L"busy") {
    HANDLE h = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    CloseHandle(h);
    return 0;
  }
  if (mode == L"listen") return listenOnce(argv[1]);
  HANDLE pipe = openPipe(argv[1]);
  if (pipe == INVALID_HANDLE_VALUE) return 90;
  if (mode == L"dacl") return printAccessList(pipe);
  if (mode == L"vanish") {
    unsigned char prefix[4];
    DWORD got = 0;
    ReadFile(pipe, prefix, sizeof prefix, &got, nullptr);
    return 0;  // the rest of the block is never read
  }
  if ((mode != L"send" && mode != L"leave") || argc < 5) return 2;
  long length = std::wcstol(argv[3], nullptr, 10);
  std::vector<unsigned char> payload(std::wcstoul(argv[4], nullptr, 10), 0x5A);
  unsigned char prefix[4];
  for (int i = 0; i < 4; ++i) prefix[i] = static_cast<unsigned char>(static_cast<unsigned long>(length) >> (8 * i));
  if (!writeAll(pipe, prefix, 4) || !writeAll(pipe, payload.data(), static_cast<DWORD>(payload.size()))) return 91;
  if (mode == L"leave") return 0;
  // The listener closing or disconnecting ends this read with an error.
  unsigned char byte;
  DWORD got = 0;
  while (ReadFile(pipe, &byte, 1, &got, nullptr) && got == 1) {
  }
  return 0;
}
