// Privileges of the process token.
#pragma once

namespace qpk {

// Switches the named privilege on or off in the process token. True only when Windows
// reports no error afterwards, so a privilege the account does not hold counts as failure.
bool setPrivilege(const wchar_t* name, bool on);

inline bool enablePrivilege(const wchar_t* name) { return setPrivilege(name, true); }

}  // namespace qpk
