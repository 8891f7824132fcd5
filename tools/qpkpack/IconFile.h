// Icons: the images of an .ico file, and the group resource that lists them by id.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qpkpack {

struct IconEntry {
    int width = 0, height = 0;  // pixels; 256 is stored as 0
    uint8_t colorCount = 0;
    uint16_t planes = 0, bitCount = 0;
    uint32_t bytes = 0;
    uint16_t id = 0;            // in a group: the icon resource with the image
    bool png = false;           // a PNG-compressed image (else a DIB)
};

// The entries and images of an .ico file. Each image must be a PNG or a DIB of at most
// 256 pixels a side; `why` names the first that is not.
bool parseIcoFile(const std::string& bytes, std::vector<IconEntry>& entries, std::vector<std::string>& images,
                  std::string& why);

// The group icon resource listing `entries` under their ids.
std::string groupIconData(const std::vector<IconEntry>& entries);

// The entries of a group icon resource (no image data, so `png` stays false).
bool parseGroupIcon(const std::string& data, std::vector<IconEntry>& entries);

// Whether image bytes are PNG-compressed.
bool isPng(const std::string& image);

}  // namespace qpkpack
