// The gzip stream under the tar reader, which decompresses ahead on a thread of its own,
// against reading the same file in the same pieces straight from zlib: the same bytes, the
// same end and the same failure (after as many bytes), for intact, corrupt, truncated and
// plain files.
#include <zlib.h>

#include <string>
#include <vector>

#include "PackerTestSupport.h"
#include "payload/GzTarStream.h"

namespace packertest {
namespace {

// Several of the stream's blocks of bytes that compress somewhat.
std::string sampleData() {
    std::string data(3 * qpk::kInflateBlock + 12345, '\0');
    uint32_t state = 7;
    for (size_t i = 0; i < data.size(); ++i) {
        state = state * 1103515245u + 12345u;
        data[i] = char(i % 7 == 0 ? state >> 24 : 'a' + (state >> 28));
    }
    return data;
}

// With `brokenAt`, the data from there on is compressed as blocks of its own after a full
// flush, and the first of these is made invalid: decompression fails right there.
std::string gzipped(const std::string& data, size_t brokenAt = std::string::npos) {
    std::vector<unsigned char> out(compressBound(uLong(data.size())) + 64);
    z_stream z{};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    size_t flushedAt = 0;
    if (brokenAt < data.size()) {
        z.avail_in = uInt(brokenAt);
        deflate(&z, Z_FULL_FLUSH);
        flushedAt = z.total_out;
    }
    z.avail_in = uInt(data.size() - z.total_in);
    deflate(&z, Z_FINISH);
    std::string gz(reinterpret_cast<char*>(out.data()), z.total_out);
    deflateEnd(&z);
    if (flushedAt > 0) gz[flushedAt] = char(0x06);  // not final, block type 3: reserved
    return gz;
}

struct Outcome {
    std::string bytes;
    long last = 0;  // the result of the read that ended it: short, 0 or -1
};

// Reads in pieces of `piece` bytes until a read gives less.
template <class Read>
Outcome readAll(unsigned piece, Read read) {
    Outcome o;
    std::vector<char> buffer(piece);
    do {
        o.last = read(buffer.data(), piece);
        if (o.last > 0) o.bytes.append(buffer.data(), size_t(o.last));
    } while (o.last == long(piece));
    return o;
}

class GzTarStreamTest : public PackerTest {};

TEST_F(GzTarStreamTest, SameBytesEndAndFailureAsReadingStraightFromZlib) {
    const std::string data = sampleData();
    const std::string gz = gzipped(data);
    const struct {
        const char* what;
        std::string file;
        bool fails;
    } cases[] = {
        {"intact", gz, false},
        {"corrupt in the middle", gzipped(data, data.size() / 2 + 777), true},
        {"truncated", gz.substr(0, gz.size() / 2), false},
        {"not compressed", data.substr(0, 100000), false},
    };
    for (const auto& c : cases) {
        writeFile(path("in.gz"), c.file);
        // The pieces the untarring reads: headers and data chunks.
        for (unsigned piece : {500u, 32768u}) {
            gzFile zlib = gzopen(path("in.gz").c_str(), "rb");
            gzbuffer(zlib, 1 << 17);
            Outcome want = readAll(piece, [&](char* out, unsigned n) { return long(gzread(zlib, out, n)); });
            gzclose(zlib);
            ASSERT_EQ(want.last < 0, c.fails) << c.what << ": the case does not test what it says";
            qpk::GzTarStream in(path("in.gz"));
            Outcome got = readAll(piece, [&](char* out, unsigned n) {
                EXPECT_FALSE(in.atEnd());
                return in.read(out, n);
            });
            EXPECT_EQ(got.last, want.last) << c.what << ", pieces of " << piece;
            EXPECT_EQ(got.bytes.size(), want.bytes.size()) << c.what << ", pieces of " << piece;
            EXPECT_TRUE(got.bytes == want.bytes) << c.what << ", pieces of " << piece;
            EXPECT_EQ(in.atEnd(), !c.fails) << c.what;
            if (!c.fails) {
                EXPECT_EQ(in.position(), want.bytes.size()) << c.what;
            }
        }
    }
}

TEST_F(GzTarStreamTest, SkipAndDrainStopAtTheEndOrAnError) {
    const std::string data = sampleData();
    writeFile(path("in.gz"), gzipped(data));
    {
        qpk::GzTarStream in(path("in.gz"));
        EXPECT_TRUE(in.skip(data.size() - 10));
        char tail[10];
        EXPECT_EQ(in.read(tail, 10), 10);
        EXPECT_EQ(std::string(tail, 10), data.substr(data.size() - 10));
        EXPECT_FALSE(in.atEnd()) << "nothing was asked beyond the data yet";
        EXPECT_FALSE(in.skip(1));
        EXPECT_TRUE(in.atEnd());
        EXPECT_EQ(in.position(), data.size());
    }
    {
        qpk::GzTarStream in(path("in.gz"));
        EXPECT_TRUE(in.drain());
        EXPECT_EQ(in.position(), data.size());
    }
    writeFile(path("bad.gz"), gzipped(data, data.size() / 2));
    qpk::GzTarStream bad(path("bad.gz"));
    EXPECT_FALSE(bad.drain());
    EXPECT_FALSE(bad.atEnd());
    qpk::GzTarStream missing(path("missing.gz"));
    EXPECT_FALSE(missing.isOpen());
    // Left early: the thread that decompresses ahead is stopped with the stream.
    qpk::GzTarStream early(path("in.gz"));
}

}  // namespace
}  // namespace packertest
