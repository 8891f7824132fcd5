#include <gtest/gtest.h>

#include <cstring>

#include "payload/SafeNames.h"
#include "payload/TarHeader.h"

using namespace qpk;

namespace {

// A header block: `name` (up to 100 bytes, not terminated at 100), the 12 raw bytes of the
// size field, the type flag, and the magic unless `magic` is false.
std::string header(const std::string& name, const std::string& sizeField, char type, bool magic = true) {
    std::string b(kTarBlock, '\0');
    b.replace(0, std::min<size_t>(name.size(), 100), name.substr(0, 100));
    b.replace(124, sizeField.size(), sizeField);
    b[156] = type;
    if (magic) b.replace(257, 7, "ustar  ");
    return b;
}

std::string octal(size_t n) {
    char f[13];
    snprintf(f, sizeof f, "%011o", unsigned(n));
    return f;
}

std::string padded(const std::string& data) { return data + std::string((kTarBlock - data.size() % kTarBlock) % kTarBlock, '\0'); }
std::string file(const std::string& name, const std::string& data) { return header(name, octal(data.size()), '0') + padded(data); }
std::string dir(const std::string& name) { return header(name, octal(0), '5'); }
std::string longName(const std::string& name) { return header("././@LongLink", octal(name.size() + 1), 'L') + padded(name + '\0'); }
const std::string kEnd(2 * kTarBlock, '\0');

class Memory final : public TarStream {
public:
    explicit Memory(std::string bytes) : bytes_(std::move(bytes)) {}
    bool atEnd() override { return pos_ >= bytes_.size(); }
    long read(void* out, unsigned count) override {
        size_t n = std::min<size_t>(count, bytes_.size() - pos_);
        memcpy(out, bytes_.data() + pos_, n);
        pos_ += n;
        return long(n);
    }
    bool skip(uint64_t count) override {
        if (count > bytes_.size() - pos_) return false;
        pos_ += size_t(count);
        return true;
    }
    uint64_t position() override { return pos_; }

private:
    std::string bytes_;
    size_t pos_ = 0;
};

// Writes down what the reader asked for: "d:name" and "f:name=data".
class Recorder final : public TarSink {
public:
    void directory(const std::string& name) override { seen += "d:" + name + ";"; }
    bool file(TarStream& in, const std::string& name, int64_t size) override {
        std::string data(size_t(size), '\0');
        if (in.read(&data[0], unsigned(size)) != long(size)) return false;
        seen += "f:" + name + "=" + data + ";";
        return true;
    }
    std::string seen;
};

struct Case {
    const char* what;
    std::string archive;
    TarFailure failure;  // None: the archive must count as extracted
    std::string seen;
};

}  // namespace

TEST(TarHeader, ArchivesAreReadByTheHeaderRules) {
    const std::string name100(100, 'n');
    const std::string name6001(6001, 'x');
    const Case cases[] = {
        {"file in a directory", dir("lib/") + file("lib/a.txt", "hello") + kEnd, TarFailure::None, "d:lib\\;f:lib\\a.txt=hello;"},
        {"no end blocks", file("a", "x"), TarFailure::None, "f:a=x;"},
        {"only directories", dir("a/") + dir("a/b/") + kEnd, TarFailure::NoMagic, "d:a\\;d:a\\b\\;"},
        {"only directories, no end block", dir("a/"), TarFailure::UnexpectedEof, "d:a\\;"},
        {"empty archive", "", TarFailure::UnexpectedEof, ""},
        {"long name keeps its slashes", longName(std::string(120, 'l') + "/x") + file("short", "d") + kEnd,
         TarFailure::None, ("f:" + std::string(120, 'l') + "/x=d;")},
        {"long name of a directory", longName("deep/dir/") + header("ignored", octal(0), '5') + kEnd, TarFailure::NoMagic,
         "d:deep/dir/;"},
        {"name of exactly 100 bytes", file(name100, "z") + kEnd, TarFailure::None, ("f:" + name100 + "=z;")},
        {"seven zeros, 1750, blank", header("s", "00000001750 ", '0') + padded(std::string(1000, 'q')) + kEnd,
         TarFailure::None, ("f:s=" + std::string(1000, 'q') + ";")},
        {"five blanks, 1750, NUL", header("s", std::string("     1750\0", 10), '0') + padded(std::string(1000, 'q')),
         TarFailure::None, ("f:s=" + std::string(1000, 'q') + ";")},
        {"blank after a digit ends the field", header("s", "2 7", '0') + padded("ab") + kEnd, TarFailure::None, "f:s=ab;"},
        {"other types are skipped", header("link", octal(3), '2') + padded("xyz") + file("f", "1") + kEnd,
         TarFailure::None, "f:f=1;"},
        {"negative size", header("s", "-1", '0') + kEnd, TarFailure::BadSize, ""},
        {"size beyond 32 bits", header("s", "77777777777", '0') + kEnd, TarFailure::BadSize, ""},
        {"size past the data", file("a", "1") + header("b", octal(4096), '0') + "abc", TarFailure::ExtractFailed,
         "f:a=1;"},
        {"skipped entry past the data", file("a", "1") + header("l", octal(4096), '2') + "abc", TarFailure::SkipFailed,
         "f:a=1;"},
        {"header ends short", file("a", "1") + header("b", octal(0), '0').substr(0, 300), TarFailure::ShortHeader,
         "f:a=1;"},
        {"long name over 6000 bytes", header("././@LongLink", octal(6001), 'L') + padded(name6001) + file("a", "1"),
         TarFailure::LongNameTooLong, ""},
        {"long name cut short", header("././@LongLink", octal(200), 'L') + "abc", TarFailure::LongNameReadFailed, ""},
    };
    for (const Case& c : cases) {
        Memory in(c.archive);
        Recorder sink;
        TarResult r = untarEntries(in, sink);
        EXPECT_EQ(r.done, c.failure == TarFailure::None) << c.what;
        EXPECT_EQ(r.failure, c.failure) << c.what << ": " << tarFailureText(r.failure);
        EXPECT_EQ(sink.seen, c.seen) << c.what;
    }
}

// Names that would be written outside the target, or as something else than a file of
// that name, stop the untarring before the sink sees them; so do they in the payload.
TEST(TarHeader, UnsafeNamesAreNeverHandedOn) {
    for (const char* name : {"/etc/x", "\\x", "C:x", "c:/x", "a/../../x", "..", "a/..", "f.txt:stream", "CON",
                             "lib/nul.txt", "Com1", "LPT9.dll", "aux .txt", "conout$", "a./b", "a /b", "a/b.", "a/b ",
                             ".", "./a", "a//b", ""}) {
        Memory in(file(name, "1") + kEnd);
        Recorder sink;
        TarResult r = untarEntries(in, sink);
        EXPECT_EQ(r.failure, TarFailure::UnsafeName) << name;
        EXPECT_EQ(sink.seen, "") << name;
        EXPECT_FALSE(isSafeRelativePath(name, false)) << name;
    }
    Memory in(dir("../") + kEnd);
    Recorder sink;
    EXPECT_EQ(untarEntries(in, sink).failure, TarFailure::UnsafeName);
    for (const char* name : {"a", "lib/security/java.policy", "lib\\x", "..a", "a..b", "a b", "COM10", "console",
                             "nul-x", "LPT0", "bin/"})
        EXPECT_TRUE(isSafeRelativePath(name, true)) << name;
}
