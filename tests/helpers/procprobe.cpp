// Reports what it received from its parent, for the tests of the process runner.
//   procprobe args A B ...   each argument after "args", each followed by a NUL byte
//   procprobe env NAME ...   "NAME=value" or "NAME unset", one a line
//   procprobe cwd            the current directory
//   procprobe streams N      N bytes 'o' to stdout and N bytes 'e' to stderr, interleaved
//   procprobe sleep MS
//   procprobe exit CODE
// Output is written unconverted (UTF-8, no CR added) straight to the handles.
#include <windows.h>

#include <cwchar>
#include <string>

#include "Utf8.h"

namespace {

void put(DWORD which, const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(which), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  std::wstring command = argv[1];
  if (command == L"args") {
    for (int i = 2; i < argc; ++i) put(STD_OUTPUT_HANDLE, qpktest::narrow(argv[i]) + '\0');
  } else if (command == L"env") {
    for (int i = 2; i < argc; ++i) {
      DWORD n = GetEnvironmentVariableW(argv[i], nullptr, 0);
      std::string name = qpktest::narrow(argv[i]);
      if (n == 0) {
        put(STD_OUTPUT_HANDLE, name + " unset\n");
        continue;
      }
      std::wstring value(n, L'\0');
      value.resize(GetEnvironmentVariableW(argv[i], value.data(), n));
      put(STD_OUTPUT_HANDLE, name + "=" + qpktest::narrow(value) + "\n");
    }
  } else if (command == L"cwd") {
    wchar_t dir[32768];
    DWORD n = GetCurrentDirectoryW(32768, dir);
    put(STD_OUTPUT_HANDLE, qpktest::narrow(std::wstring(dir, n)) + "\n");
  } else if (command == L"streams" && argc == 3) {
    long remaining = std::wcstol(argv[2], nullptr, 10);
    const std::string outChunk(4096, 'o'), errChunk(4096, 'e');
    while (remaining > 0) {
      size_t n = remaining < 4096 ? static_cast<size_t>(remaining) : 4096;
      put(STD_OUTPUT_HANDLE, outChunk.substr(0, n));
      put(STD_ERROR_HANDLE, errChunk.substr(0, n));
      remaining -= static_cast<long>(n);
    }
  } else if (command == L"sleep" && argc == 3) {
    Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
  } else if (command == L"exit" && argc == 3) {
    return static_cast<int>(std::wcstoul(argv[2], nullptr, 10));
  } else {
    return 2;
  }
  return 0;
}
