#include "jre/DistributionNames.h"

#include <algorithm>

#include "jre/Version.h"

namespace qpk {

namespace {

constexpr size_t kMaxName = 255;     // registry key names and NTFS names are no longer
constexpr size_t kMaxPath = 259;     // MAX_PATH without its terminator
const char kJavaExeTail[] = "\\bin\\java.exe";

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isPrintable(char c) { return static_cast<unsigned char>(c) >= 0x20 && c != 0x7f; }

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

}  // namespace

bool isSafeName(const std::string& name) {
    if (name.empty() || name.size() > kMaxName || name == "." || name == "..") return false;
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7f) return false;
        if (c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
            c == '|')
            return false;
    }
    return true;
}

bool versionFromName(const std::string& name, std::string& version) {
    if (!isSafeName(name)) return false;
    size_t at = 0;
    while (at < name.size() && isAsciiLetter(name[at])) ++at;
    if (at > 0 && at < name.size() && name[at] == '-') ++at;
    if (at >= name.size() || !isDigit(name[at])) return false;
    size_t end = at;
    while (end < name.size() && (isDigit(name[end]) || name[end] == '.' || name[end] == '_' || name[end] == '+' ||
                                 name[end] == '-'))
        ++end;
    while (!isDigit(name[end - 1])) --end;  // "jdk-11-" names 11, not "11-"
    version = name.substr(at, end - at);
    return true;
}

bool usableHome(const std::string& value, std::string& home) {
    std::string path = value;
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    bool drive = path.size() >= 3 && isAsciiLetter(path[0]) && path[1] == ':' && path[2] == '\\';
    bool unc = path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
    if (!drive && !unc) return false;
    if (path.size() + sizeof kJavaExeTail - 1 > kMaxPath) return false;
    if (!std::all_of(path.begin(), path.end(), isPrintable)) return false;
    if (path.find_first_of("*?\"<>|/") != std::string::npos || path.find(':', 2) != std::string::npos) return false;
    if (path.size() == 3) path.pop_back();  // a drive root: "C:" + "\bin\java.exe"
    home = path;
    return true;
}

std::vector<DistributionRuntime> newestFirst(std::vector<DistributionRuntime> candidates) {
    std::vector<DistributionRuntime> unique;
    for (DistributionRuntime& c : candidates) {
        std::string key = lowerAscii(c.home);
        bool seen = std::any_of(unique.begin(), unique.end(),
                                [&](const DistributionRuntime& u) { return lowerAscii(u.home) == key; });
        if (!seen) unique.push_back(std::move(c));
    }
    std::stable_sort(unique.begin(), unique.end(), [](const DistributionRuntime& a, const DistributionRuntime& b) {
        return isNewerVersion(a.version, b.version);
    });
    return unique;
}

}  // namespace qpk
