// Shared fixtures for the packer tests: a minimal PE image, a scratch directory and
// helpers to read back what the packer wrote.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "payload/ConfigBlock.h"

namespace packertest {

// Where the fake image's last section ends.
constexpr uint64_t kFakePayloadStart = 0x600;

// DOS header, PE header, a PE32+ optional header with its alignments, sizes and sixteen
// empty data directories, and two sections (0x200..0x400 and 0x400..0x600) filled with a
// pattern; `tail` is appended after the image.
std::string fakePe(const std::string& tail = "");

// The image part of a setup with its checksum field zeroed, as in fakePe().
std::string imageWithoutChecksum(const std::string& setup);

void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);

uint32_t crcOf(const std::string& bytes, uint64_t from, uint64_t count);

// Each test gets its own directory, holding a fake launcher; removed afterwards.
class PackerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    // Packs the fake launcher with `json` (sources relative to the test directory) into
    // out.exe; returns the packer's result.
    int pack(const std::string& json);

    // Parses the block of out.exe.
    qpk::ConfigBlock parsedBlock();

    std::filesystem::path dir_;
    std::string launcher_, out_, error_;
};

}  // namespace packertest
