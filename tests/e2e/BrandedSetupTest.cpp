// Setups packed with "executable": the identity that Windows' own resource and version
// functions find in them, the PE structure that Debian's pefile finds, and that they (also
// signed with osslsigncode) reach their Java main on the real Java 11 runtime.
#include <windows.h>

#include "IconBytes.h"
#include "JavaInstallerFixture.h"
#include "Packer.h"
#include "Utf8.h"

using namespace qpke2e;

namespace {

struct Module {
    HMODULE handle;
    ~Module() {
        if (handle) FreeLibrary(handle);
    }
};

std::string resourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type) {
    HRSRC found = FindResourceW(module, name, type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return data ? std::string(data, SizeofResource(module, found)) : std::string();
}

}  // namespace

class BrandedSetup : public JavaInstallerTest {
protected:
    void SetUp() override {
        JavaInstallerTest::SetUp();
        images_ = qpktest::sampleIconImages();
        writeFile(dir() + "\\art.ico", qpktest::icoFile(images_));
    }

    std::string packBranded(const std::string& launcher = std::string()) {
        return pack(R"({"narrow": {"107": "1", "2001": "q"}, "wide": {"1000": "Test Setup"}, "files": )" +
                        installerFiles() + R"(, "executable": {"icon": "art.ico",
                      "versionInfo": {"fileVersion": "2.4.1.0", "productVersion": "2.4.1",
                          "productName": "Example App", "companyName": "Example Ltd",
                          "fileDescription": "Example App Setup", "legalCopyright": "(c) 2026 Example Ltd",
                          "originalFilename": "example-setup.exe", "internalName": "example-setup",
                          "comments": "Grüße"},
                      "executionLevel": "requireAdministrator"}})",
                    launcher);
    }

    // Debian's pefile's view of `setup`, as name=value lines.
    std::string peFacts(const std::string& setup) {
        UnixResult r = runUnix(dir(), {"/usr/bin/python3", QPK_PE_FACTS_SCRIPT, unixPath(setup)});
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return r.output;
    }

    void expectReachesMain(const std::string& setup) {
        qpktest::RunOptions o = javaOptions("return");
        o.program = setup;
        o.args = {"-q"};
        qpktest::RunResult r = runWith(o);
        std::string log = onlyLog();
        EXPECT_EQ(r.exitCode, 0u) << log;
        EXPECT_TRUE(contains(log, "] verifying integrity length ")) << log;
        EXPECT_EQ(outputValue(fileExists(record_) ? readFile(record_) : std::string(), "recorded"), "1") << log;
        clearLogs();
    }

    std::vector<std::pair<int, std::string>> images_;
};

TEST_F(BrandedSetup, WindowsAndPefileFindTheIdentityAndTheSetupRuns) {
    std::string setup = packBranded();

    // The version functions of Windows.
    std::wstring file = qpktest::widen(setup);
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), nullptr);
    std::string info(size, '\0');
    ASSERT_TRUE(size && GetFileVersionInfoW(file.c_str(), 0, size, &info[0]));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020004u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020004u);
    const std::pair<const wchar_t*, const char*> strings[] = {
        {L"CompanyName", "Example Ltd"},         {L"FileDescription", "Example App Setup"},
        {L"FileVersion", "2.4.1.0"},             {L"InternalName", "example-setup"},
        {L"LegalCopyright", "(c) 2026 Example Ltd"}, {L"OriginalFilename", "example-setup.exe"},
        {L"ProductName", "Example App"},         {L"ProductVersion", "2.4.1"},
        {L"Comments", "Grüße"}};
    for (const auto& [name, expected] : strings) {
        wchar_t* value = nullptr;
        std::wstring query = std::wstring(L"\\StringFileInfo\\000004b0\\") + name;
        ASSERT_TRUE(VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) << expected;
        EXPECT_EQ(qpktest::narrow(value), expected);
    }

    // The icon images Windows picks from group 1001 for each size, and the manifest.
    Module module{LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)};
    ASSERT_TRUE(module.handle);
    std::string group = resourceBytes(module.handle, MAKEINTRESOURCEW(1001), MAKEINTRESOURCEW(14));
    ASSERT_FALSE(group.empty());
    for (const auto& [side, image] : images_) {
        int id = LookupIconIdFromDirectoryEx(reinterpret_cast<BYTE*>(&group[0]), TRUE, side, side, LR_DEFAULTCOLOR);
        EXPECT_TRUE(resourceBytes(module.handle, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3)) == image) << side;
    }
    std::string manifest = resourceBytes(module.handle, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    EXPECT_TRUE(contains(manifest, "<requestedExecutionLevel level=\"requireAdministrator\"")) << manifest;
    EXPECT_TRUE(contains(manifest, "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"")) << manifest;

    // The structure, by a PE reader of its own; the launcher's own icon images are gone.
    std::string facts = peFacts(setup);
    for (const char* fact : {"checksum_valid=True", "warnings=none", "sections_contiguous=True",
                             "size_of_image_valid=True", "icon_images=4", "certificate=none"})
        EXPECT_TRUE(contains(facts, std::string(fact) + "\n")) << fact << "\n" << facts;
    EXPECT_NE(outputValue(facts, "relocation_blocks"), "0");
    uint64_t payloadStart = 0;
    blockFieldStarts(setup, payloadStart);
    EXPECT_EQ(outputValue(facts, "image_end"), std::to_string(payloadStart));

    expectReachesMain(setup);
}

// Signed as an author would after packing: the signature verifies, the setup still passes
// its CRC check and runs, and packing the signed setup again drops the signature.
TEST_F(BrandedSetup, SignedSetupVerifiesRunsAndRepacksWithoutItsSignature) {
    std::string setup = packBranded(), signedSetup = dir() + "\\signed.exe";
    UnixResult sign =
        runUnix(dir(), {"/bin/sh", QPK_SIGN_SETUP_SCRIPT, unixPath(setup), unixPath(signedSetup), unixPath(dir())});
    ASSERT_EQ(sign.exitCode, 0) << sign.output;
    EXPECT_TRUE(contains(sign.output, "Signature verification: ok\n")) << sign.output;

    // The certificate table is where the standard puts it: at the end, behind the payload.
    std::string facts = peFacts(signedSetup);
    EXPECT_TRUE(contains(facts, "checksum_valid=True\n")) << facts;
    std::string table = outputValue(facts, "certificate");
    uint64_t offset = strtoull(table.c_str(), nullptr, 10);
    uint64_t tableSize = strtoull(table.c_str() + table.find(',') + 1, nullptr, 10);
    EXPECT_GE(offset, readFile(setup).size());
    EXPECT_EQ(offset + tableSize, readFile(signedSetup).size());

    expectReachesMain(signedSetup);

    std::string unsignedBytes = readFile(setup);
    packBranded(signedSetup);
    EXPECT_TRUE(readFile(setup) == unsignedBytes);
    EXPECT_TRUE(contains(peFacts(setup), "certificate=none\n"));
}
