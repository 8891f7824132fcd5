// The SID of an account that a caller names either by its SID string or by its name.
#pragma once
#include <windows.h>

#include "common/Owned.h"

namespace qpk {

// Text beginning with "S-" is read as a SID string first; any other text, and an "S-" text
// that is no SID, is looked up as an account name. So a short name such as "WD" is never
// taken for the alias of a well-known group. Invalid for a null account or one that cannot
// be resolved.
UniqueLocalMemory accountSid(const wchar_t* account);

}  // namespace qpk
