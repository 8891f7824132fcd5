// The headers of a PE image held in memory, and the changes the packer makes to them:
// a rebuilt resource directory, a cleared certificate table and the image checksum.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qpkpack {

struct PeSection {
    std::string name;
    uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawPointer = 0, characteristics = 0;
};

struct PeHeaders {
    uint32_t fileHeader = 0;       // file offsets
    uint32_t optionalHeader = 0;
    uint32_t sectionTable = 0;
    uint32_t directoryTable = 0;
    uint32_t directoryCount = 0;
    uint32_t sectionAlignment = 0, fileAlignment = 0, sizeOfHeaders = 0;
    std::vector<PeSection> sections;
    uint32_t checksumField() const { return optionalHeader + 64; }
};

struct DataDirectory {
    uint32_t address = 0, size = 0;  // an RVA, except for the certificate table's file offset
};

constexpr unsigned kResourceDirectory = 2;
constexpr unsigned kCertificateDirectory = 4;
constexpr unsigned kRelocationDirectory = 5;

// Reads and checks the headers of `image` (the bytes up to the end of the last section's
// raw data): a PE32 or PE32+ optional header, sane alignments, every section's raw data
// inside the image. `why` explains a failure.
bool parsePeHeaders(const std::string& image, PeHeaders& out, std::string& why);

// A directory entry; zero when the image has fewer entries.
DataDirectory dataDirectory(const std::string& image, const PeHeaders& pe, unsigned index);
void setDataDirectory(std::string& image, const PeHeaders& pe, unsigned index, DataDirectory d);

// The file offset of `size` bytes at `rva`, when they lie in one section's raw data.
bool rvaToOffset(const PeHeaders& pe, uint32_t rva, uint32_t size, uint32_t& offset);

// Puts the resource directory that `build` makes for a given RVA into the image. The
// section that holds the current directory is rebuilt in place when nothing follows it but
// the base relocations, which are moved behind it; otherwise the directory becomes a new
// last section. Section table, SizeOfImage and the data directory are updated; `pe` is
// read again. Fails (image unchanged) when a new section header has no room.
bool replaceResourceDirectory(std::string& image, PeHeaders& pe,
                              const std::function<std::string(uint32_t rva)>& build, std::string& why);

// The image checksum of a whole file, fed in order; bytes written later over zeros (the
// block's CRC) are added where they land. The checksum field itself must be zero.
class PeChecksum {
public:
    void add(const char* data, size_t count);
    void addAt(uint64_t offset, const std::string& bytes);
    uint32_t value() const;

private:
    uint64_t sum_ = 0;
    uint64_t length_ = 0;
};

}  // namespace qpkpack
