// Extraction of the payload files into the private temporary directory: one record per
// name of entry 2003 (at most entry 2002 of them), each an int64 length and the bytes
// masked with kPayloadMask.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "payload/ByteSource.h"

namespace qpk {

// A file is copied in chunks of at most this many bytes. Each call has a fixed cost under
// Wine: 6000-byte chunks made extraction four times slower than CopyFileW, 1 MiB ones put
// it ahead (bench/run).
constexpr size_t kCopyChunk = 1 << 20;

// Results of extractFiles, extractOne and copyMasked.
constexpr int kExtractOk = 0;
constexpr int kExtractReadFailed = 1;   // reading the executable failed, or its names are unsafe
constexpr int kExtractWriteFailed = 2;  // writing a target file failed

// The names of entry 2003: split at ';', empty names left out.
std::vector<std::string> payloadFileNames(const std::string& joined);

// True when a file of this name, created under a directory, stays inside it: a plain name
// or one directory level ("dir\file"), no forward slash, and every part safe by
// isSafeNamePart (no drive, stream, "..", device name, trailing dot or blank).
bool isSafeFileName(const std::string& name);

// The first name that is not safe, or nullptr when all are.
const std::string* firstUnsafeName(const std::vector<std::string>& names);

// Extracts every file into gState.tempDir (the current directory). A name list with an
// unsafe name is refused as a corrupt payload before anything is written.
int extractFiles();

// One record at the source's position: creates `targetPath` unless the length is <= 0.
int extractOne(ByteSource& file, const std::string& targetPath);

// Copies `length` bytes from `source` to `target`, unmasking them when asked.
int copyMasked(ByteSource& source, HANDLE target, int64_t length, bool unmask);

// The file position right after the last extracted record (0 until files were extracted);
// whatever follows it belongs to later stages.
uint32_t unextractedPosition();

// What a caller does with a failed extraction: message 20018 for a write failure, 20016
// otherwise (both skipped in quiet runs), then the fatal exit with code 1.
[[noreturn]] void failExtraction(int result);

}  // namespace qpk
