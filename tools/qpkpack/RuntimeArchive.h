// The Java runtime a setup carries, as the payload file "jre.tar.gz": a runtime directory
// written as a gzip-compressed GNU tar (long names as 'L' entries; sorted by name, with the
// files that symbolic links lead to, and the same owner, mode and time for every entry, so
// that the same runtime always gives the same bytes), or a ready .tar.gz taken as it is. Either is read back with the launcher's own tar reader before it is
// packed, so a setup never carries an archive that the launcher would refuse.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

namespace qpkpack {

// The payload name of the runtime archive.
constexpr const char* kRuntimeArchiveName = "jre.tar.gz";

// The modification time of every entry the packer writes: 1980-01-01, which every archive
// and file-time format can hold, unless SOURCE_DATE_EPOCH says otherwise.
constexpr int64_t kDefaultEntryTime = 315532800;

// The entry time from the value of SOURCE_DATE_EPOCH (null when unset): decimal seconds
// since 1970. Anything else is an error, as reproducible builds expect.
bool entryTime(const char* sourceDateEpoch, int64_t& seconds, std::string& why);

// Fills `archive` with the file to pack: `source` itself when it is a file, otherwise
// `scratch`, written from the directory `source` (streamed, file by file). `tarSize` is
// the archive's uncompressed size. On failure `why` says what is wrong.
bool prepareRuntimeArchive(const std::filesystem::path& source, const std::filesystem::path& scratch,
                           std::filesystem::path& archive, uint64_t& tarSize, std::string& why);

}  // namespace qpkpack
