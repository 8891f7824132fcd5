// Texts of the account natives that need no lookup: the service accounts' names and the
// forms of an account name.
#pragma once
#include <string>

namespace qpk {

// "NT AUTHORITY\System", "...\LocalService" or "...\NetworkService" for the three service
// SIDs, else null.
const wchar_t* serviceAccountForSid(const wchar_t* sid);

// A built-in alias ("S-1-5-32-..."), whose domain is this machine's built-in one, written ".".
bool isBuiltinAliasSid(const wchar_t* sid);

// The name alone; "domain\name"; or ".\name" for a built-in alias or an empty domain.
std::wstring formatAccountName(const std::wstring& name, const std::wstring& domain, const wchar_t* sid,
                               bool nameOnly);

}  // namespace qpk
