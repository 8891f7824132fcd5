#include "FileSource.h"

#include <sstream>

namespace qpkpack {

bool readWholeFile(const std::filesystem::path& path, std::string& out) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return false;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return false;
    out = text.str();
    return true;
}

bool FileSource::open(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    in_.open(path, std::ios::binary);
    if (!in_) return false;
    in_.seekg(0, std::ios::end);
    std::streamoff end = in_.tellg();
    in_.seekg(0);
    if (end < 0 || !in_) return false;
    size_ = uint64_t(end);
    pos_ = 0;
    return true;
}

bool FileSource::read(void* out, size_t count, size_t& got) {
    in_.read(static_cast<char*>(out), std::streamsize(count));
    got = size_t(in_.gcount());
    pos_ += got;
    if (in_.bad()) return false;
    // A short read at the end of the file is not an error; keep the stream usable.
    in_.clear();
    return true;
}

bool FileSource::seek(uint64_t position) {
    in_.clear();
    in_.seekg(std::streamoff(position));
    if (!in_) return false;
    pos_ = position;
    return true;
}

}  // namespace qpkpack
