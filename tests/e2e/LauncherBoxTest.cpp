// The launcher's own message boxes on the virtual display: found by process id, read and
// answered, with the answer's effect seen from outside.
#include <windows.h>

#include <gtest/gtest.h>

#include "BuildPaths.h"
#include "MessageBoxes.h"
#include "SetupFixture.h"
#include "Utf8.h"

using namespace qpke2e;

namespace {

constexpr DWORD kFindTimeoutMs = 20000;

std::string longPath(const std::string& path) {
    wchar_t buf[MAX_PATH * 4];
    DWORD n = GetLongPathNameW(qpktest::widen(path).c_str(), buf, MAX_PATH * 4);
    return n ? qpktest::narrow(std::wstring(buf, n)) : path;
}

}  // namespace

class LauncherBox : public SetupTest {
protected:
    // Starts the setup, waits for its box, checks it and presses `button`; returns the box.
    qpktest::MessageBoxInfo answer(const std::vector<std::string>& args, int button, DWORD& exitCode,
                                   const std::string& program = std::string()) {
        qpktest::RunOptions o = options({});
        o.args = args;
        if (!program.empty()) o.program = program;
        qpktest::RunningProgram child(o);
        EXPECT_TRUE(child.started());
        std::optional<qpktest::MessageBoxInfo> box = qpktest::findMessageBox(child.processId(), kFindTimeoutMs);
        EXPECT_TRUE(box) << "no message box of pid " << child.processId();
        if (!box) return {};
        EXPECT_TRUE(qpktest::pressButton(*box, button));
        qpktest::RunResult r = child.wait();
        EXPECT_FALSE(r.timedOut);
        exitCode = r.exitCode;
        return *box;
    }
};

TEST_F(LauncherBox, LogFileQuestionNamesTheLogAndNoOpensNothing) {
    pack(installerManifest());
    DWORD exitCode = 99;
    qpktest::MessageBoxInfo box = answer({"-create-qpk-log"}, IDNO, exitCode);
    EXPECT_EQ(exitCode, 0u);
    std::vector<std::string> found = logs();
    ASSERT_EQ(found.size(), 1u) << "the log is kept";
    EXPECT_EQ(box.caption, "quillpack");
    EXPECT_EQ(box.text, "The following log file will be created:\n\n" + longPath(found[0]) +
                            "\n\nDo you want to open an Explorer window?");
    ASSERT_EQ(box.buttons.size(), 2u);
    EXPECT_EQ(box.buttons[0].id, IDYES);
    EXPECT_EQ(box.buttons[1].id, IDNO);
    EXPECT_EQ(onlyLog().find("explorer.exe /select,"), std::string::npos);
}

TEST_F(LauncherBox, LogFileQuestionCaptionIsTheProductWord) {
    pack(installerManifest("", "c"));
    DWORD exitCode = 99;
    EXPECT_EQ(answer({"/create-cvo-log"}, IDNO, exitCode).caption, "corvo");
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(LauncherBox, FatalReadErrorsShowTheirMessageAndTheLog) {
    pack(R"({"narrow": {"107": "1", "2001": "q-narrow-text"}, "wide": {"1000": "Setup"}, "files": []})");
    uint64_t payloadStart = 0;
    std::vector<uint64_t> fields = blockFieldStarts(setup(), payloadStart);
    ASSERT_GT(fields.size(), 12u);
    std::string whole = readFile(setup());
    size_t narrowText = whole.find("q-narrow-text", size_t(payloadStart));
    size_t wideText = whole.find(std::string("S\0e\0t\0u\0p\0", 10), size_t(payloadStart));
    ASSERT_NE(narrowText, std::string::npos);
    ASSERT_NE(wideText, std::string::npos);
    std::string broken = dir() + "\\broken.exe";

    struct Case {
        std::string bytes;
        std::string message;
    };
    std::string badMagic = whole;
    badMagic[size_t(payloadStart)] ^= 0x10;
    // Reads: 0 magic, 1 flag, 2 CRC, 3 checked length.
    const Case cases[] = {
        {whole.substr(0, size_t(payloadStart)), "Internal Error: readInt"},
        {whole.substr(0, size_t(fields[3] + 5)), "Internal Error: readLong"},
        {whole.substr(0, narrowText + 3), "Internal Error: readString"},
        {whole.substr(0, wideText - 2), "Internal Error: readWString"},
        {badMagic, "Internal Error: magic"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        clearLogs();
        writeFile(broken, c.bytes);
        DWORD exitCode = 99;
        qpktest::MessageBoxInfo box = answer({}, IDOK, exitCode, broken);
        EXPECT_EQ(exitCode, 1u);
        std::vector<std::string> found = logs();
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(box.text, c.message + "\n\nLog: " + longPath(found[0]));
        // The configuration was never loaded, so the caption text is empty.
        EXPECT_EQ(box.caption, "");
    }
}
