// Registry keys and values for the Registry natives: opening by the Java side's root code and
// view, bounded value reads, enumeration and recursive deletion.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/Owned.h"

namespace qpk {

// 1 HKCR, 2 HKCU, 3 HKLM, 4 HKU, 5 HKCC; nullptr for any other code.
HKEY rootKeyFor(int rootCode);

enum class KeyAccess { Read, Write, Create };

// Opens (or, for Create, creates with missing parents) the key; `view` is OR'ed into the
// access mask. An invalid key on failure; a null path means the root key itself.
UniqueKey openRegistryKey(int rootCode, const wchar_t* path, KeyAccess access, REGSAM view);

// Reads a value of any size; false (outputs unchanged) if it is missing or unreadable.
bool readRegistryValue(HKEY key, const wchar_t* name, DWORD& type, std::vector<uint8_t>& data);

enum class KeyNames { SubKeys, Values };

// The names in enumeration order. A name longer than the 4,096-character buffer is left out;
// any other error ends the list.
std::vector<std::wstring> enumerateKeyNames(HKEY key, KeyNames which);

enum class KeyContent { Empty, Missing, NotEmpty };

// Whether the key holds neither subkeys nor values. NotEmpty also when it cannot be opened
// for writing or queried, unless it does not exist at all.
KeyContent keyContent(int rootCode, const wchar_t* path, REGSAM view);

// Deletes the key and everything below it, deepest keys first; failures are silent.
void deleteKeyTree(HKEY parent, const wchar_t* name, REGSAM view);

}  // namespace qpk
