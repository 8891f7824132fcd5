// Operating another process's dialog from outside, as a user would.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "MessageBoxes.h"

namespace qpknatives {

// The dialog of the process with exactly this caption, waited for.
std::optional<qpktest::MessageBoxInfo> waitForDialog(DWORD processId, const std::string& caption);

struct Control {
    HWND window;
    int id;
};
// The first visible control below the dialog, at any depth, of the class (case-blind) and,
// if given, with the text.
std::optional<Control> findControl(HWND dialog, const std::string& className, const std::string& text = "");

bool typeText(HWND edit, const std::string& text);
bool click(HWND button);  // as the mouse would; the parent hears of it as usual
bool isChecked(HWND button);
bool pressCommand(HWND dialog, int id);  // posted, as if its button were clicked

}  // namespace qpknatives
