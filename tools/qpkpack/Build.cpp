// Writing a setup: the launcher's PE image, then the configuration block and the payload
// records, streamed in chunks with the CRC and the image checksum computed on the way and
// patched in at the end.
#include <algorithm>
#include <fstream>
#include <vector>

#include <zlib.h>

#include "ByteOrder.h"
#include "FileSource.h"
#include "LauncherImage.h"
#include "Manifest.h"
#include "Packer.h"
#include "Quoted.h"
#include "RuntimeArchive.h"
#include "payload/BlockFormat.h"

namespace qpkpack {
namespace {

namespace fs = std::filesystem;

constexpr size_t kChunkSize = 1 << 20;

void putString(std::string& b, const std::string& s) {
    putU32(b, uint32_t(s.size()));
    b += s;
}

void putWideEntries(std::string& b, const std::vector<std::pair<int32_t, std::u16string>>& entries) {
    putU32(b, uint32_t(entries.size()));
    for (const auto& [id, text] : entries) {
        putU32(b, uint32_t(id));
        putU32(b, uint32_t(text.size() * 2));
        for (char16_t c : text) {
            b += char(c & 0xFF);
            b += char(c >> 8);
        }
    }
}

// The tables between the header and the file records; small enough to build in memory.
std::string encodeTables(const Manifest& m) {
    std::string b;
    putU32(b, uint32_t(m.narrow.size()));
    for (const auto& [id, text] : m.narrow) {
        putU32(b, uint32_t(id));
        putString(b, text);
    }
    putWideEntries(b, m.wide);
    putU32(b, uint32_t(m.languages.size()));
    for (const auto& section : m.languages) {
        putString(b, section.code);
        putWideEntries(b, section.entries);
    }
    return b;
}

// The output file, written under a temporary name beside the target and renamed into
// place only when complete, so that a failed build leaves nothing behind.
class Output {
public:
    explicit Output(const std::string& target) : target_(target), temp_(target + ".partial") {}
    ~Output() {
        if (!committed_) {
            out_.close();
            std::error_code ec;
            fs::remove(temp_, ec);
        }
    }

    bool open() {
        out_.open(temp_, std::ios::binary | std::ios::trunc);
        return bool(out_);
    }

    // Bytes of the checked range go into the CRC and the length as they pass; every byte
    // goes into the image checksum, which covers the whole file.
    bool write(const char* data, size_t n, bool checked) {
        if (checked) {
            crc_ = crc32(crc_, reinterpret_cast<const Bytef*>(data), uInt(n));
            checkedLength_ += n;
        }
        checksum_.add(data, n);
        out_.write(data, std::streamsize(n));
        return bool(out_);
    }
    bool write(const std::string& s, bool checked) { return write(s.data(), s.size(), checked); }

    // The CRC fields of the block at `blockStart`, then the image checksum at `checksumAt`
    // (both written as zeros before).
    bool finish(uint64_t blockStart, uint32_t checksumAt) {
        std::string fields, checksum;
        putU32(fields, uint32_t(crc_));
        putU64(fields, checkedLength_);
        out_.seekp(std::streamoff(blockStart + 8));
        out_.write(fields.data(), std::streamsize(fields.size()));
        checksum_.addAt(blockStart + 8, fields);
        putU32(checksum, checksum_.value());
        out_.seekp(std::streamoff(checksumAt));
        out_.write(checksum.data(), std::streamsize(checksum.size()));
        out_.close();
        if (out_.fail()) return false;
        std::error_code ec;
        fs::rename(temp_, target_, ec);
        committed_ = !ec;
        return committed_;
    }

    const std::string& temp() const { return temp_; }

private:
    fs::path target_;
    std::string temp_;
    std::ofstream out_;
    uLong crc_ = crc32(0, nullptr, 0);
    uint64_t checkedLength_ = 0;
    PeChecksum checksum_;
    bool committed_ = false;
};

class Builder {
public:
    // `origin` starts the messages about manifest fields: the manifest's path, or nothing.
    Builder(const std::string& launcherPath, const std::string& outPath, const std::string& origin,
            std::string& error)
        : launcherPath_(launcherPath), origin_(origin), error_(error), runtimeScratch_{outPath + ".jre.partial"},
          out_(outPath), buf_(kChunkSize) {}

    bool run(Manifest m) {
        fs::path runtime;
        std::string image;
        PeHeaders pe;
        if (m.hasRuntime && !prepareRuntime(m, runtime)) return false;
        if (!loadLauncherImage(launcherPath_, m.executable, origin_, image, pe, error_)) return false;
        uint64_t payloadStart = image.size();
        if (!out_.open() || !out_.write(image, false)) return writeFailed();

        std::string header;
        putU32(header, qpk::kBlockMagic);
        putU32(header, m.integrity ? 1 : 0);
        putU32(header, 0);  // CRC and checked length, patched in by finish()
        putU64(header, 0);
        if (!out_.write(header, false) || !out_.write(encodeTables(m), true)) return writeFailed();

        for (size_t i = 0; i < m.files.size(); ++i) {
            std::string field = origin_ + "files[" + std::to_string(i) + "].source";
            if (!copySource(m.files[i].path, m.files[i].source, field, true)) return false;
        }
        if (m.hasRuntime && !copySource(runtime, m.runtimeSource, origin_ + "runtime", true)) return false;
        if (m.hasTrailer && !copySource(m.trailerPath, m.trailerSource, origin_ + "trailer", false)) return false;

        return out_.finish(payloadStart, pe.checksumField()) || writeFailed();
    }

private:
    // The archive is ready (written to a scratch file from a directory) before the block,
    // which holds its uncompressed size as entry 151 unless the manifest sets that.
    bool prepareRuntime(Manifest& m, fs::path& archive) {
        uint64_t tarSize = 0;
        std::string why;
        if (!prepareRuntimeArchive(m.runtimePath, runtimeScratch_.path, archive, tarSize, why))
            return fail("runtime: " + why);
        bool set = std::any_of(m.narrow.begin(), m.narrow.end(), [](const auto& e) { return e.first == 151; });
        if (!set) m.narrow.emplace_back(151, std::to_string(tarSize));
        return true;
    }

    bool fail(const std::string& message) {
        error_ = message;
        return false;
    }

    bool writeFailed() { return fail("out: cannot write " + inQuotes(out_.temp())); }

    // Copies `count` bytes in chunks. A short read means the file shrank while being
    // packed (a record's length is already out), so it fails like an unreadable file.
    bool copy(FileSource& in, uint64_t count, bool mask, const std::string& field, const std::string& source) {
        while (count) {
            size_t want = count < buf_.size() ? size_t(count) : buf_.size(), got = 0;
            if (!in.read(buf_.data(), want, got) || got != want)
                return fail(field + ": cannot read " + inQuotes(source));
            if (mask)
                for (size_t i = 0; i < got; ++i) buf_[i] = char(buf_[i] ^ qpk::kPayloadMask);
            if (!out_.write(buf_.data(), got, true)) return writeFailed();
            count -= got;
        }
        return true;
    }

    // A payload record (length, then the masked bytes) or the raw trailer.
    bool copySource(const fs::path& path, const std::string& source, const std::string& field, bool record) {
        FileSource in;
        if (!in.open(path)) return fail(field + ": cannot read " + inQuotes(source));
        if (record) {
            std::string length;
            putU64(length, in.size());
            if (!out_.write(length, true)) return writeFailed();
        }
        return copy(in, in.size(), record, field, source);
    }

    // Removed whatever happens to the build.
    struct Scratch {
        fs::path path;
        ~Scratch() {
            std::error_code ec;
            fs::remove(path, ec);
        }
    };

    std::string launcherPath_;
    std::string origin_;
    std::string& error_;
    Scratch runtimeScratch_;
    Output out_;
    std::vector<char> buf_;
};

int build(const std::string& launcherPath, const std::string& manifestJson, const fs::path& baseDir,
          const std::string& outPath, const std::string& origin, std::string& error,
          std::vector<std::string>* warnings) {
    Manifest m;
    if (!parseManifest(manifestJson, baseDir, m, error)) {
        error = origin + error;
        return kFailed;
    }
    if (warnings)
        for (const std::string& w : m.warnings) warnings->push_back(origin + w);
    return Builder(launcherPath, outPath, origin, error).run(m) ? kOk : kFailed;
}

}  // namespace

int buildFromJson(const std::string& launcherPath, const std::string& manifestJson,
                  const std::string& baseDir, const std::string& outPath, std::string& error,
                  std::vector<std::string>* warnings) {
    return build(launcherPath, manifestJson, fs::path(baseDir), outPath, "", error, warnings);
}

int buildFromManifest(const std::string& launcherPath, const std::string& manifestPath,
                      const std::string& outPath, std::string& error, std::vector<std::string>* warnings) {
    std::string text;
    if (!readWholeFile(manifestPath, text)) {
        error = "manifest: cannot read " + inQuotes(manifestPath);
        return kFailed;
    }
    return build(launcherPath, text, fs::path(manifestPath).parent_path(), outPath, manifestPath + ": ", error,
                 warnings);
}

}  // namespace qpkpack
