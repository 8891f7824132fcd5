#include <gtest/gtest.h>

#include "TarBytes.h"
#include "payload/SafeNames.h"
#include "payload/TarHeader.h"

using namespace qpk;
using namespace qpktest;

namespace {

std::string file(const std::string& name, const std::string& data) { return tarEntry(name, data); }
std::string dir(const std::string& name) { return tarEntry(name, "", '5'); }

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
        {"file in a directory", dir("lib/") + file("lib/a.txt", "hello") + kTarEnd, TarFailure::None,
         "d:lib\\;f:lib\\a.txt=hello;"},
        {"no end blocks", file("a", "x"), TarFailure::None, "f:a=x;"},
        {"only directories", dir("a/") + dir("a/b/") + kTarEnd, TarFailure::NoMagic, "d:a\\;d:a\\b\\;"},
        {"only directories, no end block", dir("a/"), TarFailure::UnexpectedEof, "d:a\\;"},
        {"empty archive", "", TarFailure::UnexpectedEof, ""},
        {"long name keeps its slashes", tarLongName(std::string(120, 'l') + "/x") + file("short", "d") + kTarEnd,
         TarFailure::None, ("f:" + std::string(120, 'l') + "/x=d;")},
        {"long name of a directory", tarLongName("deep/dir/") + dir("ignored") + kTarEnd, TarFailure::NoMagic,
         "d:deep/dir/;"},
        {"name of exactly 100 bytes", file(name100, "z") + kTarEnd, TarFailure::None, ("f:" + name100 + "=z;")},
        {"seven zeros, 1750, blank", tarHeader("s", "00000001750 ", '0') + tarPadded(std::string(1000, 'q')) + kTarEnd,
         TarFailure::None, ("f:s=" + std::string(1000, 'q') + ";")},
        {"five blanks, 1750, NUL",
         tarHeader("s", std::string("     1750\0", 10), '0') + tarPadded(std::string(1000, 'q')),
         TarFailure::None, ("f:s=" + std::string(1000, 'q') + ";")},
        {"blank after a digit ends the field", tarHeader("s", "2 7", '0') + tarPadded("ab") + kTarEnd, TarFailure::None,
         "f:s=ab;"},
        {"other types are skipped", tarEntry("link", "xyz", '2') + file("f", "1") + kTarEnd,
         TarFailure::None, "f:f=1;"},
        {"negative size", tarHeader("s", "-1", '0') + kTarEnd, TarFailure::BadSize, ""},
        {"size beyond 32 bits", tarHeader("s", "77777777777", '0') + kTarEnd, TarFailure::BadSize, ""},
        {"size past the data", file("a", "1") + tarEntry("b", "", '0', 4096) + "abc", TarFailure::ExtractFailed,
         "f:a=1;"},
        {"skipped entry past the data", file("a", "1") + tarEntry("l", "", '2', 4096) + "abc", TarFailure::SkipFailed,
         "f:a=1;"},
        {"header ends short", file("a", "1") + tarEntry("b", "", '0', 0).substr(0, 300), TarFailure::ShortHeader,
         "f:a=1;"},
        {"long name over 6000 bytes", tarEntry("././@LongLink", name6001, 'L') + file("a", "1"),
         TarFailure::LongNameTooLong, ""},
        {"long name cut short", tarEntry("././@LongLink", "", 'L', 200) + "abc", TarFailure::LongNameReadFailed, ""},
        // As `tar czf rt.tar.gz -C jdk .` writes them.
        {"dot parts are dropped", dir("./") + dir("./bin/") + file("./bin/./java.exe", "j") + kTarEnd, TarFailure::None,
         "d:bin\\;f:bin\\java.exe=j;"},
        {"dot parts of a long name", tarLongName("./" + std::string(120, 'l')) + file("short", "d") + kTarEnd,
         TarFailure::None, ("f:" + std::string(120, 'l') + "=d;")},
        {"ustar prefix", tarUstarEntry("lib/deep", "a.jar", "u") + tarUstarEntry("", "b", "v") + kTarEnd,
         TarFailure::None, "f:lib\\deep\\a.jar=u;f:b=v;"},
        {"GNU header keeps times where ustar has its prefix",
         [] { std::string h = file("a", "1"); h.replace(345, 11, "14577142167"); return h; }() + kTarEnd,
         TarFailure::None, "f:a=1;"},
        {"pax header without a name or size", tarEntry("PaxHeaders/a", "30 mtime=1700000000.123456789\n", 'x') +
         file("a", "1") + kTarEnd, TarFailure::None, "f:a=1;"},
        {"pax path", tarEntry("PaxHeaders/x", "16 path=a/b/c/d\n", 'x') + file("x", "1") + kTarEnd,
         TarFailure::PaxUnsupported, ""},
        {"global pax size", file("a", "1") + tarEntry("GlobalHead", "12 size=100\n", 'g') + file("b", "2") + kTarEnd,
         TarFailure::PaxUnsupported, "f:a=1;"},
        {"pax sparse file", tarEntry("PaxHeaders/s", "22 GNU.sparse.major=1\n", 'x') + file("s", "1") + kTarEnd,
         TarFailure::PaxUnsupported, ""},
        {"pax record longer than its header", tarEntry("PaxHeaders/x", "99 path=a\n", 'x') + file("x", "1"),
         TarFailure::PaxUnreadable, ""},
        {"pax record without a key", tarEntry("PaxHeaders/x", "6 =ab\n", 'x') + file("x", "1"),
         TarFailure::PaxUnreadable, ""},
    };
    for (const Case& c : cases) {
        MemoryTarStream in(c.archive);
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
                             ".", "./", "./../x", "a//b", ""}) {
        MemoryTarStream in(file(name, "1") + kTarEnd);
        Recorder sink;
        TarResult r = untarEntries(in, sink);
        EXPECT_EQ(r.failure, TarFailure::UnsafeName) << name;
        EXPECT_EQ(sink.seen, "") << name;
        EXPECT_FALSE(isSafeRelativePath(name, false)) << name;
    }
    MemoryTarStream in(dir("../") + kTarEnd);
    Recorder sink;
    EXPECT_EQ(untarEntries(in, sink).failure, TarFailure::UnsafeName);
    for (const char* name : {"a", "lib/security/java.policy", "lib\\x", "..a", "a..b", "a b", "COM10", "console",
                             "nul-x", "LPT0", "bin/"})
        EXPECT_TRUE(isSafeRelativePath(name, true)) << name;
}
