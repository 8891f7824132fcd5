// The Misc natives from real Java through JNI, with windows of tests/helpers/testwindow (so
// a display is needed). Afterwards the test checks from outside that the processes the
// natives ended are gone and that the files are listed for the next boot, and takes its
// entries out of that list again.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BuildPaths.h"
#include "NativeDriver.h"
#include "ScratchDir.h"
#include "Utf8.h"

namespace {

const wchar_t kSessionManager[] = L"System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPending[] = L"PendingFileRenameOperations";

bool processGone(DWORD id) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (process == nullptr) return true;
  bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

// The boot list as (source, target) strings; `keep` decides which pairs are written back.
template <class Keep>
std::vector<std::wstring> pendingOperations(Keep keep) {
  std::vector<std::wstring> entries;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return entries;
  DWORD size = 0;
  RegQueryValueExW(key, kPending, nullptr, nullptr, nullptr, &size);
  std::wstring data(size / 2 + 1, L'\0');
  if (size > 0 && RegQueryValueExW(key, kPending, nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]), &size) == 0) {
    for (size_t at = 0; at < size / 2;) {
      size_t end = data.find(L'\0', at);
      entries.push_back(data.substr(at, end - at));
      at = end + 1;
    }
    if (!entries.empty() && entries.back().empty()) entries.pop_back();
    std::wstring kept;
    for (size_t i = 0; i + 1 < entries.size(); i += 2)
      if (keep(entries[i])) kept += entries[i] + L'\0' + entries[i + 1] + L'\0';
    if (kept.empty())
      RegDeleteValueW(key, kPending);
    else
      RegSetValueExW(key, kPending, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>((kept + L'\0').c_str()),
                     DWORD((kept.size() + 1) * 2));
  }
  RegCloseKey(key);
  return entries;
}

TEST(MiscNatives, DriverCasesAndOutsideView) {
  qpktest::ScratchDir scratch("qpk-misc");
  qpknatives::DriverRun run = qpknatives::runDriver("MiscDriver", {qpktest::helperPath("testwindow"), scratch.path()});
  qpknatives::expectAllPassed(run, 23);

  std::vector<std::string> closed = qpknatives::infoValues(run, "closed");
  EXPECT_EQ(closed.size(), 3u);
  for (const std::string& id : closed) EXPECT_TRUE(processGone(DWORD(std::stoul(id)))) << "process " << id;

  // Removes this test's entries from the boot list, and returns the whole list as it was.
  const std::wstring ours = qpktest::widen(scratch.path());
  std::vector<std::wstring> pending =
      pendingOperations([&](const std::wstring& source) { return source.find(ours) == std::wstring::npos; });
  std::vector<std::string> scheduled = qpknatives::infoValues(run, "scheduled");
  ASSERT_EQ(scheduled.size(), 2u);
  for (size_t s = 0; s < scheduled.size(); ++s) {
    std::wstring path = qpktest::widen(scheduled[s]);
    std::wstring target;
    bool found = false;
    for (size_t i = 0; i + 1 < pending.size(); i += 2) {
      if (pending[i].size() >= path.size() && pending[i].compare(pending[i].size() - path.size(), path.size(), path) == 0) {
        found = true;
        target = pending[i + 1];
      }
    }
    EXPECT_TRUE(found) << scheduled[s] << " is not in the boot list";
    // The deletion has no target; the move ends in the new name.
    if (s == 0) {
      EXPECT_EQ(target, L"");
    } else {
      EXPECT_NE(target.find(path + L".new"), std::wstring::npos);
    }
  }
}

}  // namespace
