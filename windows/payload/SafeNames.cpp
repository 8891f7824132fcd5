#include "payload/SafeNames.h"

#include <cctype>
#include <string>

namespace qpk {

namespace {

bool isDeviceName(std::string_view part) {
    // "CON.txt" and "CON .txt" open the console too: the device is the part before the
    // first dot, blanks before that dot dropped.
    std::string_view base = part.substr(0, part.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    std::string upper;
    for (char c : base) upper += char(std::toupper((unsigned char)c));
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" ||
        upper == "CONOUT$")
        return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

}  // namespace

bool isSafeNamePart(std::string_view part) {
    if (part.empty() || part.find(':') != std::string_view::npos) return false;
    if (part.back() == '.' || part.back() == ' ') return false;  // also every part of only dots and blanks
    return !isDeviceName(part);
}

bool isSafeRelativePath(std::string_view path, bool trailingSeparatorAllowed) {
    if (trailingSeparatorAllowed && !path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.remove_suffix(1);
    for (;;) {
        size_t end = path.find_first_of("\\/");
        if (!isSafeNamePart(path.substr(0, end))) return false;
        if (end == std::string_view::npos) return true;
        path.remove_prefix(end + 1);
    }
}

}  // namespace qpk
