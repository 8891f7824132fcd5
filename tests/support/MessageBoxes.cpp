#include "MessageBoxes.h"

#include <cstdio>

#include "Utf8.h"

namespace qpktest {
namespace {

// Message boxes give their text control this id (on Windows and in Wine alike).
constexpr int kMessageTextId = 0xFFFF;

std::wstring windowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

std::wstring className(HWND window) {
  wchar_t name[64];
  int n = GetClassNameW(window, name, 64);
  return std::wstring(name, n > 0 ? static_cast<size_t>(n) : 0);
}

// "&Yes" is shown as "Yes"; "&&" as "&".
std::string withoutAccessKey(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return narrow(out);
}

BOOL CALLBACK collectChild(HWND child, LPARAM param) {
  auto& box = *reinterpret_cast<MessageBoxInfo*>(param);
  // Wine's template holds every possible button and hides those not asked for.
  if (!IsWindowVisible(child)) return TRUE;
  std::wstring cls = className(child);
  if (CompareStringOrdinal(cls.c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL) {
    box.buttons.push_back({GetDlgCtrlID(child), withoutAccessKey(windowText(child)), child});
  } else if (CompareStringOrdinal(cls.c_str(), -1, L"Static", -1, TRUE) == CSTR_EQUAL) {
    std::string text = narrow(windowText(child));
    if (GetDlgCtrlID(child) == kMessageTextId) box.text = text;
    if (!text.empty()) box.texts.push_back(text);
  }
  return TRUE;
}

struct Search {
  const BoxQuery* query;
  std::optional<MessageBoxInfo> found;
};

BOOL CALLBACK considerTopLevel(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<Search*>(param);
  // Invisible means not yet initialised: the texts are set before the box is shown.
  if (!IsWindowVisible(window) || className(window) != search.query->windowClass) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (search.query->processId && pid != search.query->processId) return TRUE;
  std::string caption = narrow(windowText(window));
  if (!search.query->caption.empty() && caption != search.query->caption) return TRUE;
  if (!search.query->anyDialog && !GetDlgItem(window, kMessageTextId)) return TRUE;
  MessageBoxInfo box;
  box.window = window;
  box.processId = pid;
  box.caption = caption;
  EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&box));
  search.found = std::move(box);
  return FALSE;
}

void appendJsonString(std::string& out, const std::string& text) {
  out += '"';
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

}  // namespace

const BoxButton* MessageBoxInfo::button(const std::string& wanted) const {
  for (const BoxButton& b : buttons) {
    if (b.text == wanted) return &b;
  }
  return nullptr;
}

const BoxButton* MessageBoxInfo::button(int id) const {
  for (const BoxButton& b : buttons) {
    if (b.id == id) return &b;
  }
  return nullptr;
}

std::optional<MessageBoxInfo> findMessageBox(const BoxQuery& query, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    Search search{&query, std::nullopt};
    EnumWindows(considerTopLevel, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (GetTickCount() - start >= timeoutMs) return std::nullopt;
    Sleep(20);
  }
}

std::optional<MessageBoxInfo> findMessageBox(DWORD processId, DWORD timeoutMs) {
  BoxQuery query;
  query.processId = processId;
  return findMessageBox(query, timeoutMs);
}

bool pressButton(const MessageBoxInfo& box, int buttonId) {
  const BoxButton* b = box.button(buttonId);
  if (!b || !IsWindow(box.window)) return false;
  // What a click makes the button send; posted, so a box that is closing cannot block us.
  return PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(b->id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(b->window));
}

bool pressButton(const MessageBoxInfo& box, const std::string& buttonText) {
  const BoxButton* b = box.button(buttonText);
  return b && pressButton(box, b->id);
}

std::string toJson(const MessageBoxInfo& box) {
  std::string out = "{\"pid\":" + std::to_string(box.processId) + ",\"caption\":";
  appendJsonString(out, box.caption);
  out += ",\"text\":";
  appendJsonString(out, box.text);
  out += ",\"texts\":[";
  for (size_t i = 0; i < box.texts.size(); ++i) {
    if (i) out += ',';
    appendJsonString(out, box.texts[i]);
  }
  out += "],\"buttons\":[";
  for (size_t i = 0; i < box.buttons.size(); ++i) {
    if (i) out += ',';
    out += "{\"id\":" + std::to_string(box.buttons[i].id) + ",\"text\":";
    appendJsonString(out, box.buttons[i].text);
    out += '}';
  }
  out += "]}";
  return out;
}

}  // namespace qpktest
