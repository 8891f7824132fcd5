#include "launcher/ErrorReporting.h"

#include <cstdio>
#include <cstdlib>

#include "common/TextConvert.h"
#include "launcher/LauncherState.h"
#include "launcher/Log.h"
#include "launcher/TempDirectories.h"
#include "payload/Config.h"

namespace qpk {

std::wstring replacePlaceholder(const std::wstring& text, const std::wstring& detail) {
    size_t at = text.find(L"{0}");
    if (at == std::wstring::npos) return text;
    std::wstring out = text;
    out.replace(at, 3, detail);
    return out;
}

void showError(const std::wstring& message) {
    std::wstring text = message;
    std::wstring log = logPathForUser();
    if (!log.empty()) {
        wchar_t longLog[6000];
        DWORD n = GetLongPathNameW(log.c_str(), longLog, 6000);
        text += L"\n\nLog: ";
        text += (n > 0 && n < 6000) ? std::wstring(longLog, n) : log;
    }
    if (gState.guiErrors) {
        MessageBoxW(gState.dialogWindow, text.c_str(), getText(1000).c_str(), MB_ICONERROR);
    } else {
        std::string out = toDisplayNarrow(text, CP_ACP);
        fputs(out.c_str(), stderr);
        fputs("\n", stderr);
        fflush(stderr);
    }
}

void showMessage(int id, const wchar_t* detail) {
    std::wstring text = getText(id);
    if (detail != nullptr) text = replacePlaceholder(text, detail);
    showError(text);
}

void showMessageNarrow(int id, const char* detail8) {
    std::wstring detail;
    if (detail8 != nullptr) {
        std::string capped(detail8, strnlen(detail8, 6000));
        detail = ansiToWide(capped);
    }
    showMessage(id, detail8 ? detail.c_str() : nullptr);
}

void fatalExit(UINT code) {
    removePrivateTempDir();
    ExitProcess(code);
}

void fatalText(const std::wstring& text) {
    showError(text);
    fatalExit(1);
}

void fatalMessage(int id) { fatalText(getWide(id)); }

void fatalMessageWith(int id, const wchar_t* detail) {
    showMessage(id, detail);
    fatalExit(1);
}

void fatalMessageWithNarrow(int id, const char* detail8) {
    showMessageNarrow(id, detail8);
    fatalExit(1);
}

}  // namespace qpk
