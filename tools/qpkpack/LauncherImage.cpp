#include "LauncherImage.h"

#include <cstring>

#include "FileSource.h"
#include "Quoted.h"

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

bool readImage(qpk::ByteSource& source, const qpk::PeLayout& layout, std::string& image) {
    std::string bytes(size_t(layout.payloadStart), '\0');
    size_t got = 0;
    if (!source.seek(0) || !source.read(&bytes[0], bytes.size(), got) || got != bytes.size()) return false;
    image.swap(bytes);
    return true;
}

bool loadLauncherImage(const std::string& path, const ExecutableIdentity& identity, const std::string& origin,
                       std::string& image, PeHeaders& pe, std::string& error) {
    FileSource launcher;
    qpk::PeLayout layout;
    std::string why;
    bool opened = launcher.open(path);
    bool isImage = opened && readImageLayout(launcher, layout, why);
    if (!opened || (isImage && !readImage(launcher, layout, image))) {
        error = "launcher: cannot read " + inQuotes(path);
        return false;
    }
    if (!isImage || !parsePeHeaders(image, pe, why)) {
        error = "launcher: " + inQuotes(path) + " is not a PE file: " + why;
        return false;
    }
    // A signature of the launcher (or of a signed setup) would not match the new file.
    setDataDirectory(image, pe, kCertificateDirectory, {});
    if (identity.changesImage() && !applyIdentity(image, pe, identity, origin, error)) return false;
    image.replace(pe.checksumField(), 4, 4, '\0');
    return true;
}

}  // namespace qpkpack
