// The installer's locale: chosen from the Windows language ids while the configuration is
// read, and later turned into the JVM's user.language and user.country options.
#pragma once
#include <cstdint>
#include <string>

#include "launcher/LauncherState.h"

namespace qpk {

// The locale text for a Windows language id: an exact row first, then the row of its
// primary language (id & 0x3ff), else "en".
std::string localeForLanguageId(uint16_t id);

// The last "-Dsun.locale.formatasdefault=" element decides; only "=true" gives true.
bool formatAsDefault(const ArgumentVector& arguments);

// Chooses the locale text for this run (logged).
std::string chooseLocale(const ArgumentVector& arguments);

// Stores the language code (first two characters) and, for a five-character text, the
// country code (characters 4 and 5).
void splitLocale(const std::string& localeText);
bool languageCode(std::string& out);
bool countryCode(std::string& out);

}  // namespace qpk
