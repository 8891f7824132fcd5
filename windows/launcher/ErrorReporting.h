// User-visible error reports and the fatal exit. Texts come from the configuration block.
#pragma once
#include <windows.h>

#include <string>

namespace qpk {

// Shows `text` (with the log's path appended when there is a log): a message box when
// errors go to the GUI, otherwise standard error.
void showError(const std::wstring& text);

// Configuration message `id` with its first "{0}" replaced by `detail` (when given).
void showMessage(int id, const wchar_t* detail);
void showMessageNarrow(int id, const char* detail8);

// Removes the private temporary directory (not in a language restart) and ends the process.
[[noreturn]] void fatalExit(UINT code);
[[noreturn]] void fatalText(const std::wstring& text);
[[noreturn]] void fatalMessage(int id);
[[noreturn]] void fatalMessageWith(int id, const wchar_t* detail);
[[noreturn]] void fatalMessageWithNarrow(int id, const char* detail8);

// `text` with its first "{0}" replaced; unchanged when it has none.
std::wstring replacePlaceholder(const std::wstring& text, const std::wstring& detail);

}  // namespace qpk
