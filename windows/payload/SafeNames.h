// The one rule for names that the launcher creates below a directory of its own: payload
// file names and the entries of an included runtime archive. Pure, so that it can be
// table-tested and fuzzed.
#pragma once
#include <string_view>

namespace qpk {

// A name part that Windows creates as itself, inside the directory: not empty, no colon
// (drive or stream), not made only of dots and blanks ("." and ".." among them), no
// trailing dot or blank (Win32 drops them, so "a." would meet "a"), and not a DOS device
// name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$), with or without extension.
bool isSafeNamePart(std::string_view part);

// A relative path whose parts, split at '\' and '/', are all safe: so no root, no drive,
// no "..". One trailing separator (a directory entry of an archive) is allowed when asked.
bool isSafeRelativePath(std::string_view path, bool trailingSeparatorAllowed);

}  // namespace qpk
