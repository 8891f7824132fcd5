// Message boxes of a real GUI-subsystem program under the virtual display: found by the
// child's process id, read, answered, and the answer seen in the child's exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BuildPaths.h"
#include "MessageBoxes.h"
#include "Process.h"

using namespace qpktest;

namespace {

constexpr DWORD kFindTimeoutMs = 20000;

RunningProgram showBox(const std::string& caption, const std::string& text, UINT type) {
  RunOptions options;
  options.program = helperPath("boxshow");
  options.args = {caption, text, std::to_string(type)};
  options.timeoutMs = 60000;
  return RunningProgram(options);
}

std::vector<std::pair<int, std::string>> buttonsOf(const MessageBoxInfo& box) {
  std::vector<std::pair<int, std::string>> out;
  for (const BoxButton& b : box.buttons) out.emplace_back(b.id, b.text);
  return out;
}

const char kLogQuestion[] =
    "The following log file will be created:\n\nC:\\users\\x\\Temp\\quillpack.log\n\n"
    "Do you want to open an Explorer window?";

}  // namespace

struct Answer {
  std::string how;  // pressed by "text" or by "id"
  int id;
  std::string text;
};

class YesNoBox : public testing::TestWithParam<Answer> {};

TEST_P(YesNoBox, IsReadAndAnswered) {
  const Answer& answer = GetParam();
  RunningProgram child = showBox("quillpack", kLogQuestion, MB_YESNO | MB_ICONQUESTION);
  ASSERT_TRUE(child.started());

  std::optional<MessageBoxInfo> box = findMessageBox(child.processId(), kFindTimeoutMs);
  ASSERT_TRUE(box) << "no message box of pid " << child.processId();
  EXPECT_EQ(box->caption, "quillpack");
  EXPECT_EQ(box->text, kLogQuestion);
  EXPECT_EQ(box->texts, std::vector<std::string>{kLogQuestion});
  EXPECT_EQ(buttonsOf(*box), (std::vector<std::pair<int, std::string>>{{IDYES, "Yes"}, {IDNO, "No"}}));

  ASSERT_TRUE(answer.how == "id" ? pressButton(*box, answer.id) : pressButton(*box, answer.text));
  RunResult result = child.wait();
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, static_cast<DWORD>(answer.id));
}

INSTANTIATE_TEST_SUITE_P(Buttons, YesNoBox,
                         testing::Values(Answer{"text", IDNO, "No"}, Answer{"id", IDYES, "Yes"}),
                         [](const testing::TestParamInfo<Answer>& info) {
                           return info.param.text + "By" + info.param.how;
                         });

TEST(MessageBoxes, ErrorBoxWithNonAnsiCaptionShowsOnlyItsText) {
  const std::string caption = "Fehler \xE2\x80\x93 \xC3\xA4\xC3\xB6 \xE6\x97\xA5";
  const std::string text = "line one\nline two";
  RunningProgram child = showBox(caption, text, MB_OK | MB_ICONERROR);
  ASSERT_TRUE(child.started());

  std::optional<MessageBoxInfo> box = findMessageBox(child.processId(), kFindTimeoutMs);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, caption);
  EXPECT_EQ(box->texts, std::vector<std::string>{text});  // the icon is no text
  EXPECT_EQ(buttonsOf(*box), (std::vector<std::pair<int, std::string>>{{IDOK, "OK"}}));
  EXPECT_FALSE(pressButton(*box, IDCANCEL));  // not on this box

  ASSERT_TRUE(pressButton(*box, "OK"));
  EXPECT_EQ(child.wait().exitCode, static_cast<DWORD>(IDOK));
}

TEST(MessageBoxes, BoxpressFindsByCaptionPrintsJsonAndPresses) {
  const std::string caption = "boxpress test " + std::to_string(GetCurrentProcessId());
  RunningProgram child = showBox(caption, "Continue?", MB_YESNO);
  ASSERT_TRUE(child.started());

  RunOptions press;
  press.program = helperPath("boxpress");
  press.args = {"--caption", caption, "--timeout", std::to_string(kFindTimeoutMs), "--json",
                "--press", "No"};
  RunResult pressed = runProgram(press);
  ASSERT_TRUE(pressed.started) << pressed.error;
  EXPECT_EQ(pressed.exitCode, 0u) << pressed.stdoutText;
  EXPECT_EQ(pressed.stdoutText, "{\"pid\":" + std::to_string(child.processId()) +
                                    ",\"caption\":\"" + caption +
                                    "\",\"text\":\"Continue?\",\"texts\":[\"Continue?\"],"
                                    "\"buttons\":[{\"id\":6,\"text\":\"Yes\"},"
                                    "{\"id\":7,\"text\":\"No\"}]}\n");
  EXPECT_EQ(child.wait().exitCode, static_cast<DWORD>(IDNO));
}

TEST(MessageBoxes, BoxpressFailsWhenNoBoxAppears) {
  RunOptions press;
  press.program = helperPath("boxpress");
  press.args = {"--caption", "no such box", "--timeout", "300"};
  RunResult result = runProgram(press);
  ASSERT_TRUE(result.started) << result.error;
  EXPECT_EQ(result.exitCode, 1u);
}
