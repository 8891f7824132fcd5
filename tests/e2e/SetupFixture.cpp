#include "SetupFixture.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "BuildPaths.h"
#include "Packer.h"
#include "Utf8.h"
#include "payload/ConfigBlock.h"
#include "payload/PeLayout.h"

namespace qpke2e {

namespace {

// Records where every read starts, so the block's field layout comes from the reader
// itself rather than from a second description of the format.
class RecordingSource final : public qpk::ByteSource {
public:
    explicit RecordingSource(std::string bytes) : inner_(std::move(bytes)) {}
    bool read(void* out, size_t count, size_t& got) override {
        starts.push_back(inner_.position());
        return inner_.read(out, count, got);
    }
    bool seek(uint64_t p) override { return inner_.seek(p); }
    uint64_t position() const override { return inner_.position(); }
    uint64_t size() const override { return inner_.size(); }
    std::vector<uint64_t> starts;

private:
    qpk::MemorySource inner_;
};

// The launcher's log and the probe write in text mode; tests compare "\n"-terminated lines.
std::string withoutCR(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

qpktest::RunResult finished(qpktest::RunResult r) {
    EXPECT_TRUE(r.started) << r.error;
    EXPECT_FALSE(r.timedOut);
    r.stdoutText = withoutCR(r.stdoutText);
    r.stderrText = withoutCR(r.stderrText);
    return r;
}

// The names of a directory's entries that match a pattern, "." and ".." left out.
std::vector<std::string> namesMatching(const std::string& directory, const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(qpktest::widen(directory + "\\" + pattern).c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = fd.cFileName;
        if (name != L"." && name != L"..") names.push_back(qpktest::narrow(name));
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return names;
}

}  // namespace

std::string jsonText(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string outputValue(const std::string& output, const std::string& name) {
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(name + "=", 0) == 0) return line.substr(name.size() + 1);
    }
    return "(missing)";
}

std::string readFile(const std::string& path) {
    std::ifstream in(std::filesystem::path(qpktest::widen(path)), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(qpktest::widen(path)), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

bool fileExists(const std::string& path) {
    return GetFileAttributesW(qpktest::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void makeDirectory(const std::string& path) { CreateDirectoryW(qpktest::widen(path).c_str(), nullptr); }

std::vector<std::string> leftAfterCleanUp(const std::string& directory, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<std::string> left = namesMatching(directory, "*");
        if (left.empty() || GetTickCount() - start > timeoutMs) return left;
        Sleep(250);
    }
}

long long installMarker(const std::string& name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, "SOFTWARE\\larchmont-works\\corvo", name.c_str(), RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS)
        return -1;
    return value;
}

std::string dialogItemText(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return qpktest::narrow(text);
}

std::string unixPath(const std::string& path) {
    using ToUnix = char*(CDECL*)(const WCHAR*);
    static auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* converted = toUnix ? toUnix(qpktest::widen(path).c_str()) : nullptr;
    if (converted == nullptr) return path;
    std::string out = converted;
    HeapFree(GetProcessHeap(), 0, converted);
    return out;
}

UnixResult runUnix(const std::string& workDir, const std::vector<std::string>& command, DWORD timeoutMs) {
    static int runs = 0;
    std::string base = workDir + "\\unix-" + std::to_string(++runs), output = base + ".out", code = base + ".rc";
    writeFile(base + ".sh", "out=\"$1\"; rc=\"$2\"; shift 2\n\"$@\" >\"$out\" 2>&1\necho $? >\"$rc.tmp\" && mv \"$rc.tmp\" \"$rc\"\n");
    std::wstring line = L"\"Z:\\bin\\sh\"";
    std::vector<std::string> args = {unixPath(base + ".sh"), unixPath(output), unixPath(code)};
    args.insert(args.end(), command.begin(), command.end());
    for (const std::string& arg : args) line += L" " + qpktest::quoteArgument(qpktest::widen(arg));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    UnixResult result;
    if (!CreateProcessW(L"Z:\\bin\\sh", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return result;
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    for (DWORD waited = 0; waited < timeoutMs && !fileExists(code); waited += 100) Sleep(100);
    if (!fileExists(code)) return result;
    result.exitCode = atoi(readFile(code).c_str());
    result.output = withoutCR(readFile(output));
    return result;
}

std::vector<uint64_t> blockFieldStarts(const std::string& setupPath, uint64_t& payloadStart) {
    RecordingSource source(readFile(setupPath));
    qpk::PeLayout pe;
    payloadStart = 0;
    if (!qpk::readPeLayout(source, pe).ok()) return {};
    payloadStart = pe.payloadStart;
    source.starts.clear();
    source.seek(pe.payloadStart);
    qpk::ConfigBlock block;
    if (!qpk::parseConfigBlock(source, block).ok()) return {};
    source.starts.push_back(block.fileAreaStart);
    return source.starts;
}

std::string basicManifest(const std::string& extraNarrow) {
    return R"({"narrow": {"107": "1", "2001": "q")" + extraNarrow +
           R"(}, "wide": {"1000": "Test Setup"}, "files": []})";
}

std::string kitJar() { return qpktest::toWindowsPath(QPK_KIT_JAR); }

std::string standinFileEntries(const std::string& jar, const std::string& kit) {
    return R"({"name": "qpkruntime.jar", "source": )" + jsonText(jar) +
           R"(}, {"name": "kit\\quillpack-installer-kit.jar", "source": )" + jsonText(kit) + "}";
}

std::string SetupTest::installerManifest(const std::string& extraNarrow, const std::string& productKind) {
    withRuntime_ = true;
    return R"({"narrow": {"107": "1", "2001": ")" + productKind + "\"" + extraNarrow +
           R"(}, "wide": {"1000": "Test Setup"}, "files": [)" +
           standinFileEntries(qpktest::toWindowsPath(QPK_RUNTIME_JAR)) + "]}";
}

void SetupTest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info->name();
    std::replace(name.begin(), name.end(), '/', '-');  // parameterised cases are named "Case/Param"
    scratch_ = std::make_unique<qpktest::ScratchDir>("qpk-e2e-" + name);
    ASSERT_TRUE(scratch_->valid());
    dir_ = scratch_->path();
    tmp_ = dir_ + "\\tmp";
    setup_ = dir_ + "\\setup.exe";
    makeDirectory(tmp_);
}

void SetupTest::TearDown() { scratch_.reset(); }

std::string SetupTest::pack(const std::string& manifestJson, const std::string& image) {
    std::string error;
    int rc = qpkpack::buildFromJson(image.empty() ? qpktest::launcherPath() : image, manifestJson, dir_,
                                    setup_, error);
    EXPECT_EQ(rc, qpkpack::kOk) << error;
    return setup_;
}

qpktest::RunOptions SetupTest::options(const std::map<std::string, std::string>& env) const {
    qpktest::RunOptions o;
    o.program = setup_;
    o.workingDir = dir_;
    o.setEnv["TMP"] = tmp_;
    o.setEnv["TEMP"] = tmp_;
    o.unsetEnv = {"CORVO_LOG", "QUILLPACK_LOG"};
    if (withRuntime_) {
        o.setEnv["QUILLPACK_JAVA_HOME"] = qpktest::toWindowsPath(QPK_JDK11_HOME);
        o.setEnv["QPK_JAVA_ACTION"] = "return";
        o.unsetEnv.push_back("CORVO_JAVA_HOME");
    }
    for (const auto& [k, v] : env) o.setEnv[k] = v;
    o.timeoutMs = 30000;
    return o;
}

qpktest::RunResult SetupTest::run(const std::vector<std::string>& args,
                                  const std::map<std::string, std::string>& env, const std::string& program) {
    qpktest::RunOptions o = options(env);
    if (!program.empty()) o.program = program;
    o.args = args;
    return finished(qpktest::runProgram(o));
}

qpktest::RunResult SetupTest::runWith(const qpktest::RunOptions& o) { return finished(qpktest::runProgram(o)); }

qpktest::RunResult SetupTest::runTail(const std::string& tail, const std::map<std::string, std::string>& env) {
    qpktest::RunOptions o = options(env);
    o.argText = tail;
    return finished(qpktest::runProgram(o));
}

std::vector<std::string> SetupTest::logs(const std::string& directory) const {
    std::string d = directory.empty() ? tmp_ : directory;
    std::vector<std::string> out;
    for (const std::string& name : namesMatching(d, "qpk_nlog_*.log")) out.push_back(d + "\\" + name);
    return out;
}

std::vector<std::string> SetupTest::leftInTmp() const {
    std::vector<std::string> found;
    for (const std::string& name : namesMatching(tmp_, "*"))
        if (name.rfind("qpk_nlog_", 0) != 0) found.push_back(name);
    return found;
}

void SetupTest::clearLogs(const std::string& directory) const {
    for (const std::string& log : logs(directory)) DeleteFileW(qpktest::widen(log).c_str());
}

std::string SetupTest::onlyLog(const std::string& directory) const {
    std::vector<std::string> found = logs(directory);
    EXPECT_EQ(found.size(), 1u) << "log files in " << (directory.empty() ? tmp_ : directory);
    return found.empty() ? std::string() : withoutCR(readFile(found[0]));
}

}  // namespace qpke2e
