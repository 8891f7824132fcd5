#include "natives/AccountText.h"

#include <cwchar>

namespace qpk {

const wchar_t* serviceAccountForSid(const wchar_t* sid) {
    if (sid == nullptr) return nullptr;
    if (std::wcscmp(sid, L"S-1-5-18") == 0) return L"NT AUTHORITY\\System";
    if (std::wcscmp(sid, L"S-1-5-19") == 0) return L"NT AUTHORITY\\LocalService";
    if (std::wcscmp(sid, L"S-1-5-20") == 0) return L"NT AUTHORITY\\NetworkService";
    return nullptr;
}

bool isBuiltinAliasSid(const wchar_t* sid) {
    return sid != nullptr && std::wcsncmp(sid, L"S-1-5-32-", 9) == 0;
}

std::wstring formatAccountName(const std::wstring& name, const std::wstring& domain, const wchar_t* sid,
                               bool nameOnly) {
    if (nameOnly) return name;
    if (!isBuiltinAliasSid(sid) && !domain.empty()) return domain + L"\\" + name;
    return L".\\" + name;
}

}  // namespace qpk
