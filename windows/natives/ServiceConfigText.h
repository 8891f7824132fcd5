// Texts handed to the service control manager when a service's configuration changes.
#pragma once
#include <string>

namespace qpk {

// The double-NUL-terminated dependency list of a comma-separated text: each non-empty piece
// with its NUL, then one more NUL; a null or empty text gives the empty list (two NULs), which
// removes every dependency. False when the list would exceed `capacity` characters with its
// NULs; `out` is then unchanged.
bool buildDependencyList(const wchar_t* commaSeparated, std::size_t capacity, std::wstring& out);

// The account name to configure: the local system account's two spellings (exact case only)
// become "LocalSystem"; anything else, null included, is passed on as it is.
const wchar_t* serviceAccountName(const wchar_t* account);

}  // namespace qpk
