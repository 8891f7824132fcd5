// The parts of the version check that read the configuration and write the log.
#include "jre/Version.h"

#include "launcher/Log.h"
#include "payload/Config.h"

namespace qpk {

namespace {

constexpr size_t kBoundCapacity = 6000;

VersionList configuredBound(int id) {
    char buffer[kBoundCapacity];
    getNarrow(id, buffer, sizeof buffer);
    return parseVersion(buffer);
}

}  // namespace

bool matchesVersionRange(const std::string& text, const VersionList& min, const VersionList& max,
                         bool allowPreRelease) {
    if (!allowPreRelease && getInt(130) == 0 && looksLikePreRelease(text)) {
        logLine(L"beta vm not allowed");
        return false;
    }
    VersionList version = parseVersion(text);
    return checkBound(min, version, false, false) && checkBound(max, version, true, false);
}

VersionList configuredMinimum() { return configuredBound(126); }
VersionList configuredMaximum() { return configuredBound(127); }

}  // namespace qpk
