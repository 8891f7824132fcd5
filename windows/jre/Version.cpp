#include "jre/Version.h"

namespace qpk {

namespace {

bool isSeparator(char c) { return c == '.' || c == '_' || c == '-' || c == '+'; }

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// strtol base 10 over one piece: leading white space, a sign, the longest digit run.
int32_t pieceValue(const std::string& text, size_t begin, size_t end) {
    size_t i = begin;
    while (i < end && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    const int64_t limit = negative ? -int64_t(INT32_MIN) : int64_t(INT32_MAX);
    for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value >= limit) {
            value = limit;
            break;
        }
    }
    return int32_t(negative ? -value : value);
}

}  // namespace

VersionList parseVersion(const std::string& text) {
    VersionList out;
    size_t i = 0;
    while (i < text.size()) {
        if (isSeparator(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !isSeparator(text[end])) ++end;
        out.push_back(pieceValue(text, i, end));
        i = end;
    }
    return out;
}

bool checkBound(const VersionList& bound, const VersionList& candidate, bool isUpper, bool lenient) {
    for (size_t i = 0; i < bound.size(); ++i) {
        int32_t value = 0;
        if (i < candidate.size()) {
            value = candidate[i];
        } else if (lenient) {
            return true;
        }
        if (value == bound[i]) continue;
        return isUpper ? value < bound[i] : value > bound[i];
    }
    return true;
}

bool looksLikePreRelease(const std::string& text) {
    return text.find("beta") != std::string::npos || text.find("ea") != std::string::npos ||
           text.find("rc") != std::string::npos;
}

bool matchesVersionRangeLoosely(const std::string& text, const VersionList& min, const VersionList& max) {
    VersionList version = parseVersion(text);
    return checkBound(min, version, false, true) && checkBound(max, version, true, true);
}

bool isNewerVersion(const std::string& a, const std::string& b) {
    VersionList va = parseVersion(a), vb = parseVersion(b);
    for (size_t i = 0; i < va.size(); ++i) {
        if (i >= vb.size()) return true;
        if (va[i] != vb[i]) return va[i] > vb[i];
    }
    return false;
}

}  // namespace qpk
