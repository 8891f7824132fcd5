#include "LauncherImage.h"

#include <cstring>

namespace qpkpack {
namespace {

bool bytesAt(qpk::ByteSource& s, uint64_t at, const char* expected, size_t n) {
    char buf[4];
    size_t got = 0;
    return s.seek(at) && s.read(buf, n, got) && got == n && std::memcmp(buf, expected, n) == 0;
}

}  // namespace

bool readImageLayout(qpk::ByteSource& source, qpk::PeLayout& layout, std::string& why) {
    if (!bytesAt(source, 0, "MZ", 2)) {
        why = "no MZ signature";
        return false;
    }
    if (!qpk::readPeLayout(source, layout).ok()) {
        why = "the PE headers are truncated";
        return false;
    }
    if (!bytesAt(source, uint32_t(layout.peHeaderOffset), "PE\0\0", 4)) {
        why = "no PE signature";
        return false;
    }
    if (layout.sectionCount == 0) {
        why = "the image has no sections";
        return false;
    }
    if (layout.payloadStart > source.size()) {
        why = "the last section ends at " + std::to_string(layout.payloadStart) + ", past the end of the file (" +
              std::to_string(source.size()) + " bytes)";
        return false;
    }
    return true;
}

}  // namespace qpkpack
