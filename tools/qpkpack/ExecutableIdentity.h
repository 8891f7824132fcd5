// The setup's own identity, from the manifest's "executable": its icon, its version
// information and the execution level of its application manifest, written into the
// launcher's resources; and their description for inspect.
#pragma once
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "PeImage.h"

namespace qpkpack {

struct ExecutableIdentity {
    std::string iconSource;                // as given; empty keeps the launcher's icon
    std::filesystem::path iconPath;
    std::string versionResource;           // a built VS_VERSIONINFO; empty adds none
    std::string executionLevel;            // empty keeps the launcher's
    bool changesImage() const { return !iconSource.empty() || !versionResource.empty() || !executionLevel.empty(); }
};

// The icon resource that the launcher's windows and Explorer show.
constexpr uint16_t kSetupIconId = 1001;

// Rewrites the resources of `image` (headers `pe`, read again afterwards): icon group 1001
// and its images replaced by the icon file's, the version resource replaced, the execution
// level set. Errors about the manifest's fields start with `origin` and the field name.
bool applyIdentity(std::string& image, PeHeaders& pe, const ExecutableIdentity& identity, const std::string& origin,
                   std::string& error);

// {"icon": [...], "versionInfo": {...}, "executionLevel": ..., "certificateTable": {...}},
// each only when the image has it.
nlohmann::ordered_json describeIdentity(const std::string& image, const PeHeaders& pe);

}  // namespace qpkpack
