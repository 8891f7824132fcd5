// A PE resource directory as a flat list of resources (type, name, language, data), read
// from an image and built again for a given RVA.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "PeImage.h"

namespace qpkpack {

constexpr uint16_t kResourceIcon = 3;
constexpr uint16_t kResourceGroupIcon = 14;
constexpr uint16_t kResourceVersion = 16;
constexpr uint16_t kResourceManifest = 24;

// A type or name: a number, or a string when `text` is not empty.
struct ResourceKey {
    uint16_t id = 0;
    std::u16string text;
    bool operator==(const ResourceKey& o) const { return id == o.id && text == o.text; }
    bool is(uint16_t number) const { return text.empty() && id == number; }
};

struct Resource {
    ResourceKey type, name;
    uint16_t language = 0;
    uint32_t codePage = 0;
    std::string data;
};

// The resources of `image`, in directory order; none when it has no resource directory.
// A directory that points outside the image or loops is an error.
bool readResources(const std::string& image, const PeHeaders& pe, std::vector<Resource>& out, std::string& why);

// The directory for `resources` placed at `rva`: the tables (named entries first, each
// level sorted), then the data entries, the names and the data, each item 8-byte aligned.
std::string buildResourceDirectory(std::vector<Resource> resources, uint32_t rva);

}  // namespace qpkpack
