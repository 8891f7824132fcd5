// Finds a message box of another program, prints what it shows and optionally presses
// one of its buttons.
//   boxpress [--pid N] [--caption TEXT] [--timeout MS] [--any-dialog] [--json]
//            [--press ID|TEXT]
// Plain output: "caption: ...", "text: ..." for every static text, "button: ID TEXT".
// Exit codes: 0 found (and pressed), 1 no box in time, 2 bad arguments or press failed.
#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <string>

#include "MessageBoxes.h"
#include "Utf8.h"

namespace {

void put(const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

bool isNumber(const std::wstring& s) {
  if (s.empty()) return false;
  for (wchar_t c : s) {
    if (!std::iswdigit(c)) return false;
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  qpktest::BoxQuery query;
  DWORD timeoutMs = 10000;
  bool json = false;
  std::wstring press;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == L"--pid" && hasValue) {
      query.processId = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
    } else if (arg == L"--caption" && hasValue) {
      query.caption = qpktest::narrow(argv[++i]);
    } else if (arg == L"--timeout" && hasValue) {
      timeoutMs = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
    } else if (arg == L"--press" && hasValue) {
      press = argv[++i];
    } else if (arg == L"--any-dialog") {
      query.anyDialog = true;
    } else if (arg == L"--json") {
      json = true;
    } else {
      put("usage: boxpress [--pid N] [--caption TEXT] [--timeout MS] [--any-dialog] [--json] "
          "[--press ID|TEXT]\n");
      return 2;
    }
  }

  std::optional<qpktest::MessageBoxInfo> box = qpktest::findMessageBox(query, timeoutMs);
  if (!box) {
    put(json ? "null\n" : "no message box\n");
    return 1;
  }
  if (json) {
    put(qpktest::toJson(*box) + "\n");
  } else {
    put("caption: " + box->caption + "\n");
    for (const std::string& text : box->texts) put("text: " + text + "\n");
    for (const qpktest::BoxButton& b : box->buttons) {
      put("button: " + std::to_string(b.id) + " " + b.text + "\n");
    }
  }
  if (press.empty()) return 0;
  bool pressed = isNumber(press)
                     ? qpktest::pressButton(*box, static_cast<int>(std::wcstol(press.c_str(), nullptr, 10)))
                     : qpktest::pressButton(*box, qpktest::narrow(press));
  return pressed ? 0 : 2;
}
