#include "jre/VersionLine.h"

#include <algorithm>
#include <cstring>

namespace qpk {

namespace {

// Length of the version-line prefix `line` begins with, 0 for none.
size_t prefixLength(const std::string& line) {
    static const char* const kPrefixes[] = {"java version \"", "openjdk version \""};
    for (const char* prefix : kPrefixes)
        if (line.compare(0, strlen(prefix), prefix) == 0) return strlen(prefix);
    return 0;
}

}  // namespace

bool versionFromLine(const std::string& line, std::string& version) {
    size_t length = prefixLength(line);
    if (length == 0) return false;
    std::string rest = line.substr(length);
    // Release builds print a date behind the quoted version, which must not count.
    size_t quote = rest.find('"');
    if (quote != std::string::npos) {
        version = rest.substr(0, quote);
        return true;
    }
    if (rest.size() < 2) return false;
    version = rest.substr(0, rest.size() - 2);
    return true;
}

VersionLineSearch findVersionLine(const std::string& output) {
    VersionLineSearch search;
    size_t at = 0;
    for (size_t n = 0; n < kVersionOutputLines && at < output.size(); ++n) {
        size_t end = output.find('\n', at);
        end = end == std::string::npos ? output.size() : end + 1;
        std::string line = output.substr(at, std::min(end - at, kVersionLineCapacity));
        line = line.substr(0, line.find('\0'));
        at = end;
        if (prefixLength(line) != 0) {
            search.found = versionFromLine(line, search.version);
            return search;
        }
        search.skipped.push_back(line);
    }
    return search;
}

}  // namespace qpk
