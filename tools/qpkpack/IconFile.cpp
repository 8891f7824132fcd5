#include "IconFile.h"

#include "ByteOrder.h"

namespace qpkpack {
namespace {

constexpr size_t kHeaderSize = 6, kFileEntrySize = 16, kGroupEntrySize = 14;
constexpr int kMaxSide = 256;
const char kPngSignature[] = "\x89PNG\r\n\x1a\n";

uint32_t bigEndian32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 | uint32_t(uint8_t(b[at + 2])) << 8 |
           uint8_t(b[at + 3]);
}

// The fields an .ico file's entry and a group resource's entry share.
IconEntry entryAt(const std::string& b, size_t at) {
    IconEntry e;
    e.width = uint8_t(b[at]) ? uint8_t(b[at]) : kMaxSide;
    e.height = uint8_t(b[at + 1]) ? uint8_t(b[at + 1]) : kMaxSide;
    e.colorCount = uint8_t(b[at + 2]);
    e.planes = getU16(b, at + 4);
    e.bitCount = getU16(b, at + 6);
    e.bytes = getU32(b, at + 8);
    return e;
}

bool inRange(int64_t v, int64_t low, int64_t high) { return v >= low && v <= high; }

// The image must be what the entry says it is, so that Windows can draw it.
bool checkImage(const std::string& image, IconEntry& entry, std::string& why) {
    if (isPng(image)) {
        entry.png = true;
        if (image.size() < 33 || image.compare(12, 4, "IHDR") != 0) {
            why = "a PNG image without its header";
            return false;
        }
        if (!inRange(bigEndian32(image, 16), 1, kMaxSide) || !inRange(bigEndian32(image, 20), 1, kMaxSide)) {
            why = "a PNG image larger than 256 pixels";
            return false;
        }
        if (entry.bitCount == 0) entry.bitCount = 32;
    } else {
        if (image.size() < 40 || getU32(image, 0) < 40 || getU32(image, 0) > image.size()) {
            why = "neither a PNG nor a bitmap image";
            return false;
        }
        int32_t width = int32_t(getU32(image, 4)), height = int32_t(getU32(image, 8));
        uint16_t bits = getU16(image, 14);
        if (!inRange(width, 1, kMaxSide) || !inRange(height, 1, 2 * kMaxSide) || getU16(image, 12) != 1 ||
            !(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32)) {
            why = "a bitmap image with a bad header";
            return false;
        }
        if (entry.bitCount == 0) entry.bitCount = bits;
    }
    if (entry.planes == 0) entry.planes = 1;
    return true;
}

}  // namespace

bool isPng(const std::string& image) { return image.compare(0, 8, kPngSignature, 8) == 0; }

bool parseIcoFile(const std::string& bytes, std::vector<IconEntry>& entries, std::vector<std::string>& images,
                  std::string& why) {
    if (bytes.size() < kHeaderSize || getU16(bytes, 0) != 0 || getU16(bytes, 2) != 1) {
        why = "no icon file header";
        return false;
    }
    size_t count = getU16(bytes, 4);
    if (count == 0 || !fits(bytes, kHeaderSize, kFileEntrySize * count)) {
        why = count ? "the image list is truncated" : "it holds no image";
        return false;
    }
    std::vector<IconEntry> foundEntries;
    std::vector<std::string> foundImages;
    for (size_t i = 0; i < count; ++i) {
        size_t at = kHeaderSize + kFileEntrySize * i;
        IconEntry e = entryAt(bytes, at);
        uint32_t offset = getU32(bytes, at + 12);
        std::string problem;
        if (e.bytes == 0 || !fits(bytes, offset, e.bytes)) problem = "its data lies outside the file";
        if (problem.empty()) {
            foundImages.push_back(bytes.substr(offset, e.bytes));
            checkImage(foundImages.back(), e, problem);
        }
        if (!problem.empty()) {
            why = "image " + std::to_string(i + 1) + " (" + std::to_string(e.width) + "x" + std::to_string(e.height) +
                  "): " + problem;
            return false;
        }
        foundEntries.push_back(e);
    }
    entries = std::move(foundEntries);
    images = std::move(foundImages);
    return true;
}

std::string groupIconData(const std::vector<IconEntry>& entries) {
    std::string b;
    putU16(b, 0);
    putU16(b, 1);
    putU16(b, uint32_t(entries.size()));
    for (const IconEntry& e : entries) {
        b += char(e.width & 0xFF);  // 256 is stored as 0
        b += char(e.height & 0xFF);
        b += char(e.colorCount);
        b += '\0';
        putU16(b, e.planes);
        putU16(b, e.bitCount);
        putU32(b, e.bytes);
        putU16(b, e.id);
    }
    return b;
}

bool parseGroupIcon(const std::string& data, std::vector<IconEntry>& entries) {
    if (data.size() < kHeaderSize || getU16(data, 2) != 1) return false;
    size_t count = getU16(data, 4);
    if (!fits(data, kHeaderSize, kGroupEntrySize * count)) return false;
    entries.clear();
    for (size_t i = 0; i < count; ++i) {
        size_t at = kHeaderSize + kGroupEntrySize * i;
        IconEntry e = entryAt(data, at);
        e.id = getU16(data, at + 12);
        entries.push_back(e);
    }
    return true;
}

}  // namespace qpkpack
