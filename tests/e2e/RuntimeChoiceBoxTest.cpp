// The runtime choice dialog on a display: its texts, Locate through the open-file dialog (a
// 32-bit runtime refused, the real Java 11 runtime taken and recorded), Cancel, and Download
// with its progress in the progress dialog, and Cancel there.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "MessageBoxes.h"
#include "RuntimeHomes.h"
#include "RuntimeOfferFixture.h"
#include "Utf8.h"

using namespace qpke2e;

class RuntimeChoiceBox : public RuntimeOfferTest {
protected:
    std::optional<qpktest::MessageBoxInfo> find(const std::string& caption, const wchar_t* cls = L"#32770") {
        return qpktest::findMessageBox(qpktest::BoxQuery{program_->processId(), caption, true, cls}, 60000);
    }
    // Starts the setup with `narrow` (and -manual); its choice dialog says `explanation`
    // and shows the `buttons`.
    qpktest::MessageBoxInfo startChoice(const std::string& narrow, const std::string& explanation,
                                        const std::vector<int>& buttons, const std::string& caption = "Runtime Setup") {
        packOffer(narrow, caption);
        qpktest::RunOptions o = javaOptions("return");
        o.args = {"-manual"};
        program_ = std::make_unique<qpktest::RunningProgram>(o);
        auto choice = find(caption);
        if (!choice) return {};
        EXPECT_EQ(dialogItemText(choice->window, 1003), explanation);
        std::vector<int> shown;
        for (const auto& b : choice->buttons) shown.push_back(b.id);
        EXPECT_EQ(shown, buttons) << qpktest::toJson(*choice);
        return *choice;
    }
    // With entry 155, so that the progress dialog opens only for the download from `server`.
    qpktest::MessageBoxInfo startDownload(const DownloadServer& server, const std::string& caption = "Runtime Setup") {
        auto choice = startChoice(R"(, "155": "1", "150": )" + jsonText(server.url()) + R"(, "156": )" +
                                      jsonText(server.sha256()),
                                  "Locate or download a 64-bit runtime.", {1004, 1005, IDCANCEL}, caption);
        EXPECT_TRUE(qpktest::pressButton(choice, 1004));
        auto progress = find(caption, L"MyDialogClass");
        return progress ? *progress : qpktest::MessageBoxInfo{};
    }
    // Presses Locate and types `path` into the open-file dialog's name field (cmb13), then Open.
    void locate(const qpktest::MessageBoxInfo& choice, const std::string& path) {
        ASSERT_TRUE(qpktest::pressButton(choice, 1005));
        auto picker = find("Pick java.exe");
        ASSERT_TRUE(picker) << "no file dialog";
        ASSERT_TRUE(SetDlgItemTextW(picker->window, 0x47c, qpktest::widen(path).c_str()));
        PostMessageW(picker->window, WM_COMMAND, IDOK, 0);
    }
    std::unique_ptr<qpktest::RunningProgram> program_;
};

TEST_F(RuntimeChoiceBox, ThirtyTwoBitRuntimeIsRefusedAndCancelEndsTheSetup) {
    std::string home = dir() + "\\rt32";
    RuntimeLayout layout;
    layout.library = RuntimeLayout::ThirtyTwoBit;
    layout.javaw = true;  // entry 107 is 1: the windowed runtime is the one checked
    makeRuntime(home, layout);
    auto choice = startChoice(R"(, "126": "1.8")", "Locate a 64-bit runtime. (at least 1.8)", {1005, IDCANCEL});
    ASSERT_TRUE(choice.window) << "no choice dialog";
    locate(choice, home + "\\bin\\java.exe");

    auto box = qpktest::findMessageBox(program_->processId(), 60000);
    ASSERT_TRUE(box) << "no message for the 32-bit runtime";
    EXPECT_TRUE(contains(box->text, "Unusable runtime at " + home)) << box->text;
    ASSERT_TRUE(qpktest::pressButton(*box, IDOK));
    Sleep(500);
    ASSERT_TRUE(IsWindowVisible(choice.window)) << "the choice must stay for another try";
    EXPECT_EQ(installMarker("InstallStarted"), 1);
    ASSERT_TRUE(qpktest::pressButton(choice, IDCANCEL));
    EXPECT_EQ(program_->wait().exitCode, 1u);
    EXPECT_EQ(installMarker("InstallStarted"), -1);
    EXPECT_TRUE(leftInTmp().empty());
    EXPECT_FALSE(fileExists(record_));
}

TEST_F(RuntimeChoiceBox, LocatedRuntimeIsRecordedAndRunsTheInstaller) {
    auto choice = startChoice(R"(, "126": "1.8", "127": "17", "150": "https://127.0.0.1:9/jre.tar.gz")",
                              "Locate or download a 64-bit runtime. (at least 1.8, at most 17)", {1004, 1005, IDCANCEL});
    ASSERT_TRUE(choice.window) << "no choice dialog";
    std::string javaExe = qpktest::toWindowsPath(QPK_JDK11_HOME) + "\\bin\\java.exe";
    locate(choice, javaExe);
    EXPECT_EQ(program_->wait().exitCode, 0u) << onlyLog();
    EXPECT_EQ(outputValue(readFile(record_), "recorded"), "1");
    std::string name = lowerAscii(javaExe);
    std::replace(name.begin(), name.end(), '\\', '/');
    std::string key = "SOFTWARE\\larchmont-works\\corvo\\locatedjvms\\" + name;
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str()), ERROR_SUCCESS) << "not recorded: " << key;
}

// The progress dialog is a wide window: its caption, outside the ANSI code page, reads back
// as it was configured.
TEST_F(RuntimeChoiceBox, DownloadShowsItsProgressAndTheInstallerRuns) {
    const std::string caption = "\xD0\xA3\xD1\x81\xD1\x82\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xBA\xD0\xB0 Java";
    DownloadServer server(dir(), "slow", runtimeArchive());
    ASSERT_FALSE(server.url().empty());
    auto progress = startDownload(server, caption);
    ASSERT_TRUE(progress.window) << "no progress dialog captioned " << caption;
    // The dialog goes as soon as the download is done, possibly between two reads: each
    // control is read once per look.
    std::string status, notice;
    LRESULT position = 0;
    for (int i = 0; i < 3000 && IsWindow(progress.window); ++i, Sleep(20)) {
        std::string line = dialogItemText(progress.window, 1002), text = dialogItemText(progress.window, 1003);
        if (contains(line, " MB (")) status = line;
        if (!text.empty()) notice = text;
        position = std::max(position, SendDlgItemMessageW(progress.window, 1001, PBM_GETPOS, 0, 0));
    }
    char total[32];
    snprintf(total, sizeof total, " of %.1f MB (", double(readFile(runtimeArchive()).size()) / 1048576);
    EXPECT_TRUE(contains(status, total) && contains(status, "%) at ")) << status;
    EXPECT_EQ(notice, "Downloading a runtime");
    EXPECT_GT(position, 0);
    EXPECT_EQ(program_->wait().exitCode, 0u) << onlyLog();
    EXPECT_EQ(outputValue(readFile(record_), "recorded"), "1");
    EXPECT_EQ(server.requests(), 1u);
}

// Cancel while the setup waits for the second half, which the server holds back: the
// transfer is stopped at once, and neither the partial archive nor the setup's directory
// stays.
TEST_F(RuntimeChoiceBox, CancelDuringTheDownloadLeavesNothingBehind) {
    DownloadServer server(dir(), "stall", runtimeArchive());
    ASSERT_FALSE(server.url().empty());
    auto progress = startDownload(server);
    ASSERT_TRUE(progress.window) << "no progress dialog";
    // The setup reads 16 KiB at a time; the last read of the half waits for the rest.
    const uint64_t half = readFile(runtimeArchive()).size() / 2 - 16384;
    uint64_t partial = 0;
    for (int i = 0; i < 1500 && partial < half; ++i, Sleep(20)) {
        for (const std::string& name : leftInTmp()) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (GetFileAttributesExW(qpktest::widen(tmp() + "\\" + name + "\\jre.tar.gz").c_str(),
                                     GetFileExInfoStandard, &data))
                partial = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
    }
    ASSERT_GE(partial, half) << "the first half did not arrive";
    DWORD pressed = GetTickCount();
    ASSERT_TRUE(qpktest::pressButton(progress, IDCANCEL));
    auto r = program_->wait();
    EXPECT_LT(GetTickCount() - pressed, 10000u) << "the setup waited for the server";
    EXPECT_EQ(r.exitCode, 0u);
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "] Download canceled\n")) << log;
    EXPECT_TRUE(leftInTmp().empty()) << "the setup left " << leftInTmp()[0];
    EXPECT_EQ(installMarker("InstallStarted"), -1);
    EXPECT_FALSE(fileExists(record_));
}
