// Operating another process's dialog from outside, as a user would: the controls below a
// dialog window, typing into an edit field, clicking a button or check box.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "MessageBoxes.h"

namespace qpknatives {

struct Control {
    HWND window;
    std::string className;
    int id;
    std::string text;
};

// Every visible control below the dialog, at any depth, in enumeration order.
std::vector<Control> visibleControls(HWND dialog);

// The first visible control of the class (case-blind) and, if given, the text.
std::optional<Control> findControl(HWND dialog, const std::string& className, const std::string& text = "");

// The dialog of the process with exactly this caption, waited for.
std::optional<qpktest::MessageBoxInfo> waitForDialog(DWORD processId, const std::string& caption, DWORD timeoutMs = 30000);

bool typeText(HWND edit, const std::string& text);
// A click as the mouse would make it; the control tells its parent as usual.
bool click(HWND button);
bool isChecked(HWND button);
// The button's command as if clicked, posted to the dialog.
bool pressCommand(HWND dialog, int id);

}  // namespace qpknatives
