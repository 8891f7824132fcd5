// The delayed-deletion role's restart question on the virtual display, after a full run of
// passes over a file that stays locked.
#include <windows.h>

#include <algorithm>
#include <optional>

#include "DeletionTestSupport.h"
#include "MessageBoxes.h"

using namespace qpke2e;

namespace {

const wchar_t kProductKey[] = L"SOFTWARE\\larchmont-works\\quillpack";

// The value's bytes as stored, or nothing when it is absent.
std::optional<std::string> rawValue(HKEY root, const wchar_t* name) {
    qpk::UniqueKey key;
    if (RegOpenKeyExW(root, kProductKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    std::string bytes(size, '\0');
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    return bytes;
}

void restoreValue(HKEY root, const wchar_t* name, const std::optional<std::string>& bytes) {
    qpk::UniqueKey key;
    if (RegOpenKeyExW(root, kProductKey, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
    if (bytes) {
        RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes->data()), DWORD(bytes->size()));
    } else {
        RegDeleteValueW(key.get(), name);
    }
}

// A stored REG_SZ, which must end in exactly one NUL.
std::string storedText(const std::optional<std::string>& bytes) {
    if (!bytes || bytes->size() < 2 || bytes->size() % 2) return "(missing)";
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes->data()), bytes->size() / 2);
    if (text.back() != L'\0') return "(no terminating NUL)";
    text.pop_back();
    return qpktest::narrow(text);
}

}  // namespace

// Both runs side by side, so that the two full runs cost the time of one.
TEST_F(DeletionTest, StuckFileAsksForARestartOnlyWhenDeletionAtBootIsAllowed) {
    const wchar_t kValue[] = L"RebootCheckFile";
    std::optional<std::string> machineBefore = rawValue(HKEY_LOCAL_MACHINE, kValue);
    std::optional<std::string> userBefore = rawValue(HKEY_CURRENT_USER, kValue);
    std::string keepTmp = dir() + "\\tmp-keep";
    makeDirectory(keepTmp);
    std::string asked = dir() + "\\asked.dll", kept = dir() + "\\kept.dll";
    writeFile(asked, "a");
    writeFile(kept, "k");
    qpk::UniqueFile holdAsked = holdFile(asked), holdKept = holdFile(kept);
    std::string askList = writeList("ask.txt", {"", "reboot_deletion", "Restart now to finish", "the installation?",
                                                "EOSMARKER", "Please restart.", "EOSMARKER", asked});
    std::string keepList = writeList("keep.txt", {"", "keep", "Restart now to finish the installation?",
                                                  "EOSMARKER", "Please restart.", "EOSMARKER", kept});
    qpktest::RunOptions askOptions = windel(askList), keepOptions = windel(keepList, keepTmp);
    askOptions.timeoutMs = keepOptions.timeoutMs = kFullRunTimeoutMs;
    qpktest::RunningProgram askRun(askOptions), keepRun(keepOptions);
    ASSERT_TRUE(askRun.started() && keepRun.started());

    std::optional<qpktest::MessageBoxInfo> box = qpktest::findMessageBox(askRun.processId(), kFullRunTimeoutMs);
    ASSERT_TRUE(box) << "no restart question";
    EXPECT_EQ(box->caption, "quillpack");
    EXPECT_EQ(box->text, "Restart now to finish\nthe installation?");
    ASSERT_EQ(box->buttons.size(), 2u);
    EXPECT_EQ(box->buttons[0].id, IDYES);
    EXPECT_EQ(box->buttons[1].id, IDNO);
    EXPECT_TRUE(qpktest::pressButton(*box, IDNO));
    qpktest::RunResult askResult = askRun.wait();
    // A box would have held the other run until its timeout.
    qpktest::RunResult keepResult = keepRun.wait();
    ASSERT_FALSE(askResult.timedOut);
    ASSERT_FALSE(keepResult.timedOut);
    EXPECT_EQ(askResult.exitCode, 0u);
    EXPECT_EQ(keepResult.exitCode, 0u);
    EXPECT_TRUE(fileExists(asked) && fileExists(kept));
    EXPECT_FALSE(fileExists(askList) || fileExists(keepList));
    EXPECT_NE(onlyLog(keepTmp).find("left in place: " + kept), std::string::npos);

    std::optional<std::string> machine = rawValue(HKEY_LOCAL_MACHINE, kValue);
    std::optional<std::string> user = rawValue(HKEY_CURRENT_USER, kValue);
    restoreValue(HKEY_LOCAL_MACHINE, kValue, machineBefore);
    restoreValue(HKEY_CURRENT_USER, kValue, userBefore);
    std::string checkFile = storedText(machine);
    EXPECT_EQ(storedText(user), checkFile);
    EXPECT_EQ(checkFile.rfind(tmp() + "\\ide", 0), 0u) << checkFile;
    EXPECT_TRUE(fileExists(checkFile));
    EXPECT_EQ(readFile(checkFile), "");

    std::vector<std::string> pending = pendingBootDeletions();
    EXPECT_EQ(std::count(pending.begin(), pending.end(), asked), 1);
    EXPECT_EQ(std::count(pending.begin(), pending.end(), kept), 0);
    EXPECT_EQ(std::count(pending.begin(), pending.end(), checkFile), 1);
}
