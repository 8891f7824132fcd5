#include "natives/ServiceConfigText.h"

#include <cwchar>

namespace qpk {

bool buildDependencyList(const wchar_t* commaSeparated, std::size_t capacity, std::wstring& out) {
    std::wstring list;
    if (commaSeparated != nullptr) {
        for (const wchar_t* p = commaSeparated; *p != L'\0';) {
            const wchar_t* end = std::wcschr(p, L',');
            if (end == nullptr) end = p + std::wcslen(p);
            if (end != p) {
                list.append(p, end);
                list.push_back(L'\0');
            }
            p = *end == L',' ? end + 1 : end;
        }
    }
    if (list.empty()) list.push_back(L'\0');
    list.push_back(L'\0');
    if (list.size() > capacity) return false;
    out = std::move(list);
    return true;
}

const wchar_t* serviceAccountName(const wchar_t* account) {
    if (account != nullptr &&
        (std::wcscmp(account, L"NT AUTHORITY\\System") == 0 || std::wcscmp(account, L"NT AUTHORITY\\LocalSystem") == 0)) {
        return L"LocalSystem";
    }
    return account;
}

}  // namespace qpk
