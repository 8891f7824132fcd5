// The configuration of this installer: 8-bit and wide texts by numeric id, loaded once from
// the block behind the executable's image and read-only afterwards. An absent id reads as
// empty text or 0.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "launcher/LauncherState.h"

namespace qpk {

// Loads the block (fatal on any read error), applies the language sections for the chosen
// locale and returns entry 107. Clears `guiErrors` unless entry 107 is 1 or 5.
int loadConfiguration(const ArgumentVector& arguments);

// Installs maps directly (for tests of the accessors).
void setConfiguration(std::map<int32_t, std::string> narrow, std::map<int32_t, std::wstring> wide);

// Wide entry, at most 5999 units.
std::wstring getWide(int id);
// 8-bit entry converted to UTF-16, at most `capacity` − 1 units.
std::wstring getWideFromNarrow(int id, size_t capacity = 6000);
// Copies at most `capacity` − 1 bytes and terminates; logs when the entry was longer.
// Returns the number of bytes copied.
size_t getNarrow(int id, char* buffer, size_t capacity);
std::string dupNarrow(int id);
// Base-10 integer with strtol's rules over the entry as read by getNarrow(6000).
long getInt(int id);
// The wide entry when non-empty, else the 8-bit entry widened.
std::wstring getText(int id);

// Where the block starts (the payload start) and where the file records begin.
uint64_t payloadStart();
uint64_t fileAreaStart();

}  // namespace qpk
