#pragma once
// Finds a message box (or another dialog) shown by a program under test, reads what it
// says and presses one of its buttons. Needs a display: without one no box ever appears.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qpktest {

struct BoxButton {
  int id = 0;        // IDOK, IDYES, IDNO, ... for message boxes
  std::string text;  // as shown, without the '&' that marks the access key
  HWND window = nullptr;
};

struct MessageBoxInfo {
  HWND window = nullptr;
  DWORD processId = 0;
  std::string caption;
  std::string text;                // the message (empty for dialogs that are no message box)
  std::vector<std::string> texts;  // every visible non-empty static text, the message included
  std::vector<BoxButton> buttons;  // visible buttons in dialog order

  const BoxButton* button(const std::string& text) const;
  const BoxButton* button(int id) const;
};

struct BoxQuery {
  DWORD processId = 0;  // 0: any process
  std::string caption;  // empty: any caption; otherwise it must be equal
  bool anyDialog = false;  // also match dialogs without a message text (e.g. a progress dialog)
  std::wstring windowClass = L"#32770";  // dialogs of a class of their own name it here
};

// Waits until a visible top-level dialog that matches appears.
std::optional<MessageBoxInfo> findMessageBox(const BoxQuery& query, DWORD timeoutMs);
std::optional<MessageBoxInfo> findMessageBox(DWORD processId, DWORD timeoutMs);

// Clicks the button as the user would; the box then returns its id. False when the box
// has no such visible button or is gone.
bool pressButton(const MessageBoxInfo& box, int buttonId);
bool pressButton(const MessageBoxInfo& box, const std::string& buttonText);

// The box as JSON: {"pid":..,"caption":"..","text":"..","texts":[..],"buttons":[{"id":..,"text":".."}]}
std::string toJson(const MessageBoxInfo& box);

}  // namespace qpktest
