// "executable": the setup's icon, version information and execution level written into the
// launcher's resources, with the PE headers kept consistent and the payload right behind the
// rebuilt image.
#include <nlohmann/json.hpp>

#include "ByteOrder.h"
#include "IconBytes.h"
#include "IconFile.h"
#include "Packer.h"
#include "PackerTestSupport.h"
#include "PeImage.h"
#include "ResourceTree.h"
#include "VersionResource.h"
#include "payload/PeLayout.h"

namespace packertest {
namespace {

using qpkpack::Resource;
using Json = nlohmann::json;

const char kManifest[] =
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
    "  <trustInfo><security><requestedPrivileges>\n"
    "    <requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>\n"
    "  </requestedPrivileges></security></trustInfo>\n</assembly>\n";

std::string groupOf(std::initializer_list<uint16_t> ids) {
    std::vector<qpkpack::IconEntry> entries;
    for (uint16_t id : ids) entries.push_back({16, 16, 0, 1, 32, 9, id, false});
    return qpkpack::groupIconData(entries);
}

// What the fake launcher carries: a manifest, a dialog, a named resource, icon group 1001
// (images 1 and 2) and group 7, which shares image 2.
std::vector<Resource> launcherResources() {
    return {{{24, {}}, {1, {}}, 1033, 0, kManifest},
            {{5, {}}, {103, {}}, 1033, 0, "dialog 103"},
            {{0, u"DATA"}, {0, u"CONFIG"}, 0, 1252, "named data"},
            {{3, {}}, {1, {}}, 1033, 0, "old image 1"},
            {{3, {}}, {2, {}}, 1033, 0, "old image 2"},
            {{14, {}}, {1001, {}}, 1033, 0, groupOf({1, 2})},
            {{14, {}}, {7, {}}, 1033, 0, groupOf({2})}};
}

const Resource* find(const std::vector<Resource>& all, uint16_t type, uint16_t name) {
    for (const Resource& r : all)
        if (r.type.is(type) && r.name.is(name)) return &r;
    return nullptr;
}

class ExecutableTest : public PackerTest {
protected:
    void SetUp() override {
        PackerTest::SetUp();
        images_ = qpktest::sampleIconImages();
        writeFile(path("art.ico"), qpktest::icoFile(images_));
    }

    // The fake launcher with resources: they become its third and last section.
    void giveLauncherResources(const std::vector<Resource>& resources) {
        std::string image = fakePe(), why;
        qpkpack::PeHeaders pe;
        ASSERT_TRUE(qpkpack::parsePeHeaders(image, pe, why)) << why;
        ASSERT_TRUE(qpkpack::replaceResourceDirectory(
            image, pe, [&](uint32_t rva) { return qpkpack::buildResourceDirectory(resources, rva); }, why))
            << why;
        writeFile(launcher_, image);
    }

    int packBranded(const std::string& level = "requireAdministrator") {
        return pack(R"({"executable": {"icon": "art.ico", "executionLevel": ")" + level + R"(",
                        "versionInfo": {"fileVersion": "2.4.1.0", "productVersion": "2.4.1",
                                        "productName": "Example App", "comments": "Grüße 日本"}}})");
    }

    // The headers and resources of out.exe, which must be a consistent image with its block
    // right behind the last section.
    void readOutput(qpkpack::PeHeaders& pe, std::vector<Resource>& resources) {
        std::string out = readFile(out_), why;
        qpk::MemorySource source(out);
        qpk::PeLayout layout;
        ASSERT_TRUE(qpk::readPeLayout(source, layout).ok());
        std::string image = out.substr(0, size_t(layout.payloadStart));
        ASSERT_TRUE(qpkpack::parsePeHeaders(image, pe, why)) << why;
        ASSERT_TRUE(qpkpack::readResources(image, pe, resources, why)) << why;
        const qpkpack::PeSection& last = pe.sections.back();
        EXPECT_EQ(qpkpack::getU32(image, pe.optionalHeader + 56),
                  (last.virtualAddress + last.virtualSize + 0xFFF) / 0x1000 * 0x1000);  // SizeOfImage
        for (size_t i = 1; i < pe.sections.size(); ++i)
            EXPECT_EQ(pe.sections[i].virtualAddress,
                      (pe.sections[i - 1].virtualAddress + pe.sections[i - 1].virtualSize + 0xFFF) / 0x1000 * 0x1000);
        std::string report;
        EXPECT_EQ(qpkpack::kOk, qpkpack::inspect(out_, report, error_)) << error_;  // the CRC matches
    }

    void expectBranded(const std::vector<Resource>& resources) {
        const Resource* group = find(resources, 14, 1001);
        std::vector<qpkpack::IconEntry> entries;
        ASSERT_TRUE(group && qpkpack::parseGroupIcon(group->data, entries));
        ASSERT_EQ(entries.size(), images_.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].width, images_[i].first);
            const Resource* image = find(resources, 3, entries[i].id);
            ASSERT_TRUE(image) << entries[i].id;
            EXPECT_TRUE(image->data == images_[i].second) << "image " << i;
            EXPECT_EQ(image->language, group->language);
        }
        qpkpack::VersionInfo info;
        ASSERT_TRUE(find(resources, 16, 1) && qpkpack::parseVersionResource(find(resources, 16, 1)->data, info));
        EXPECT_EQ(qpkpack::versionText(info.fileVersion), "2.4.1.0");
        EXPECT_EQ(qpkpack::versionText(info.productVersion), "2.4.1.0");
        EXPECT_EQ(info.table, u"000004b0");
        using Strings = std::vector<std::pair<std::u16string, std::u16string>>;
        EXPECT_EQ(info.strings, (Strings{{u"FileVersion", u"2.4.1.0"}, {u"ProductName", u"Example App"},
                                         {u"ProductVersion", u"2.4.1"}, {u"Comments", u"Grüße 日本"}}));
    }

    std::vector<std::pair<int, std::string>> images_;
};

TEST_F(ExecutableTest, ResourcesAreReplacedAndTheRestKept) {
    giveLauncherResources(launcherResources());
    ASSERT_EQ(qpkpack::kOk, packBranded()) << error_;
    qpkpack::PeHeaders pe;
    std::vector<Resource> resources;
    readOutput(pe, resources);
    EXPECT_EQ(pe.sections.size(), 3u);  // rebuilt where it was
    expectBranded(resources);
    // Image 2 stays for group 7; the new images take the free ids around it.
    EXPECT_EQ(find(resources, 3, 2)->data, "old image 2");
    EXPECT_EQ(find(resources, 14, 7)->data, groupOf({2}));
    EXPECT_EQ(find(resources, 3, 1)->data, images_[0].second);
    EXPECT_EQ(find(resources, 3, 5)->data, images_[3].second);
    EXPECT_EQ(find(resources, 5, 103)->data, "dialog 103");
    auto named = std::find_if(resources.begin(), resources.end(), [](const Resource& r) { return r.name.text == u"CONFIG"; });
    ASSERT_NE(named, resources.end());
    EXPECT_EQ(named->type.text, u"DATA");
    EXPECT_EQ(named->data, "named data");
    EXPECT_EQ(named->codePage, 1252u);
    std::string manifest = kManifest;
    manifest.replace(manifest.find("asInvoker"), 9, "requireAdministrator");
    EXPECT_EQ(find(resources, 24, 1)->data, manifest);

    std::string report;
    ASSERT_EQ(qpkpack::kOk, qpkpack::inspect(out_, report, error_));
    Json described = Json::parse(report)["executable"];
    EXPECT_EQ(described["executionLevel"], "requireAdministrator");
    EXPECT_EQ(described["versionInfo"]["strings"]["Comments"], "Grüße 日本");
    ASSERT_EQ(described["icon"].size(), 4u);
    EXPECT_EQ(described["icon"][3], Json::parse(R"({"width": 256, "height": 256, "bitCount": 32, "png": true,
                                                    "bytes": )" + std::to_string(images_[3].second.size()) + "}"));
}

// A setup used as the launcher, signed or not, gives the same setup again: the signature is
// dropped with its table entry and the resources are rebuilt in the same place.
TEST_F(ExecutableTest, RepackingASignedSetupGivesTheSameSetup) {
    giveLauncherResources(launcherResources());
    ASSERT_EQ(qpkpack::kOk, packBranded()) << error_;
    std::string first = readFile(out_);
    qpkpack::PeHeaders pe;
    std::string why;
    ASSERT_TRUE(qpkpack::parsePeHeaders(first, pe, why)) << why;
    std::string signedSetup = first + std::string(8, '\0') + "certificate table";
    qpkpack::setDataDirectory(signedSetup, pe, qpkpack::kCertificateDirectory,
                              {uint32_t(first.size() + 8), uint32_t(signedSetup.size() - first.size() - 8)});
    launcher_ = path("signed.exe");
    writeFile(launcher_, signedSetup);
    ASSERT_EQ(qpkpack::kOk, packBranded()) << error_;
    EXPECT_TRUE(readFile(out_) == first);
}

// The base relocations behind the resources move with them, data directory and all.
TEST_F(ExecutableTest, RelocationsBehindTheResourcesMove) {
    giveLauncherResources({{{24, {}}, {1, {}}, 1033, 0, kManifest}});
    std::string image = readFile(launcher_), why;
    qpkpack::PeHeaders pe;
    ASSERT_TRUE(qpkpack::parsePeHeaders(image, pe, why)) << why;
    const std::string relocations(0x200, '\x5C');
    const size_t header = pe.sectionTable + 40 * 3;
    image.replace(header, 6, ".reloc");
    qpkpack::setU32(image, header + 8, 0x20);     // virtual size
    qpkpack::setU32(image, header + 12, 0x4000);  // behind the resources at 0x3000
    qpkpack::setU32(image, header + 16, uint32_t(relocations.size()));
    qpkpack::setU32(image, header + 20, uint32_t(image.size()));
    qpkpack::setU16(image, pe.fileHeader + 2, 4);
    qpkpack::setDataDirectory(image, pe, qpkpack::kRelocationDirectory, {0x4000, 0x20});
    writeFile(launcher_, image + relocations);

    ASSERT_EQ(qpkpack::kOk, packBranded()) << error_;
    std::vector<Resource> resources;
    readOutput(pe, resources);
    expectBranded(resources);
    ASSERT_EQ(pe.sections.size(), 4u);
    const qpkpack::PeSection &rsrc = pe.sections[2], &reloc = pe.sections[3];
    EXPECT_GT(rsrc.virtualSize, 0x1000u);  // grown over the old place of the relocations
    EXPECT_EQ(reloc.rawPointer, rsrc.rawPointer + rsrc.rawSize);
    std::string out = readFile(out_);
    EXPECT_EQ(out.substr(reloc.rawPointer, reloc.rawSize), relocations);
    qpkpack::DataDirectory moved = qpkpack::dataDirectory(out, pe, qpkpack::kRelocationDirectory);
    EXPECT_EQ(moved.address, reloc.virtualAddress);
    EXPECT_EQ(moved.size, 0x20u);
    qpkpack::DataDirectory directory = qpkpack::dataDirectory(out, pe, qpkpack::kResourceDirectory);
    EXPECT_EQ(directory.address, rsrc.virtualAddress);
    EXPECT_EQ(directory.size, rsrc.virtualSize);
}

struct BadExecutable {
    const char* executable;
    const char* error;  // the message starts with this
};

class ExecutableErrorTest : public ExecutableTest, public ::testing::WithParamInterface<BadExecutable> {};

TEST_P(ExecutableErrorTest, NamesTheFieldAndWritesNothing) {
    std::string ico = qpktest::icoFile(images_);
    writeFile(path("text.ico"), "plain text");
    writeFile(path("empty.ico"), ico.substr(0, 4) + std::string(2, '\0'));
    writeFile(path("short.ico"), ico.substr(0, 6 + 16 + 30));
    std::string garbled = ico;
    garbled.replace(qpkpack::getU32(ico, 6 + 16 + 12), 4, "junk");  // the second image's header
    writeFile(path("garbled.ico"), garbled);
    EXPECT_EQ(qpkpack::kFailed, pack(std::string(R"({"executable": )") + GetParam().executable + "}"));
    EXPECT_EQ(0u, error_.rfind(GetParam().error, 0)) << error_;
    EXPECT_FALSE(std::filesystem::exists(out_));
    EXPECT_FALSE(std::filesystem::exists(out_ + ".partial"));
}

INSTANTIATE_TEST_SUITE_P(Fields, ExecutableErrorTest, ::testing::Values(
    BadExecutable{R"("art.ico")", "executable: expected an object, found string"},
    BadExecutable{R"({"icon": "art.ico", "colour": 1})", "executable.colour: unknown key"},
    BadExecutable{R"({"icon": ""})", "executable.icon: is empty"},
    BadExecutable{R"({"icon": "none.ico"})", "executable.icon: cannot read \"none.ico\""},
    BadExecutable{R"({"icon": "text.ico"})", "executable.icon: \"text.ico\" is not an .ico file: no icon file header"},
    BadExecutable{R"({"icon": "empty.ico"})", "executable.icon: \"empty.ico\" is not an .ico file: it holds no image"},
    BadExecutable{R"({"icon": "short.ico"})",
                  "executable.icon: \"short.ico\" is not an .ico file: the image list is truncated"},
    BadExecutable{R"({"icon": "garbled.ico"})",
                  "executable.icon: \"garbled.ico\" is not an .ico file: image 2 (32x32): neither a PNG nor a bitmap"},
    BadExecutable{R"({"versionInfo": {"productName": "x"}})", "executable.versionInfo.fileVersion: missing"},
    BadExecutable{R"({"versionInfo": {"fileVersion": "2.4.1"}})",
                  "executable.versionInfo.fileVersion: expected four numbers separated by dots"},
    BadExecutable{R"({"versionInfo": {"fileVersion": "2.4.1.x"}})",
                  "executable.versionInfo.fileVersion: expected four numbers separated by dots"},
    BadExecutable{R"({"versionInfo": {"fileVersion": "2.4.1.65536"}})",
                  "executable.versionInfo.fileVersion: the number 65536 is larger than 65535"},
    BadExecutable{R"({"versionInfo": {"fileVersion": "1.2.3.4", "productVersion": "2.4 beta"}})",
                  "executable.versionInfo.productVersion: expected one to four numbers"},
    BadExecutable{R"({"versionInfo": {"fileVersion": "1.2.3.4", "productname": "x"}})",
                  "executable.versionInfo.productname: unknown key"},
    BadExecutable{R"({"versionInfo": {"fileVersion": "1.2.3.4", "comments": 5}})",
                  "executable.versionInfo.comments: expected a string, found number"},
    BadExecutable{R"({"versionInfo": "2.4.1.0"})", "executable.versionInfo: expected an object, found string"},
    BadExecutable{R"({"executionLevel": "admin"})",
                  "executable.executionLevel: expected \"asInvoker\", \"highestAvailable\" or \"requireAdministrator\""},
    // The fake launcher has no application manifest to put the level in.
    BadExecutable{R"({"executionLevel": "highestAvailable"})",
                  "executable.executionLevel: the launcher has no application manifest"}));

}  // namespace
}  // namespace packertest
