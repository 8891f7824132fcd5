// The packer's manifest: JSON describing the configuration texts and the payload files,
// checked completely and converted to the block's encodings before anything is written.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "ExecutableIdentity.h"
#include "payload/ConfigBlock.h"

namespace qpkpack {

struct PayloadFile {
    std::string name;                 // as given, UTF-8
    std::string source;               // as given, for messages
    std::filesystem::path path;       // resolved against the base directory
};

struct Manifest {
    bool integrity = true;
    int codePage = 1252;
    // Texts already in the block's encodings, in manifest order; the file count and
    // file names entries are included (filled in unless the manifest sets them).
    std::vector<std::pair<int32_t, std::string>> narrow;
    std::vector<std::pair<int32_t, std::u16string>> wide;
    std::vector<qpk::LanguageSection> languages;
    std::vector<std::string> warnings;  // things the setup lacks that do not stop the build
    std::vector<PayloadFile> files;
    // The Java runtime carried as "jre.tar.gz": a directory or a ready .tar.gz.
    bool hasRuntime = false;
    std::string runtimeSource;
    std::filesystem::path runtimePath;
    bool hasTrailer = false;
    std::string trailerSource;
    std::filesystem::path trailerPath;
    ExecutableIdentity executable;
};

// Parses and validates `json`. On failure `error` names the offending field, e.g.
// `narrow."12x": id is not a decimal integer`. Sources are not opened here.
bool parseManifest(const std::string& json, const std::filesystem::path& baseDir, Manifest& out,
                   std::string& error);

}  // namespace qpkpack
