#include "PackerTestSupport.h"

#include <fstream>
#include <random>
#include <sstream>

#include <zlib.h>

#include "Packer.h"

namespace packertest {
namespace {

void put32(std::string& image, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) image[at + i] = char(v >> (8 * i) & 0xFF);
}

}  // namespace

std::string fakePe(const std::string& tail) {
    std::string image(kFakePayloadStart, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    const size_t pe = 0x40, optionalSize = 0xF0;
    put32(image, 60, pe);
    image.replace(pe, 4, std::string("PE\0\0", 4));
    image[pe + 4] = char(0x64);  // machine x86-64
    image[pe + 5] = char(0x86);
    image[pe + 6] = 2;           // sections
    image[pe + 20] = char(optionalSize);
    const size_t optional = pe + 24;
    image[optional] = 0x0B;      // PE32+
    image[optional + 1] = 0x02;
    put32(image, optional + 32, 0x1000);  // section alignment
    put32(image, optional + 36, 0x200);   // file alignment
    put32(image, optional + 56, 0x3000);  // SizeOfImage
    put32(image, optional + 60, 0x200);   // SizeOfHeaders
    put32(image, optional + 108, 16);     // data directories
    size_t sections = optional + optionalSize;
    for (int i = 0; i < 2; ++i) {
        size_t header = sections + 40 * i;
        image.replace(header, 5, i ? ".data" : ".text");
        put32(image, header + 8, 0x180);                // VirtualSize
        put32(image, header + 12, 0x1000 + 0x1000 * i); // VirtualAddress
        put32(image, header + 16, 0x200);               // SizeOfRawData
        put32(image, header + 20, 0x200 + 0x200 * i);   // PointerToRawData
    }
    for (size_t at = 0x200; at < kFakePayloadStart; ++at) image[at] = char(at * 7);
    return image + tail;
}

std::string imageWithoutChecksum(const std::string& setup) {
    std::string image = setup.substr(0, kFakePayloadStart);
    image.replace(0x40 + 24 + 64, 4, 4, '\0');
    return image;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

uint32_t crcOf(const std::string& bytes, uint64_t from, uint64_t count) {
    return uint32_t(crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes.data() + from), uInt(count)));
}

void PackerTest::SetUp() {
    std::random_device random;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info->name();
    for (char& c : name)
        if (c == '/') c = '_';  // parameterised tests are named "Case/N"
    dir_ = std::filesystem::temp_directory_path() / ("qpkpack-" + name + "-" + std::to_string(random()));
    std::filesystem::create_directories(dir_);
    launcher_ = path("launcher.exe");
    out_ = path("out.exe");
    writeFile(launcher_, fakePe());
}

void PackerTest::TearDown() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

int PackerTest::pack(const std::string& json) {
    error_.clear();
    return qpkpack::buildFromJson(launcher_, json, dir_.string(), out_, error_);
}

qpk::ConfigBlock PackerTest::parsedBlock() {
    qpk::MemorySource source(readFile(out_));
    qpk::ConfigBlock block;
    source.seek(kFakePayloadStart);
    EXPECT_TRUE(qpk::parseConfigBlock(source, block).ok());
    return block;
}

}  // namespace packertest
