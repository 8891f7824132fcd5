// Describing a packed setup: its icon, version information and execution level, the
// block's texts, the payload records found through the file count and name entries, and
// whether the stored CRC matches the file.
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include <nlohmann/json.hpp>
#include <zlib.h>

#include "CodePage.h"
#include "FileSource.h"
#include "LauncherImage.h"
#include "NamedSettings.h"
#include "Packer.h"
#include "Quoted.h"
#include "RuntimeArchive.h"
#include "payload/BlockFormat.h"
#include "payload/ConfigBlock.h"

namespace qpkpack {
namespace {

using Json = nlohmann::ordered_json;

// The block does not record the code page of its 8-bit texts; 1252 is the manifest's
// default and what the texts are shown in.
constexpr int kReportCodePage = 1252;
constexpr size_t kChunkSize = 1 << 20;

std::string hex32(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", unsigned(v));
    return buf;
}

// CRC over `count` bytes from `from`, or over as many as exist.
uint32_t crcOf(FileSource& s, uint64_t from, uint64_t count) {
    std::vector<char> buf(kChunkSize);
    uLong crc = crc32(0, nullptr, 0);
    uint64_t covered = 0;
    if (!s.seek(from)) return uint32_t(crc);
    while (covered < count) {
        uint64_t left = count - covered;
        size_t got = 0;
        if (!s.read(buf.data(), left < buf.size() ? size_t(left) : buf.size(), got) || got == 0) break;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(buf.data()), uInt(got));
        covered += got;
    }
    return uint32_t(crc);
}

Json wideObject(const std::map<int32_t, std::u16string>& entries) {
    Json o = Json::object();
    for (const auto& [id, text] : entries) o[std::to_string(id)] = utf16ToUtf8(text);
    return o;
}

// Later entries with the same id replace earlier ones, as in the launcher.
std::map<int32_t, std::u16string> lastWins(const std::vector<std::pair<int32_t, std::u16string>>& entries) {
    std::map<int32_t, std::u16string> m;
    for (const auto& [id, text] : entries) m[id] = text;
    return m;
}

bool parseCount(const std::string& text, uint64_t& out) {
    if (text.empty() || text.size() > 18) return false;
    out = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        out = out * 10 + uint64_t(c - '0');
    }
    return true;
}

std::vector<std::string> splitNames(const std::string& joined) {
    std::vector<std::string> names;
    if (joined.empty()) return names;
    size_t from = 0;
    for (size_t at; (at = joined.find(';', from)) != std::string::npos; from = at + 1)
        names.push_back(joined.substr(from, at - from));
    names.push_back(joined.substr(from));
    return names;
}

// The uncompressed size of a gzip record (masked in the payload), member after member;
// false when the data is not gzip or ends early.
bool gzipRecordSize(FileSource& s, uint64_t offset, uint64_t length, uint64_t& out) {
    z_stream z{};
    if (inflateInit2(&z, 15 + 16) != Z_OK || !s.seek(offset)) return false;
    std::vector<unsigned char> in(kChunkSize), outBuf(kChunkSize);
    out = 0;
    int rc = Z_OK;
    for (uint64_t left = length; left > 0 || z.avail_in > 0;) {
        if (z.avail_in == 0) {
            size_t got = 0;
            if (!s.read(in.data(), size_t(std::min<uint64_t>(left, in.size())), got) || got == 0) break;
            for (size_t i = 0; i < got; ++i) in[i] ^= qpk::kPayloadMask;
            z.next_in = in.data();
            z.avail_in = uInt(got);
            left -= got;
        }
        z.next_out = outBuf.data();
        z.avail_out = uInt(outBuf.size());
        rc = inflate(&z, Z_NO_FLUSH);
        out += outBuf.size() - z.avail_out;
        if (rc == Z_STREAM_END && z.avail_in + left > 0) rc = inflateReset(&z);  // the next member
        if (rc != Z_OK && rc != Z_STREAM_END) break;
    }
    inflateEnd(&z);
    return rc == Z_STREAM_END;
}

}  // namespace

int inspect(const std::string& setupPath, std::string& report, std::string& error) {
    report.clear();
    FileSource s;
    if (!s.open(setupPath)) {
        error = "cannot read " + inQuotes(setupPath);
        return kFailed;
    }
    qpk::PeLayout layout;
    std::string why;
    if (!readImageLayout(s, layout, why)) {
        error = inQuotes(setupPath) + " is not a packed setup: " + why;
        return kFailed;
    }
    qpk::ConfigBlock block;
    qpk::ReadStatus st = s.seek(layout.payloadStart) ? qpk::parseConfigBlock(s, block) : qpk::ReadStatus{qpk::ReadError::ReadInt};
    if (st.error == qpk::ReadError::Magic) {
        error = inQuotes(setupPath) + " is not a packed setup: no block magic at " + std::to_string(layout.payloadStart);
        return kFailed;
    }
    if (!st.ok()) {
        error = inQuotes(setupPath) + " is not a packed setup: the block is truncated at " + std::to_string(st.position);
        return kFailed;
    }

    // A checked length past the end of the file (or negative) cannot match: the CRC is
    // computed over what exists and reported as a mismatch whatever its value.
    uint64_t from = layout.payloadStart + qpk::kCheckedRangeOffset;
    uint64_t available = s.size() - from;
    bool rangeFits = block.checkedLength >= 0 && uint64_t(block.checkedLength) <= available;
    uint32_t computed = crcOf(s, from, rangeFits ? uint64_t(block.checkedLength) : available);

    Json r;
    r["payloadStart"] = layout.payloadStart;
    std::string image;
    PeHeaders pe;
    if (readImage(s, layout, image) && parsePeHeaders(image, pe, why)) r["executable"] = describeIdentity(image, pe);
    r["integrity"] = block.integrityFlag;
    r["storedCrc"] = block.crc;
    r["computedCrc"] = computed;
    r["checkedLength"] = block.checkedLength;
    if (!rangeFits) r["checkedRangePastEnd"] = true;

    std::map<int32_t, std::string> narrow = qpk::narrowMap(block);
    Json narrowJson = Json::object();
    for (const auto& [id, text] : narrow) narrowJson[std::to_string(id)] = codePageToUtf8(text, kReportCodePage);
    std::map<int32_t, std::u16string> wide = lastWins(block.wide);
    r["settings"] = describeSettings(narrow, kReportCodePage, wide);
    r["messages"] = describeMessages(wide);
    r["narrow"] = std::move(narrowJson);
    r["wide"] = wideObject(wide);
    Json languages = Json::array();
    for (const auto& section : block.sections)
        languages.push_back({{"code", codePageToUtf8(section.code, kReportCodePage)},
                             {"wide", wideObject(lastWins(section.entries))}});
    r["languages"] = std::move(languages);

    // The records carry no names of their own: the launcher pairs them with the name
    // list, so a count and list that disagree are walked as far as both go.
    uint64_t count = 0;
    bool countValid = parseCount(narrow[qpk::kIdFileCount], count);
    std::vector<std::string> names = splitNames(narrow[qpk::kIdFileNames]);
    if (!countValid) r["fileCountInvalid"] = true;
    if (count != names.size()) r["fileListMismatch"] = {{"count", count}, {"names", names.size()}};

    Json files = Json::array();
    uint64_t pos = block.fileAreaStart;
    bool truncated = false;
    uint64_t walk = count < names.size() ? count : names.size();
    for (uint64_t i = 0; i < walk; ++i) {
        int64_t length = 0;
        if (!s.seek(pos) || !qpk::readLong(s, length).ok() || length < 0 ||
            uint64_t(length) > s.size() - (pos + 8)) {
            truncated = true;
            error = "file record " + std::to_string(i) + " (" + inQuotes(codePageToUtf8(names[i], kReportCodePage)) +
                    ") at " + std::to_string(pos) + " runs past the end of the file";
            break;
        }
        files.push_back({{"name", codePageToUtf8(names[i], kReportCodePage)},
                         {"size", length},
                         {"offset", pos + 8}});
        if (names[i] == kRuntimeArchiveName) {
            uint64_t tarSize = 0;
            Json runtime = {{"compressed", length}};
            if (gzipRecordSize(s, pos + 8, uint64_t(length), tarSize))
                runtime["uncompressed"] = tarSize;
            else
                runtime["notGzip"] = true;
            r["runtime"] = std::move(runtime);
        }
        pos += 8 + uint64_t(length);
    }
    r["files"] = std::move(files);
    r["fileAreaStart"] = block.fileAreaStart;
    r["unextractedPosition"] = pos;
    if (truncated) r["truncated"] = true;
    report = r.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";

    if (truncated) return kFailed;
    if (!rangeFits || computed != block.crc) {
        error = "stored CRC " + hex32(block.crc) + " differs from the computed " + hex32(computed) +
                (rangeFits ? "" : " (the checked range runs past the end of the file)");
        return kCrcMismatch;
    }
    return kOk;
}

}  // namespace qpkpack
