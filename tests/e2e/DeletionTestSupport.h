// Runs the launcher's delayed-deletion role from a scratch directory, and reads
// back what it left in the registry.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BuildPaths.h"
#include "SetupFixture.h"
#include "Utf8.h"
#include "common/Owned.h"

namespace qpke2e {

constexpr DWORD kFullRunTimeoutMs = 90000;  // 60 passes take about 30 s

// BOM, UTF-16LE, CRLF: what the installer writes.
inline std::string utf16List(const std::vector<std::string>& lines) {
    std::wstring text = L"\xFEFF";
    for (const std::string& line : lines) text += qpktest::widen(line) + L"\r\n";
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// Held open without sharing, so that nobody can delete it meanwhile.
inline qpk::UniqueFile holdFile(const std::string& path) {
    qpk::UniqueFile f(CreateFileW(qpktest::widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(f.valid()) << path << ": " << GetLastError();
    return f;
}

inline std::wstring readRegistryText(HKEY root, const wchar_t* key, const wchar_t* name, DWORD type) {
    DWORD size = 0;
    if (RegGetValueW(root, key, name, RRF_RT_ANY | RRF_NOEXPAND, nullptr, nullptr, &size) != ERROR_SUCCESS) return {};
    std::wstring value(size / sizeof(wchar_t), L'\0');
    DWORD actual = 0;
    if (RegGetValueW(root, key, name, RRF_RT_ANY | RRF_NOEXPAND, &actual, value.data(), &size) != ERROR_SUCCESS ||
        actual != type)
        return {};
    value.resize(size / sizeof(wchar_t));
    return value;
}

const wchar_t kSessionManager[] = L"System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";

// PendingFileRenameOperations as (source, target) pairs, as written: sources with "\??\".
inline std::vector<std::pair<std::wstring, std::wstring>> pendingOperations() {
    std::wstring multi = readRegistryText(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, REG_MULTI_SZ);
    std::vector<std::wstring> strings;
    for (size_t pos = 0; pos < multi.size();) {
        size_t end = multi.find(L'\0', pos);
        if (end == std::wstring::npos) end = multi.size();
        strings.push_back(multi.substr(pos, end - pos));
        pos = end + 1;
    }
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    // Sources are never empty; an empty one is the list's terminator.
    for (size_t i = 0; i + 1 < strings.size() && !strings[i].empty(); i += 2) pairs.emplace_back(strings[i], strings[i + 1]);
    return pairs;
}

// The paths that the next boot deletes.
inline std::vector<std::string> pendingBootDeletions() {
    std::vector<std::string> out;
    for (const auto& [source, target] : pendingOperations()) {
        if (target.empty() && source.compare(0, 4, L"\\??\\") == 0) out.push_back(qpktest::narrow(source.substr(4)));
    }
    return out;
}

// Drops the pending operations for paths below `dir`, which is about to be removed, so that
// the shared test prefix does not collect them.
inline void forgetPendingBelow(const std::string& dir) {
    std::wstring prefix = L"\\??\\" + qpktest::widen(dir) + L"\\";
    std::wstring kept;
    for (const auto& [source, target] : pendingOperations()) {
        if (source.compare(0, prefix.size(), prefix) != 0) kept += source + L'\0' + target + L'\0';
    }
    qpk::UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
    if (kept.empty()) {
        RegDeleteValueW(key.get(), kPendingValue);
    } else {
        kept += L'\0';
        RegSetValueExW(key.get(), kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.data()),
                       DWORD(kept.size() * sizeof(wchar_t)));
    }
}

class DeletionTest : public SetupTest {
protected:
    void SetUp() override {
        SetupTest::SetUp();
        launcher_ = dir() + "\\launcher.exe";
        // From a directory of its own, so that relative paths in a list have a known base.
        ASSERT_TRUE(CopyFileW(qpktest::widen(qpktest::launcherPath()).c_str(), qpktest::widen(launcher_).c_str(),
                              FALSE));
    }
    void TearDown() override {
        forgetPendingBelow(dir());
        SetupTest::TearDown();
    }

    std::string writeList(const std::string& name, const std::vector<std::string>& lines) {
        std::string path = dir() + "\\" + name;
        writeFile(path, utf16List(lines));
        return path;
    }

    // The role started with its log kept in `tmpDir` (default tmp()), from another directory.
    qpktest::RunOptions windel(const std::string& list, const std::string& tmpDir = std::string()) {
        qpktest::RunOptions o = options({{"QUILLPACK_LOG", "yes"}});
        o.program = launcher_;
        o.argText = "__qpk_windel \"" + list + "\"";
        o.workingDir = tmp();
        if (!tmpDir.empty()) o.setEnv["TMP"] = o.setEnv["TEMP"] = tmpDir;
        return o;
    }

    // Waits (at most 20 s) until the only log in `tmpDir` contains `text`.
    bool logShows(const std::string& text, const std::string& tmpDir = std::string()) {
        for (int i = 0; i < 200; ++i) {
            std::vector<std::string> found = logs(tmpDir);
            if (found.size() == 1 && readFile(found[0]).find(text) != std::string::npos) return true;
            Sleep(100);
        }
        return false;
    }

private:
    std::string launcher_;
};

}  // namespace qpke2e
