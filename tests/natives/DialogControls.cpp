#include "DialogControls.h"

#include "Utf8.h"

namespace qpknatives {

namespace {

const UINT kSendTimeoutMs = 5000;

std::wstring textOf(HWND window) {
    wchar_t buffer[512];
    int n = GetWindowTextW(window, buffer, 512);
    return std::wstring(buffer, n > 0 ? size_t(n) : 0);
}

BOOL CALLBACK collect(HWND child, LPARAM data) {
    if (!IsWindowVisible(child)) return TRUE;
    wchar_t cls[64];
    int n = GetClassNameW(child, cls, 64);
    auto* controls = reinterpret_cast<std::vector<Control>*>(data);
    controls->push_back({child, qpktest::narrow(std::wstring(cls, n > 0 ? size_t(n) : 0)), GetDlgCtrlID(child),
                         qpktest::narrow(textOf(child))});
    return TRUE;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return CompareStringOrdinal(qpktest::widen(a).c_str(), -1, qpktest::widen(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::vector<Control> visibleControls(HWND dialog) {
    std::vector<Control> controls;
    EnumChildWindows(dialog, collect, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

std::optional<Control> findControl(HWND dialog, const std::string& className, const std::string& text) {
    for (const Control& c : visibleControls(dialog))
        if (sameIgnoringCase(c.className, className) && (text.empty() || c.text == text)) return c;
    return std::nullopt;
}

std::optional<qpktest::MessageBoxInfo> waitForDialog(DWORD processId, const std::string& caption, DWORD timeoutMs) {
    qpktest::BoxQuery query;
    query.processId = processId;
    query.caption = caption;
    query.anyDialog = true;
    return qpktest::findMessageBox(query, timeoutMs);
}

bool typeText(HWND edit, const std::string& text) {
    std::wstring wide = qpktest::widen(text);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG,
                               kSendTimeoutMs, &result) != 0 &&
           result == TRUE;
}

bool click(HWND button) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) != 0;
}

bool isChecked(HWND button) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) != 0 &&
           result == BST_CHECKED;
}

bool pressCommand(HWND dialog, int id) {
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) != 0;
}

}  // namespace qpknatives
