// Two version texts (split at the first NUL) through the parser and every comparison.
#include "FuzzInput.h"
#include "jre/Version.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text = qpkfuzz::bytes(data, size);
    size_t nul = text.find('\0');
    std::string a = text.substr(0, nul);
    std::string b = nul == std::string::npos ? std::string() : text.substr(nul + 1);
    qpk::VersionList va = qpk::parseVersion(a), vb = qpk::parseVersion(b);
    for (bool upper : {false, true})
        for (bool lenient : {false, true}) qpk::checkBound(va, vb, upper, lenient);
    qpk::matchesVersionRangeLoosely(a, vb, vb);
    qpk::looksLikePreRelease(a);
    // Strictly newer is asymmetric.
    if (qpk::isNewerVersion(a, b) && qpk::isNewerVersion(b, a)) __builtin_trap();
    return 0;
}
