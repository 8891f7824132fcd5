// The integrity check and the file extraction as a packed setup runs them, seen through
// the payload probe: a test program that checks and extracts its own packed image.
#include <windows.h>

#include <gtest/gtest.h>

#include "BuildPaths.h"
#include "Packer.h"
#include "SetupFixture.h"
#include "Utf8.h"

using namespace qpke2e;

namespace {

// The text after `key` up to the end of its line, or empty.
std::string valueAfter(const std::string& text, const std::string& key) {
    size_t at = text.find(key);
    if (at == std::string::npos) return {};
    at += key.size();
    return text.substr(at, text.find('\n', at) - at);
}

std::string lastWord(const std::string& text) { return text.substr(text.rfind(' ') + 1); }

// Every byte value, and runs of the bytes the mask turns into 0x00 and 0xFF; longer than
// a few of the integrity check's read chunks.
std::string binaryContent() {
    std::string bytes;
    for (int round = 0; round < 600; ++round)
        for (int b = 0; b < 256; ++b) bytes += char(b);
    bytes += std::string(7000, '\x5A') + std::string(7000, '\0') + std::string(7000, '\xFF');
    return bytes;
}

struct PayloadFile {
    std::string name;
    std::string bytes;
};

struct Outcome {
    qpktest::RunResult run;
    std::string log;
    std::string tempDir;  // the private directory, printed after a successful extraction
};

uint32_t le32(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | uint8_t(b[at + size_t(i)]);
    return v;
}

void putLe(std::string& b, size_t at, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + size_t(i)] = char(v >> (8 * i) & 0xFF);
}

}  // namespace

class Payload : public SetupTest {
protected:
    // Packs the probe with these files; `narrow` and `more` are added to the manifest's
    // 8-bit entries and its top level.
    void packFiles(const std::vector<PayloadFile>& files, const std::string& narrow = "",
                   const std::string& more = "") {
        std::string list;
        for (size_t i = 0; i < files.size(); ++i) {
            std::string source = "source" + std::to_string(i) + ".bin";
            writeFile(dir() + "\\" + source, files[i].bytes);
            list += std::string(i ? ", " : "") + "{\"name\": " + jsonText(files[i].name) + ", \"source\": \"" +
                    source + "\"}";
        }
        pack(R"({"narrow": {"107": "0", "2001": "q")" + narrow +
                 R"(}, "wide": {"1009": "Internal error {0}.", "20013": "Setup", "20016": "Corrupt download.",
                   "20018": "Disk full."}, "files": [)" + list + "]" + more + "}",
             qpktest::helperPath("payload_probe"));
    }

    Outcome runProbe(const std::vector<std::string>& args = {}) {
        clearLogs();
        Outcome o;
        o.run = run(args, {{"CORVO_LOG", "yes"}});
        o.log = onlyLog();
        o.tempDir = valueAfter(o.run.stdoutText, "tempDir=");
        return o;
    }

    std::string inspectedPosition() {
        std::string report, error;
        qpkpack::inspect(setup(), report, error);
        std::string value = valueAfter(report, "\"unextractedPosition\": ");
        EXPECT_FALSE(value.empty()) << report << error;
        return value;
    }

    // Where the configuration block starts; the checked range begins 20 bytes later.
    uint64_t payloadStart() {
        uint64_t start = 0;
        blockFieldStarts(setup(), start);
        return start;
    }
};

TEST_F(Payload, FilesRoundTripAndTheRecordsEndWhereTheTrailerBegins) {
    std::string binary = binaryContent();
    writeFile(dir() + "\\trailer.bin", "data for later stages");
    packFiles({{"binary.bin", binary},
               {"empty.bin", ""},
               {"sub\\nested.txt", "nested"},
               {"sub\\second.bin", std::string(1, '\x5A')}},
              "", R"(, "trailer": "trailer.bin")");
    Outcome o = runProbe();
    ASSERT_EQ(o.run.exitCode, 0u) << o.run.stderrText << o.log;
    ASSERT_FALSE(o.tempDir.empty()) << o.run.stdoutText;

    EXPECT_EQ(readFile(o.tempDir + "\\binary.bin"), binary);
    EXPECT_EQ(readFile(o.tempDir + "\\sub\\nested.txt"), "nested");
    EXPECT_EQ(readFile(o.tempDir + "\\sub\\second.bin"), std::string(1, '\x5A'));
    EXPECT_FALSE(fileExists(o.tempDir + "\\empty.bin")) << "a zero-length record creates no file";

    std::string position = inspectedPosition();
    EXPECT_EQ(valueAfter(o.run.stdoutText, "unextracted="), position);
    EXPECT_LT(std::stoull(position), readFile(setup()).size()) << "the trailer is not a record";

    EXPECT_TRUE(contains(o.log, "] Included files: 4\n")) << o.log;
    EXPECT_TRUE(contains(o.log, "] extracting " + o.tempDir + "\\empty.bin (size: 0)\n")) << o.log;
    EXPECT_TRUE(contains(o.log, "] creating directory " + o.tempDir + "\\sub\n")) << o.log;
    EXPECT_FALSE(contains(o.log, "failed to create directory")) << "an existing directory is no failure\n" << o.log;
    EXPECT_TRUE(contains(o.log, "] extracting files done\n")) << o.log;
}

TEST_F(Payload, CountAndNameListThatDisagreeExtractWhatBothCover) {
    const std::vector<PayloadFile> two = {{"one", "first"}, {"two", "second"}};
    struct Case {
        std::string narrow;
        std::vector<std::string> present, absent;
    };
    const Case cases[] = {
        {R"(, "2002": "3", "2003": "one;two")", {"one", "two"}, {}},
        {R"(, "2002": "1", "2003": "one;two")", {"one"}, {"two"}},
        {R"(, "2002": "2", "2003": ";one;;two;")", {"one", "two"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.narrow);
        packFiles(two, c.narrow);
        Outcome o = runProbe();
        ASSERT_EQ(o.run.exitCode, 0u) << o.run.stderrText << o.log;
        for (const std::string& name : c.present)
            EXPECT_EQ(readFile(o.tempDir + "\\" + name), name == "one" ? "first" : "second");
        for (const std::string& name : c.absent) EXPECT_FALSE(fileExists(o.tempDir + "\\" + name));
        EXPECT_EQ(valueAfter(o.run.stdoutText, "unextracted="), inspectedPosition());
    }

    packFiles(two, R"(, "2002": "0")");
    Outcome none = runProbe();
    ASSERT_EQ(none.run.exitCode, 0u);
    EXPECT_EQ(valueAfter(none.run.stdoutText, "unextracted="), "0");
    EXPECT_FALSE(fileExists(none.tempDir + "\\one"));
    EXPECT_TRUE(contains(none.log, "] Included files: 0\n")) << none.log;
    EXPECT_FALSE(contains(none.log, "extracting files done")) << none.log;
}

TEST_F(Payload, ChecksumCoversTheCheckedRangeOnly) {
    packFiles({{"data.bin", binaryContent()}});
    std::string packed = readFile(setup());
    uint64_t start = payloadStart();
    uint64_t checked = packed.size() - start - 20;
    std::string crc = std::to_string(le32(packed, size_t(start + 8)));

    // An appended signature lies behind the checked range.
    writeFile(setup(), packed + "appended signature");
    Outcome signedSetup = runProbe();
    EXPECT_EQ(signedSetup.run.exitCode, 0u) << signedSetup.log;
    EXPECT_TRUE(contains(signedSetup.log, "] starting at " + std::to_string(start) + "\n")) << signedSetup.log;
    EXPECT_TRUE(contains(signedSetup.log, "] verifying integrity length " + std::to_string(checked) + "\n"))
        << signedSetup.log;
    EXPECT_TRUE(contains(signedSetup.log, "] checksums: " + crc + " " + crc + " ")) << signedSetup.log;

    std::string damaged = packed;
    damaged[damaged.size() - 1] ^= 0x01;
    writeFile(setup(), damaged);
    Outcome failed = runProbe();
    EXPECT_EQ(failed.run.exitCode, 1u);
    std::string sums = valueAfter(failed.log, "] checksums: ");
    EXPECT_NE(sums.substr(0, sums.find(' ')), crc) << failed.log;
    EXPECT_EQ(sums.substr(sums.find(' ') + 1, crc.size() + 1), crc + " ") << failed.log;
    EXPECT_FALSE(contains(failed.log, "extracting files")) << "nothing is extracted from a damaged setup";

    Outcome unchecked = runProbe({"-nocheck"});
    EXPECT_EQ(unchecked.run.exitCode, 0u) << unchecked.log;
    EXPECT_FALSE(contains(unchecked.log, "verifying integrity")) << unchecked.log;
    EXPECT_TRUE(fileExists(unchecked.tempDir + "\\data.bin"));

    packFiles({{"data.bin", binaryContent()}}, "", R"(, "integrity": false)");
    damaged = readFile(setup());
    damaged[damaged.size() - 1] ^= 0x01;
    writeFile(setup(), damaged);
    Outcome flagOff = runProbe();
    EXPECT_EQ(flagOff.run.exitCode, 0u) << flagOff.log;
    EXPECT_FALSE(contains(flagOff.log, "verifying integrity")) << flagOff.log;
}

TEST_F(Payload, EmptyCheckedRangeHasChecksumZero) {
    packFiles({{"data.bin", "abc"}});
    std::string packed = readFile(setup());
    size_t header = size_t(payloadStart());
    putLe(packed, header + 12, 0, 8);  // checked length
    putLe(packed, header + 8, 0, 4);   // stored CRC
    writeFile(setup(), packed);
    Outcome zero = runProbe();
    EXPECT_EQ(zero.run.exitCode, 0u) << zero.log;
    EXPECT_TRUE(contains(zero.log, "] verifying integrity length 0\n")) << zero.log;
    EXPECT_TRUE(contains(zero.log, "] checksums: 0 0 0 0\n")) << zero.log;

    putLe(packed, header + 8, 1, 4);
    writeFile(setup(), packed);
    EXPECT_EQ(runProbe().run.exitCode, 1u);
}

TEST_F(Payload, SetupCutShortFailsTheCheckOrTheExtraction) {
    std::string bytes = binaryContent();
    packFiles({{"first.txt", "first"}, {"cut.bin", bytes}});
    std::string packed = readFile(setup());
    uint64_t checked = packed.size() - payloadStart() - 20;
    const size_t missing = 100;
    writeFile(setup(), packed.substr(0, packed.size() - missing));

    Outcome check = runProbe();
    EXPECT_EQ(check.run.exitCode, 1u);
    std::string failure = valueAfter(check.log, "] ERROR: check ReadFile failed 0 ");
    ASSERT_FALSE(failure.empty()) << check.log;
    EXPECT_EQ(lastWord(failure), std::to_string(checked - missing)) << "the bytes checked before the end";
    EXPECT_EQ(check.run.stderrText.rfind("Internal error 34.", 0), 0u) << check.run.stderrText;

    Outcome extract = runProbe({"-nocheck"});
    EXPECT_EQ(extract.run.exitCode, 1u);
    failure = valueAfter(extract.log, "] ERROR: ReadFile failed 0 ");
    ASSERT_FALSE(failure.empty()) << extract.log;
    EXPECT_EQ(lastWord(failure), std::to_string(bytes.size() - missing)) << "the bytes copied before the end";
    std::string target = valueAfter(extract.log, "] ERROR: Failed to extract ");
    EXPECT_EQ(target.substr(target.size() - 8), "\\cut.bin") << extract.log;
    EXPECT_EQ(extract.run.stderrText, "") << "no internal error: the caller reports a corrupt download";
}

TEST_F(Payload, TargetThatCannotBeCreatedIsAFatalInternalError) {
    // The first record takes the name the second one needs as its directory.
    packFiles({{"d", "file"}, {"d\\x", "below"}});
    Outcome o = runProbe();
    EXPECT_EQ(o.run.exitCode, 1u);
    EXPECT_EQ(o.run.stderrText.rfind("Internal error 11.", 0), 0u) << o.run.stderrText;
    EXPECT_TRUE(contains(o.log, "\\d\\x (size: 5)\n")) << o.log;
}

// A file-size limit on the setup's process makes WriteFile fail part-way through a file.
// Wine starts Unix programs as well, but without a process handle to wait on, so the shell
// leaves the exit code in a file.
TEST_F(Payload, FailingWriteEndsTheExtraction) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    auto unixName = (UnixName)(void*)GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name");
    const std::string shell = "Z:\\bin\\bash";
    if (!unixName || !fileExists(shell)) GTEST_SKIP() << "needs Wine's Unix side";
    packFiles({{"big.bin", std::string(200000, 'b')}});
    char* converted = unixName(qpktest::widen(dir()).c_str());
    ASSERT_NE(converted, nullptr);
    std::string unixDir = converted;
    HeapFree(GetProcessHeap(), 0, converted);
    std::string script = "trap '' XFSZ; ulimit -f 64; cd '" + unixDir + "' && CORVO_LOG=yes wine setup.exe -temp '" +
                         tmp() + "' >out.txt 2>err.txt </dev/null; echo $? >code.tmp; mv code.tmp code.txt";
    std::wstring commandLine = L"bash -c " + qpktest::quoteArgument(qpktest::widen(script));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(qpktest::widen(shell).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &si, &pi))
        << GetLastError();
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);

    std::string code = dir() + "\\code.txt";
    for (int i = 0; i < 300 && !fileExists(code); ++i) Sleep(100);
    ASSERT_TRUE(fileExists(code)) << "the setup did not finish";
    EXPECT_EQ(readFile(code), "1\n");
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "] ERROR: WriteFile failed ")) << log;
    EXPECT_TRUE(contains(log, "] ERROR: Failed to extract ")) << log;
    EXPECT_TRUE(contains(log, "\\big.bin\n")) << log;
    EXPECT_EQ(readFile(dir() + "\\err.txt").find("Internal error"), std::string::npos);
}

TEST_F(Payload, UnsafeNamesAreRefusedBeforeAnythingIsWritten) {
    for (const char* name : {"..\\x", "C:\\x", "a:b", "\\x", "a\\b\\c", "a/b", "sub\\..", "."}) {
        SCOPED_TRACE(name);
        packFiles({{"first.txt", "first"}, {name, "escaped"}});
        Outcome o = runProbe();
        EXPECT_EQ(o.run.exitCode, 1u);
        EXPECT_TRUE(contains(o.log, std::string("] ERROR: unsafe file name ") + name + "\n")) << o.log;
        EXPECT_FALSE(contains(o.log, "\\first.txt (size: ")) << "not even the safe first name\n" << o.log;
        EXPECT_FALSE(fileExists(tmp() + "\\x"));
        EXPECT_EQ(o.run.stderrText, "");
    }
    EXPECT_FALSE(fileExists("C:\\x"));
}

// A relative "-temp" root is taken against the working directory of the start, which the
// preparation leaves before it extracts.
TEST_F(Payload, RelativeTempRootIsMadeAbsolute) {
    packFiles({{"a.txt", "alpha"}});
    makeDirectory(dir() + "\\rel");
    qpktest::RunOptions o = options({{"CORVO_LOG", "yes"}});
    o.args = {"-temp", "rel"};
    auto r = runWith(o);
    std::string log = onlyLog(dir() + "\\rel");
    EXPECT_EQ(r.exitCode, 0u) << log;
    std::string tempDir = valueAfter(r.stdoutText, "tempDir=");
    EXPECT_EQ(tempDir.rfind(dir() + "\\rel\\", 0), 0u) << tempDir;
    EXPECT_EQ(readFile(tempDir + "\\a.txt"), "alpha");
}
