#include "DialogControls.h"

#include "Utf8.h"

namespace qpknatives {

namespace {

struct Search {
    std::wstring className, text;
    std::optional<Control> found;
};

BOOL CALLBACK consider(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    wchar_t cls[64], text[256];
    if (!IsWindowVisible(child) || !GetClassNameW(child, cls, 64)) return TRUE;
    GetWindowTextW(child, text, 256);
    if (CompareStringOrdinal(cls, -1, search->className.c_str(), -1, TRUE) != CSTR_EQUAL ||
        (!search->text.empty() && search->text != text))
        return TRUE;
    search->found = Control{child, GetDlgCtrlID(child)};
    return FALSE;
}

// Sent with a bound wait, so that a hung dialog fails the test instead of blocking it.
LRESULT send(HWND window, UINT message, WPARAM w, LPARAM l, bool& delivered) {
    DWORD_PTR result = 0;
    delivered = SendMessageTimeoutW(window, message, w, l, SMTO_ABORTIFHUNG, 5000, &result) != 0;
    return LRESULT(result);
}

}  // namespace

std::optional<qpktest::MessageBoxInfo> waitForDialog(DWORD processId, const std::string& caption) {
    qpktest::BoxQuery query;
    query.processId = processId;
    query.caption = caption;
    query.anyDialog = true;
    return qpktest::findMessageBox(query, 30000);
}

std::optional<Control> findControl(HWND dialog, const std::string& className, const std::string& text) {
    Search search{qpktest::widen(className), qpktest::widen(text), std::nullopt};
    EnumChildWindows(dialog, consider, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool typeText(HWND edit, const std::string& text) {
    std::wstring wide = qpktest::widen(text);
    bool delivered = false;
    return send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), delivered) == TRUE && delivered;
}

bool click(HWND button) {
    bool delivered = false;
    send(button, BM_CLICK, 0, 0, delivered);
    return delivered;
}

bool isChecked(HWND button) {
    bool delivered = false;
    return send(button, BM_GETCHECK, 0, 0, delivered) == BST_CHECKED && delivered;
}

bool pressCommand(HWND dialog, int id) { return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) != 0; }

}  // namespace qpknatives
