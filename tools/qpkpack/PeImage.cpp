#include "PeImage.h"

#include <algorithm>

#include "ByteOrder.h"

namespace qpkpack {
namespace {

constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kMaxDirectories = 16;
constexpr uint32_t kMaxFileAlignment = 0x10000;
constexpr uint32_t kInitializedReadableData = 0x40000040;  // IMAGE_SCN_CNT_INITIALIZED_DATA | MEM_READ

bool isPowerOfTwo(uint32_t v) { return v && !(v & (v - 1)); }

uint64_t alignUp(uint64_t v, uint32_t alignment) { return (v + alignment - 1) / alignment * alignment; }

uint64_t sectionEnd(const PeSection& s) { return uint64_t(s.virtualAddress) + std::max(s.virtualSize, s.rawSize); }

void writeSectionTable(std::string& image, const PeHeaders& pe) {
    setU16(image, pe.fileHeader + 2, uint32_t(pe.sections.size()));
    for (size_t i = 0; i < pe.sections.size(); ++i) {
        const PeSection& s = pe.sections[i];
        size_t at = pe.sectionTable + kSectionHeaderSize * i;
        std::string name = s.name.substr(0, 8);
        image.replace(at, 8, name + std::string(8 - name.size(), '\0'));
        setU32(image, at + 8, s.virtualSize);
        setU32(image, at + 12, s.virtualAddress);
        setU32(image, at + 16, s.rawSize);
        setU32(image, at + 20, s.rawPointer);
        setU32(image, at + 36, s.characteristics);
    }
}

// SizeOfImage covers every section; SizeOfInitializedData follows the change in raw size.
void updateSizes(std::string& image, const PeHeaders& pe, int64_t rawGrowth) {
    uint64_t end = 0;
    for (const PeSection& s : pe.sections) end = std::max(end, sectionEnd(s));
    setU32(image, pe.optionalHeader + 56, uint32_t(alignUp(end, pe.sectionAlignment)));
    setU32(image, pe.optionalHeader + 8, uint32_t(getU32(image, pe.optionalHeader + 8) + rawGrowth));
}

// Nothing may point into the sections from `first` on but the resource directory (which
// starts at that section) and the base relocations (which fill a later one): those two are
// the only references that can follow a move. Everything before lies wholly before it.
bool canRebuildInPlace(const std::string& image, const PeHeaders& pe, size_t first) {
    DataDirectory relocations = dataDirectory(image, pe, kRelocationDirectory);
    for (unsigned i = 0; i < pe.directoryCount; ++i) {
        DataDirectory d = dataDirectory(image, pe, i);
        bool followsAMove = i == kResourceDirectory || i == kRelocationDirectory || i == kCertificateDirectory;
        if (!followsAMove && d.address >= pe.sections[first].virtualAddress) return false;
    }
    const PeSection& holder = pe.sections[first];
    for (size_t k = 0; k < first; ++k)
        if (pe.sections[k].rawPointer + uint64_t(pe.sections[k].rawSize) > holder.rawPointer ||
            sectionEnd(pe.sections[k]) > holder.virtualAddress)
            return false;
    for (size_t k = first + 1; k < pe.sections.size(); ++k) {
        const PeSection& s = pe.sections[k];
        const PeSection& before = pe.sections[k - 1];
        if (s.virtualAddress != relocations.address || s.rawSize == 0 || s.virtualAddress < before.virtualAddress ||
            s.rawPointer < before.rawPointer + before.rawSize)
            return false;
    }
    return true;
}

// A rebuilt image and where its resource directory now lies.
struct Placement {
    std::string image;
    DataDirectory directory;
    int64_t rawGrowth = 0;
};

// The holder section gets the new directory; the relocation sections behind it move up or
// down with their data directory.
Placement rebuildInPlace(const std::string& image, const PeHeaders& pe, PeHeaders& next, size_t holder,
                         const std::function<std::string(uint32_t rva)>& build) {
    Placement p;
    PeSection& s = next.sections[holder];
    std::string directory = build(s.virtualAddress);
    p.directory = {s.virtualAddress, uint32_t(directory.size())};
    p.image = image.substr(0, s.rawPointer) + directory;
    p.image.resize(size_t(alignUp(p.image.size(), pe.fileAlignment)), '\0');
    uint32_t rawSize = uint32_t(p.image.size() - s.rawPointer);
    p.rawGrowth = int64_t(rawSize) - s.rawSize;
    s.virtualSize = uint32_t(directory.size());
    s.rawSize = rawSize;
    uint64_t va = alignUp(sectionEnd(s), pe.sectionAlignment);
    for (size_t k = holder + 1; k < next.sections.size(); ++k) {
        PeSection& moved = next.sections[k];
        p.image += image.substr(moved.rawPointer, moved.rawSize);
        moved.rawPointer = uint32_t(p.image.size() - moved.rawSize);
        moved.virtualAddress = uint32_t(va);
        setDataDirectory(p.image, pe, kRelocationDirectory,
                         {moved.virtualAddress, dataDirectory(image, pe, kRelocationDirectory).size});
        va = alignUp(sectionEnd(moved), pe.sectionAlignment);
    }
    return p;
}

// A new last section behind everything, when there is room for its header.
bool appendSection(const std::string& image, const PeHeaders& pe, PeHeaders& next,
                   const std::function<std::string(uint32_t rva)>& build, Placement& p, std::string& why) {
    uint64_t headerEnd = pe.sectionTable + kSectionHeaderSize * (pe.sections.size() + 1);
    uint64_t firstRaw = pe.sizeOfHeaders;
    uint64_t end = 0;
    for (const PeSection& s : pe.sections) {
        if (s.rawSize) firstRaw = std::min<uint64_t>(firstRaw, s.rawPointer);
        end = std::max(end, sectionEnd(s));
    }
    if (headerEnd > firstRaw) {
        why = "no room for another section header";
        return false;
    }
    PeSection s;
    s.name = ".rsrc";
    s.virtualAddress = uint32_t(alignUp(end, pe.sectionAlignment));
    s.characteristics = kInitializedReadableData;
    std::string directory = build(s.virtualAddress);
    p.directory = {s.virtualAddress, uint32_t(directory.size())};
    p.image = image;
    p.image.resize(size_t(alignUp(p.image.size(), pe.fileAlignment)), '\0');
    s.rawPointer = uint32_t(p.image.size());
    p.image += directory;
    p.image.resize(size_t(alignUp(p.image.size(), pe.fileAlignment)), '\0');
    s.virtualSize = uint32_t(directory.size());
    s.rawSize = uint32_t(p.image.size() - s.rawPointer);
    p.rawGrowth = s.rawSize;
    next.sections.push_back(s);
    return true;
}

}  // namespace

bool parsePeHeaders(const std::string& image, PeHeaders& out, std::string& why) {
    PeHeaders pe;
    if (!fits(image, 60, 4)) {
        why = "the DOS header is truncated";
        return false;
    }
    uint64_t peOffset = getU32(image, 60);
    if (!fits(image, peOffset, 24) || image.compare(size_t(peOffset), 4, std::string("PE\0\0", 4)) != 0) {
        why = "no PE signature";
        return false;
    }
    pe.fileHeader = uint32_t(peOffset + 4);
    pe.optionalHeader = pe.fileHeader + 20;
    uint32_t optionalSize = getU16(image, pe.fileHeader + 16);
    uint32_t sectionCount = getU16(image, pe.fileHeader + 2);
    if (!fits(image, pe.optionalHeader, optionalSize) || optionalSize < 2) {
        why = "the optional header is truncated";
        return false;
    }
    uint16_t magic = getU16(image, pe.optionalHeader);
    if (magic != kMagicPe32 && magic != kMagicPe32Plus) {
        why = "unknown optional header magic " + std::to_string(magic);
        return false;
    }
    uint32_t countField = magic == kMagicPe32 ? 92 : 108;
    if (optionalSize < countField + 4) {
        why = "the optional header is truncated";
        return false;
    }
    pe.directoryTable = pe.optionalHeader + countField + 4;
    pe.directoryCount = std::min(getU32(image, pe.optionalHeader + countField), kMaxDirectories);
    if (countField + 4 + 8 * pe.directoryCount > optionalSize) {
        why = "the data directories run past the optional header";
        return false;
    }
    pe.sectionAlignment = getU32(image, pe.optionalHeader + 32);
    pe.fileAlignment = getU32(image, pe.optionalHeader + 36);
    pe.sizeOfHeaders = getU32(image, pe.optionalHeader + 60);
    // The file alignment pads what the packer writes; the format allows at most 64 KiB.
    if (!isPowerOfTwo(pe.fileAlignment) || !isPowerOfTwo(pe.sectionAlignment) ||
        pe.sectionAlignment < pe.fileAlignment || pe.fileAlignment > kMaxFileAlignment) {
        why = "the section and file alignments are not powers of two up to the format's limits";
        return false;
    }
    pe.sectionTable = pe.optionalHeader + optionalSize;
    if (!fits(image, pe.sectionTable, uint64_t(kSectionHeaderSize) * sectionCount)) {
        why = "the section table is truncated";
        return false;
    }
    for (uint32_t i = 0; i < sectionCount; ++i) {
        size_t at = pe.sectionTable + kSectionHeaderSize * i;
        PeSection s;
        s.name = image.substr(at, 8);
        s.name.resize(std::min(s.name.find('\0'), s.name.size()));
        s.virtualSize = getU32(image, at + 8);
        s.virtualAddress = getU32(image, at + 12);
        s.rawSize = getU32(image, at + 16);
        s.rawPointer = getU32(image, at + 20);
        s.characteristics = getU32(image, at + 36);
        if (!fits(image, s.rawPointer, s.rawSize)) {
            why = "section " + std::to_string(i) + " runs past the end of the image";
            return false;
        }
        pe.sections.push_back(s);
    }
    out = pe;
    return true;
}

DataDirectory dataDirectory(const std::string& image, const PeHeaders& pe, unsigned index) {
    if (index >= pe.directoryCount) return {};
    return {getU32(image, pe.directoryTable + 8 * index), getU32(image, pe.directoryTable + 8 * index + 4)};
}

void setDataDirectory(std::string& image, const PeHeaders& pe, unsigned index, DataDirectory d) {
    if (index >= pe.directoryCount) return;
    setU32(image, pe.directoryTable + 8 * index, d.address);
    setU32(image, pe.directoryTable + 8 * index + 4, d.size);
}

bool rvaToOffset(const PeHeaders& pe, uint32_t rva, uint32_t size, uint32_t& offset) {
    for (const PeSection& s : pe.sections) {
        if (rva < s.virtualAddress) continue;
        uint64_t within = rva - s.virtualAddress;
        if (within + size <= s.rawSize) {
            offset = uint32_t(s.rawPointer + within);
            return true;
        }
    }
    return false;
}

bool replaceResourceDirectory(std::string& image, PeHeaders& pe,
                              const std::function<std::string(uint32_t rva)>& build, std::string& why) {
    if (pe.directoryCount <= kResourceDirectory) {
        why = "the image has no resource directory entry";
        return false;
    }
    DataDirectory current = dataDirectory(image, pe, kResourceDirectory);
    size_t holder = pe.sections.size();
    for (size_t i = 0; i < pe.sections.size(); ++i)
        if (current.address && pe.sections[i].virtualAddress == current.address && pe.sections[i].rawSize) holder = i;

    PeHeaders next = pe;
    Placement placed;
    if (holder < pe.sections.size() && canRebuildInPlace(image, pe, holder))
        placed = rebuildInPlace(image, pe, next, holder, build);
    else if (!appendSection(image, pe, next, build, placed, why))
        return false;
    writeSectionTable(placed.image, next);
    setDataDirectory(placed.image, next, kResourceDirectory, placed.directory);
    updateSizes(placed.image, next, placed.rawGrowth);
    image.swap(placed.image);
    return parsePeHeaders(image, pe, why);
}

void PeChecksum::add(const char* data, size_t count) {
    for (size_t i = 0; i < count; ++i, ++length_) sum_ += uint64_t(uint8_t(data[i])) << (8 * (length_ & 1));
}

void PeChecksum::addAt(uint64_t offset, const std::string& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) sum_ += uint64_t(uint8_t(bytes[i])) << (8 * ((offset + i) & 1));
}

// The 16-bit words summed with end-around carry, plus the file's length.
uint32_t PeChecksum::value() const {
    uint64_t folded = sum_;
    while (folded >> 16) folded = (folded & 0xFFFF) + (folded >> 16);
    return uint32_t(folded + length_);
}

}  // namespace qpkpack
