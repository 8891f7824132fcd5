#include "RuntimeArchive.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#ifdef QPKPACK_WITH_LIBARCHIVE
#include <archive.h>
#include <archive_entry.h>
#endif

#include "Quoted.h"
#include "payload/GzTarStream.h"

namespace qpkpack {
namespace {

namespace fs = std::filesystem;

constexpr size_t kChunkSize = 1 << 20;

class SkippingSink final : public qpk::TarSink {
public:
    void directory(const std::string&) override {}
    bool file(qpk::TarStream& in, const std::string&, int64_t size) override { return in.skip(uint64_t(size)); }
};

std::string narrowText(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) out += char(*text);
    return out;
}

// Reads the archive as the launcher would; its uncompressed size on the way.
bool checkArchive(const fs::path& archive, uint64_t& tarSize, std::string& why) {
    qpk::GzTarStream in(archive.string());
    if (!in.isOpen()) {
        why = "cannot read " + inQuotes(archive.string());
        return false;
    }
    SkippingSink sink;
    qpk::TarResult result = qpk::untarEntries(in, sink);
    if (!result.done) {
        why = "the launcher would refuse " + inQuotes(archive.string()) + ": " +
              narrowText(qpk::tarFailureText(result.failure)) +
              (result.name.empty() ? "" : " at " + inQuotes(result.name));
        return false;
    }
    if (!in.drain()) {
        why = "cannot read " + inQuotes(archive.string()) + " to its end";
        return false;
    }
    tarSize = in.position();
    return true;
}

#ifdef QPKPACK_WITH_LIBARCHIVE
struct ArchiveDeleter {
    void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryDeleter {
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};

// Collects every file and directory below `relative`, following symbolic links so that a
// linked directory's files are packed; a link back to a directory being walked would make
// the walk endless and is refused, as is anything that is neither file nor directory.
bool walkRuntime(const fs::path& root, const fs::path& relative, std::vector<fs::path>& ancestors,
                 std::vector<fs::path>& paths, std::string& why) {
    fs::path dir = root / relative;
    std::error_code ec;
    fs::path real = fs::canonical(dir, ec);
    if (!ec && std::find(ancestors.begin(), ancestors.end(), real) != ancestors.end()) {
        why = inQuotes(dir.string()) + " is a link to " + inQuotes(real.string()) + ", which holds it";
        return false;
    }
    ancestors.push_back(real);
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        fs::path entry = relative / it->path().filename();
        fs::file_status st = fs::status(it->path(), ec);  // the link's target, for a link
        if (ec || (!fs::is_directory(st) && !fs::is_regular_file(st))) {
            why = inQuotes(it->path().string()) +
                  (fs::is_symlink(it->symlink_status(ec)) ? " is a link to nothing that can be packed"
                                                           : " is neither a file nor a directory");
            return false;
        }
        paths.push_back(entry);
        if (fs::is_directory(st) && !walkRuntime(root, entry, ancestors, paths, why)) return false;
    }
    if (ec) {
        why = "cannot list " + inQuotes(dir.string()) + ": " + ec.message();
        return false;
    }
    ancestors.pop_back();
    return true;
}

// Sorted by name, which also puts directories before what they hold, so that the same
// runtime gives the same archive whatever order the file system lists it in.
bool listRuntime(const fs::path& root, std::vector<fs::path>& paths, std::string& why) {
    std::vector<fs::path> ancestors;
    if (!walkRuntime(root, fs::path(), ancestors, paths, why)) return false;
    std::sort(paths.begin(), paths.end(),
              [](const fs::path& a, const fs::path& b) { return a.generic_string() < b.generic_string(); });
    return true;
}

bool writeRuntime(const fs::path& root, const fs::path& target, std::string& why) {
    std::vector<fs::path> paths;
    int64_t mtime = 0;
    if (!entryTime(std::getenv("SOURCE_DATE_EPOCH"), mtime, why) || !listRuntime(root, paths, why)) return false;
    std::unique_ptr<archive, ArchiveDeleter> a(archive_write_new());
    auto failed = [&](const std::string& what) {
        why = what + ": " + (archive_error_string(a.get()) ? archive_error_string(a.get()) : "unknown error");
        return false;
    };
    // No time in the gzip header either: nothing in the archive depends on the clock.
    if (archive_write_set_format_gnutar(a.get()) != ARCHIVE_OK ||
        archive_write_add_filter_gzip(a.get()) != ARCHIVE_OK ||
        archive_write_set_filter_option(a.get(), "gzip", "timestamp", nullptr) != ARCHIVE_OK ||
        archive_write_set_bytes_in_last_block(a.get(), 1) != ARCHIVE_OK ||
        archive_write_open_filename(a.get(), target.string().c_str()) != ARCHIVE_OK)
        return failed("cannot write " + inQuotes(target.string()));
    std::vector<char> buffer(kChunkSize);
    for (const fs::path& relative : paths) {
        fs::path full = root / relative;
        std::error_code ec;
        bool isDir = fs::is_directory(full, ec);
        std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
        std::ifstream in;
        uint64_t size = 0;
        if (!isDir) {
            size = fs::file_size(full, ec);
            in.open(full, std::ios::binary);
            if (ec || !in) {
                why = "cannot read " + inQuotes(full.string());
                return false;
            }
        }
        archive_entry_set_pathname(entry.get(), (relative.generic_string() + (isDir ? "/" : "")).c_str());
        archive_entry_set_filetype(entry.get(), isDir ? AE_IFDIR : AE_IFREG);
        // Owner, mode and time are the same for every entry, whoever made the copy and when.
        archive_entry_set_perm(entry.get(), isDir ? 0755 : 0644);
        archive_entry_set_uid(entry.get(), 0);
        archive_entry_set_gid(entry.get(), 0);
        archive_entry_set_mtime(entry.get(), time_t(mtime), 0);
        archive_entry_set_size(entry.get(), la_int64_t(size));
        std::string name = inQuotes(relative.generic_string());
        if (archive_write_header(a.get(), entry.get()) != ARCHIVE_OK) return failed(name);
        for (uint64_t left = size; left > 0;) {
            in.read(buffer.data(), std::streamsize(std::min<uint64_t>(left, buffer.size())));
            size_t got = size_t(in.gcount());
            if (got == 0) {
                why = "cannot read " + inQuotes(full.string()) + " (it shrank while being packed)";
                return false;
            }
            if (archive_write_data(a.get(), buffer.data(), got) != la_ssize_t(got)) return failed(name);
            left -= got;
        }
    }
    if (archive_write_close(a.get()) != ARCHIVE_OK) return failed("cannot write " + inQuotes(target.string()));
    return true;
}
#else
bool writeRuntime(const fs::path& root, const fs::path&, std::string& why) {
    why = inQuotes(root.string()) +
          " is a directory; this build of the packer has no tar writer and takes a ready .tar.gz";
    return false;
}
#endif

}  // namespace

bool entryTime(const char* sourceDateEpoch, int64_t& seconds, std::string& why) {
    if (sourceDateEpoch == nullptr) {
        seconds = kDefaultEntryTime;
        return true;
    }
    std::string text = sourceDateEpoch;
    // Twelve digits reach beyond the year 9999.
    if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos) {
        why = "SOURCE_DATE_EPOCH: " + inQuotes(text) + " is not a number of seconds since 1970";
        return false;
    }
    seconds = 0;
    for (char c : text) seconds = seconds * 10 + (c - '0');
    return true;
}

bool prepareRuntimeArchive(const fs::path& source, const fs::path& scratch, fs::path& archive, uint64_t& tarSize,
                           std::string& why) {
    std::error_code ec;
    if (fs::is_directory(source, ec)) {
        if (!writeRuntime(source, scratch, why)) return false;
        archive = scratch;
    } else if (fs::is_regular_file(source, ec)) {
        archive = source;
    } else {
        why = "cannot read " + inQuotes(source.string());
        return false;
    }
    return checkArchive(archive, tarSize, why);
}

}  // namespace qpkpack
