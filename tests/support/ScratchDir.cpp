#include "ScratchDir.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "BuildPaths.h"
#include "Utf8.h"

namespace qpktest {
namespace {

std::wstring withBackslashes(std::string relative) {
  std::replace(relative.begin(), relative.end(), '/', '\\');
  return widen(relative);
}

bool removeTreeW(const std::wstring& dir) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = dir + L"\\" + name;
      bool isDir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      }
      if (isDir && !isLink) {
        removeTreeW(full);
      } else if (isDir) {
        RemoveDirectoryW(full.c_str());  // the link only, not what it points to
      } else {
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
  return RemoveDirectoryW(dir.c_str()) || GetFileAttributesW(dir.c_str()) == INVALID_FILE_ATTRIBUTES;
}

void listInto(const std::wstring& dir, const std::wstring& prefix, std::vector<std::string>& out) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out.push_back(narrow(prefix + name + L"\\"));
      listInto(dir + L"\\" + name, prefix + name + L"\\", out);
    } else {
      out.push_back(narrow(prefix + name));
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

}  // namespace

ScratchDir::ScratchDir(const std::string& namePrefix, const std::string& base) {
  static std::atomic<unsigned> counter{0};
  std::wstring root;
  if (base.empty()) {
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return;
    root.assign(temp, n);
    if (!root.empty() && root.back() == L'\\') root.pop_back();
  } else {
    root = widen(toWindowsPath(base));
  }
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::wstring candidate = root + L"\\" + widen(namePrefix) + L"-" +
                             std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(counter++);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      // The TEMP path may be in short form; tests compare against what programs report.
      wchar_t longPath[32768];
      DWORD n = GetLongPathNameW(candidate.c_str(), longPath, 32768);
      path_ = narrow(n > 0 && n < 32768 ? std::wstring(longPath, n) : candidate);
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

ScratchDir::~ScratchDir() {
  if (path_.empty()) return;
  if (GetEnvironmentVariableW(L"QPK_KEEP_TEST_FILES", nullptr, 0) > 0) {
    std::fprintf(stderr, "kept test files in %s\n", path_.c_str());
    return;
  }
  removeTree(path_);
}

std::string ScratchDir::path(const std::string& relative) const {
  return narrow(widen(path_) + L"\\" + withBackslashes(relative));
}

bool ScratchDir::makeDirs(const std::string& relative) const {
  std::wstring full = widen(path(relative));
  size_t start = widen(path_).size() + 1;
  for (size_t pos = full.find(L'\\', start);; pos = full.find(L'\\', pos + 1)) {
    std::wstring part = full.substr(0, pos);
    if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
    if (pos == std::wstring::npos) return true;
  }
}

bool ScratchDir::writeFile(const std::string& relative, const std::string& bytes) const {
  std::wstring rel = withBackslashes(relative);
  size_t slash = rel.rfind(L'\\');
  if (slash != std::wstring::npos && !makeDirs(narrow(rel.substr(0, slash)))) return false;
  HANDLE file = CreateFileW(widen(path(relative)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  return CloseHandle(file) && ok;
}

std::optional<std::string> ScratchDir::readFile(const std::string& relative) const {
  HANDLE file = CreateFileW(widen(path(relative)).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) {
    bytes.append(buffer, got);
  }
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return bytes;
}

bool ScratchDir::exists(const std::string& relative) const {
  return GetFileAttributesW(widen(path(relative)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ScratchDir::listFiles(const std::string& relative) const {
  std::vector<std::string> out;
  std::wstring dir = relative.empty() ? widen(path_) : widen(path(relative));
  listInto(dir, L"", out);
  std::sort(out.begin(), out.end());
  return out;
}

bool removeTree(const std::string& path) { return removeTreeW(withBackslashes(path)); }

}  // namespace qpktest
