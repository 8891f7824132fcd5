#include "common/TextConvert.h"

namespace qpk {

UINT fileApiCodePage() { return AreFileApisANSI() ? CP_ACP : CP_OEMCP; }

bool toNarrow(const std::wstring& wide, std::string& out) {
    if (wide.empty()) {
        out.clear();
        return true;
    }
    UINT cp = fileApiCodePage();
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, wide.data(), (int)wide.size(), nullptr, 0, "?",
                                &usedDefault);
    if (n <= 0 || usedDefault) return false;
    std::string result(n, '\0');
    usedDefault = FALSE;
    n = WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, wide.data(), (int)wide.size(), result.data(), n, "?",
                            &usedDefault);
    if (n <= 0 || usedDefault) return false;
    result.resize(n);
    out.swap(result);
    return true;
}

static std::wstring widen(UINT cp, const std::string& narrow) {
    if (narrow.empty()) return {};
    int n = MultiByteToWideChar(cp, 0, narrow.data(), (int)narrow.size(), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(n, L'\0');
    n = MultiByteToWideChar(cp, 0, narrow.data(), (int)narrow.size(), out.data(), n);
    out.resize(n > 0 ? n : 0);
    return out;
}

std::wstring toWide(const std::string& narrow) { return widen(fileApiCodePage(), narrow); }

std::wstring ansiToWide(const std::string& narrow) { return widen(CP_ACP, narrow); }

std::string toDisplayNarrow(const std::wstring& wide, UINT codePage) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(codePage, 0, wide.data(), (int)wide.size(), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(n, '\0');
    n = WideCharToMultiByte(codePage, 0, wide.data(), (int)wide.size(), out.data(), n, nullptr, nullptr);
    out.resize(n > 0 ? n : 0);
    return out;
}

std::u16string toU16(const std::wstring& w) { return std::u16string(w.begin(), w.end()); }
std::wstring fromU16(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace qpk
