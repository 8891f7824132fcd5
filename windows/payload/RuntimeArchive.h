// Untarring a gzip-compressed tar archive (an included or downloaded runtime) into a
// directory, with the progress dialog's bar moving from 100 to 200.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "payload/TarHeader.h"

namespace qpk {

// Data is read in chunks of at most this many bytes and written in batches of at most that.
constexpr unsigned kTarCopyChunk = 32768;
constexpr size_t kTarWriteBatch = 1 << 20;

// Unpacks `archive` into `targetDir` (which must exist), the current directory while it
// runs. `totalSize` (the uncompressed size) only scales the progress; 0 leaves the bar.
// False when the archive is unreadable, truncated, inconsistent or names an entry outside
// the target; a file that cannot be created is fatal.
bool untarGz(const std::string& archive, const std::string& targetDir, HWND dialog, long totalSize);

// One regular file of `size` bytes from the archive into `name` (relative to the current
// directory). Fatal when the file cannot be created.
bool extractTarEntry(TarStream& in, const std::string& name, int64_t size, HWND dialog, long totalSize);

}  // namespace qpk
