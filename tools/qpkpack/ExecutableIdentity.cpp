#include "ExecutableIdentity.h"

#include <algorithm>
#include <set>

#include "AppManifest.h"
#include "CodePage.h"
#include "FileSource.h"
#include "IconFile.h"
#include "Quoted.h"
#include "ResourceTree.h"
#include "VersionResource.h"

namespace qpkpack {
namespace {

using Json = nlohmann::ordered_json;

constexpr uint16_t kApplicationManifestId = 1;  // CREATEPROCESS_MANIFEST_RESOURCE_ID

bool isGroup1001(const Resource& r) { return r.type.is(kResourceGroupIcon) && r.name.is(kSetupIconId); }

// Group 1001 and the images only it uses make way for the icon file's images, under the
// lowest free icon ids and `language`, the one the group had.
void replaceIcon(std::vector<Resource>& resources, uint16_t language, const std::vector<IconEntry>& entries,
                 const std::vector<std::string>& images) {
    std::set<uint16_t> dropped, kept;
    for (const Resource& r : resources) {
        std::vector<IconEntry> group;
        if (!r.type.is(kResourceGroupIcon) || !parseGroupIcon(r.data, group)) continue;
        for (const IconEntry& e : group) (isGroup1001(r) ? dropped : kept).insert(e.id);
    }
    resources.erase(std::remove_if(resources.begin(), resources.end(),
                                   [&](const Resource& r) {
                                       return isGroup1001(r) || (r.type.is(kResourceIcon) && r.name.text.empty() &&
                                                                 dropped.count(r.name.id) && !kept.count(r.name.id));
                                   }),
                    resources.end());
    std::set<uint16_t> used;
    for (const Resource& r : resources)
        if (r.type.is(kResourceIcon) && r.name.text.empty()) used.insert(r.name.id);
    std::vector<IconEntry> group = entries;
    uint16_t id = 1;
    for (size_t i = 0; i < group.size(); ++i, ++id) {
        while (used.count(id)) ++id;
        group[i].id = id;
        resources.push_back({{kResourceIcon, {}}, {id, {}}, language, 0, images[i]});
    }
    resources.push_back({{kResourceGroupIcon, {}}, {kSetupIconId, {}}, language, 0, groupIconData(group)});
}

uint16_t iconLanguage(const std::vector<Resource>& resources) {
    for (const Resource& r : resources)
        if (isGroup1001(r)) return r.language;
    return 0;
}

Json describeIcon(const std::vector<Resource>& resources) {
    Json images = Json::array();
    for (const Resource& r : resources) {
        std::vector<IconEntry> group;
        if (!isGroup1001(r) || !parseGroupIcon(r.data, group)) continue;
        for (const IconEntry& e : group) {
            auto image = std::find_if(resources.begin(), resources.end(), [&](const Resource& i) {
                return i.type.is(kResourceIcon) && i.name.is(e.id) && i.language == r.language;
            });
            Json j = {{"width", e.width}, {"height", e.height}, {"bitCount", e.bitCount}, {"bytes", e.bytes}};
            if (image == resources.end())
                j["missing"] = true;
            else
                j["png"] = isPng(image->data);
            images.push_back(std::move(j));
        }
        break;
    }
    return images;
}

Json describeVersion(const std::vector<Resource>& resources) {
    for (const Resource& r : resources) {
        VersionInfo info;
        if (!r.type.is(kResourceVersion) || !parseVersionResource(r.data, info)) continue;
        Json strings = Json::object();
        for (const auto& [name, value] : info.strings) strings[utf16ToUtf8(name)] = utf16ToUtf8(value);
        return {{"fileVersion", versionText(info.fileVersion)},
                {"productVersion", versionText(info.productVersion)},
                {"table", utf16ToUtf8(info.table)},
                {"strings", std::move(strings)}};
    }
    return nullptr;
}

}  // namespace

bool applyIdentity(std::string& image, PeHeaders& pe, const ExecutableIdentity& identity, const std::string& origin,
                   std::string& error) {
    std::vector<Resource> resources;
    std::string why;
    if (!readResources(image, pe, resources, why)) {
        error = "launcher: " + why;
        return false;
    }
    uint16_t language = iconLanguage(resources);
    if (!identity.iconSource.empty()) {
        std::string bytes;
        std::vector<IconEntry> entries;
        std::vector<std::string> images;
        if (!readWholeFile(identity.iconPath, bytes)) {
            error = origin + "executable.icon: cannot read " + inQuotes(identity.iconSource);
            return false;
        }
        if (!parseIcoFile(bytes, entries, images, why)) {
            error = origin + "executable.icon: " + inQuotes(identity.iconSource) + " is not an .ico file: " + why;
            return false;
        }
        replaceIcon(resources, language, entries, images);
    }
    if (!identity.versionResource.empty()) {
        resources.erase(std::remove_if(resources.begin(), resources.end(),
                                       [](const Resource& r) { return r.type.is(kResourceVersion); }),
                        resources.end());
        resources.push_back({{kResourceVersion, {}}, {1, {}}, language, 0, identity.versionResource});
    }
    if (!identity.executionLevel.empty()) {
        auto manifest = std::find_if(resources.begin(), resources.end(), [](const Resource& r) {
            return r.type.is(kResourceManifest) && r.name.is(kApplicationManifestId);
        });
        if (manifest == resources.end()) {
            error = origin + "executable.executionLevel: the launcher has no application manifest";
            return false;
        }
        std::string requested;
        if (!withExecutionLevel(manifest->data, identity.executionLevel, requested)) {
            error = origin + "executable.executionLevel: the launcher's application manifest has no assembly element";
            return false;
        }
        manifest->data = requested;
    }
    if (!replaceResourceDirectory(image, pe, [&](uint32_t rva) { return buildResourceDirectory(resources, rva); },
                                  why)) {
        error = "launcher: cannot rebuild its resources: " + why;
        return false;
    }
    return true;
}

Json describeIdentity(const std::string& image, const PeHeaders& pe) {
    Json j = Json::object();
    std::vector<Resource> resources;
    std::string why;
    if (!readResources(image, pe, resources, why)) {
        j["resourcesDamaged"] = why;
    } else {
        Json icon = describeIcon(resources);
        if (!icon.empty()) j["icon"] = std::move(icon);
        Json version = describeVersion(resources);
        if (!version.is_null()) j["versionInfo"] = std::move(version);
        for (const Resource& r : resources)
            if (r.type.is(kResourceManifest) && r.name.is(kApplicationManifestId))
                j["executionLevel"] = executionLevelOf(r.data);
    }
    DataDirectory certificates = dataDirectory(image, pe, kCertificateDirectory);
    if (certificates.address) j["certificateTable"] = {{"offset", certificates.address}, {"size", certificates.size}};
    return j;
}

}  // namespace qpkpack
