// The runtime choice dialog as the user meets it on a display: its texts, Locate through
// the file dialog (a 32-bit runtime refused, the real Java 11 runtime taken and recorded),
// Cancel, and Download with its progress in the progress dialog.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "MessageBoxes.h"
#include "RuntimeHomes.h"
#include "RuntimeOfferFixture.h"
#include "Utf8.h"

using namespace qpke2e;

namespace {

constexpr int kFileNameBox = 0x47c;  // the open-file dialog's file name field (cmb13)

std::optional<qpktest::MessageBoxInfo> findDialog(DWORD pid, const std::string& caption,
                                                  const wchar_t* windowClass = L"#32770") {
    qpktest::BoxQuery query;
    query.processId = pid;
    query.caption = caption;
    query.anyDialog = true;
    query.windowClass = windowClass;
    return qpktest::findMessageBox(query, 60000);
}

// Picks `path` in the open-file dialog as a user typing it and pressing Open.
void chooseFile(DWORD pid, const std::string& path) {
    auto picker = findDialog(pid, "Pick java.exe");
    ASSERT_TRUE(picker) << "no file dialog";
    ASSERT_TRUE(SetDlgItemTextW(picker->window, kFileNameBox, qpktest::widen(path).c_str()));
    PostMessageW(picker->window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

std::string itemText(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return qpktest::narrow(text);
}

std::vector<int> buttonIds(const qpktest::MessageBoxInfo& box) {
    std::vector<int> ids;
    for (const auto& b : box.buttons) ids.push_back(b.id);
    return ids;
}

}  // namespace

using RuntimeChoiceBox = RuntimeOfferTest;

TEST_F(RuntimeChoiceBox, ThirtyTwoBitRuntimeIsRefusedAndCancelEndsTheSetup) {
    std::string home = dir() + "\\rt32";
    RuntimeLayout layout;
    layout.library = RuntimeLayout::ThirtyTwoBit;
    layout.javaw = true;  // entry 107 is 1: the windowed runtime is the one checked
    makeRuntime(home, layout);
    packOffer(R"(, "126": "1.8")");
    qpktest::RunOptions o = javaOptions("return");
    o.args = {"-manual"};
    qpktest::RunningProgram program(o);
    ASSERT_TRUE(program.started());

    auto choice = findDialog(program.processId(), "Runtime Setup");
    ASSERT_TRUE(choice) << "no choice dialog";
    EXPECT_EQ(itemText(choice->window, 1003), "Locate a 64-bit runtime. (at least 1.8)");
    EXPECT_EQ(buttonIds(*choice), (std::vector<int>{1005, IDCANCEL})) << qpktest::toJson(*choice);
    ASSERT_TRUE(qpktest::pressButton(*choice, 1005));
    chooseFile(program.processId(), home + "\\bin\\java.exe");

    qpktest::BoxQuery error;
    error.processId = program.processId();
    auto box = qpktest::findMessageBox(error, 60000);
    ASSERT_TRUE(box) << "no message for the 32-bit runtime";
    EXPECT_TRUE(contains(box->text, "Unusable runtime at " + home)) << box->text << onlyLog();
    ASSERT_TRUE(qpktest::pressButton(*box, IDOK));

    // The choice stays open for another try.
    Sleep(500);
    ASSERT_TRUE(IsWindowVisible(choice->window));
    EXPECT_EQ(marker("InstallStarted"), 1);
    ASSERT_TRUE(qpktest::pressButton(*choice, IDCANCEL));
    auto r = program.wait();
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_EQ(marker("InstallStarted"), -1);
    EXPECT_TRUE(directoriesInTmp().empty());
    EXPECT_FALSE(fileExists(record_));
}

TEST_F(RuntimeChoiceBox, LocatedRuntimeIsRecordedAndRunsTheInstaller) {
    packOffer(R"(, "126": "1.8", "127": "17", "150": "http://127.0.0.1:9/jre.tar.gz")");
    qpktest::RunOptions o = javaOptions("return");
    o.args = {"-manual"};
    qpktest::RunningProgram program(o);
    ASSERT_TRUE(program.started());

    auto choice = findDialog(program.processId(), "Runtime Setup");
    ASSERT_TRUE(choice) << "no choice dialog";
    EXPECT_EQ(itemText(choice->window, 1003), "Locate or download a 64-bit runtime. (at least 1.8, at most 17)");
    EXPECT_EQ(buttonIds(*choice), (std::vector<int>{1004, 1005, IDCANCEL})) << qpktest::toJson(*choice);
    ASSERT_TRUE(qpktest::pressButton(*choice, 1005));
    std::string javaExe = qpktest::toWindowsPath(QPK_JDK11_HOME) + "\\bin\\java.exe";
    chooseFile(program.processId(), javaExe);

    auto r = program.wait();
    EXPECT_EQ(r.exitCode, 0u) << onlyLog();
    EXPECT_EQ(outputValue(readFile(record_), "recorded"), "1");
    std::string name = lowerAscii(javaExe);
    std::replace(name.begin(), name.end(), '\\', '/');
    std::string key = "SOFTWARE\\larchmont-works\\corvo\\locatedjvms\\" + name;
    HKEY located = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &located), ERROR_SUCCESS) << key;
    if (located) RegCloseKey(located);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
}

// With entry 155 the progress dialog opens only for the download.
TEST_F(RuntimeChoiceBox, DownloadShowsItsProgressAndTheInstallerRuns) {
    DownloadServer server(dir(), "whole", runtimeArchive());
    ASSERT_FALSE(server.url().empty());
    packOffer(R"(, "155": "1", "150": )" + jsonText(server.url()));
    qpktest::RunOptions o = javaOptions("return");
    o.args = {"-manual"};
    qpktest::RunningProgram program(o);
    ASSERT_TRUE(program.started());

    auto choice = findDialog(program.processId(), "Runtime Setup");
    ASSERT_TRUE(choice) << "no choice dialog";
    ASSERT_TRUE(qpktest::pressButton(*choice, 1004));
    auto progress = findDialog(program.processId(), "Runtime Setup", L"MyDialogClass");
    ASSERT_TRUE(progress) << "no progress dialog";
    // The dialog goes as soon as the download is done: watch it while it is there.
    std::string status, notice;
    LRESULT position = 0;
    for (int i = 0; i < 3000 && IsWindow(progress->window); ++i, Sleep(20)) {
        std::string now = itemText(progress->window, 1002);
        if (contains(now, " MB (")) status = now;
        if (!itemText(progress->window, 1003).empty()) notice = itemText(progress->window, 1003);
        position = std::max(position, SendDlgItemMessageW(progress->window, 1001, PBM_GETPOS, 0, 0));
    }
    char total[32];
    snprintf(total, sizeof total, " of %.1f MB (", double(readFile(runtimeArchive()).size()) / 1048576);
    EXPECT_TRUE(contains(status, total) && contains(status, "%) at ")) << status;
    EXPECT_EQ(notice, "Downloading a runtime");
    EXPECT_GT(position, 0);
    auto r = program.wait();
    EXPECT_EQ(r.exitCode, 0u) << onlyLog();
    EXPECT_EQ(outputValue(readFile(record_), "recorded"), "1");
    EXPECT_EQ(server.requests(), 1u);
}
