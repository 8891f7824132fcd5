// Every rejected input names its field, fails with kFailed and leaves no output behind.
#include <string>

#include "Packer.h"
#include "PackerTestSupport.h"

namespace packertest {
namespace {

struct BadManifest {
    const char* json;
    const char* error;  // the message starts with this
};

class ManifestErrorTest : public PackerTest, public ::testing::WithParamInterface<BadManifest> {
protected:
    void expectNothingWritten() {
        EXPECT_FALSE(std::filesystem::exists(out_));
        EXPECT_FALSE(std::filesystem::exists(out_ + ".partial"));
    }
};

TEST_P(ManifestErrorTest, NamesTheFieldAndWritesNothing) {
    writeFile(path("a.bin"), "payload");
    EXPECT_EQ(qpkpack::kFailed, pack(GetParam().json));
    EXPECT_EQ(0u, error_.rfind(GetParam().error, 0)) << error_;
    expectNothingWritten();
}

INSTANTIATE_TEST_SUITE_P(Fields, ManifestErrorTest, ::testing::Values(
    BadManifest{"[]", "manifest: expected an object"},
    BadManifest{R"({"narrow": )", "manifest: [json.exception.parse_error"},
    BadManifest{R"({"bogus": 1})", "bogus: unknown key"},
    BadManifest{R"({"files": [{"name": "a", "source": "a.bin", "mode": 1}]})", "files[0].mode: unknown key"},
    BadManifest{R"({"languages": [{"code": "de", "wid": {}}]})", "languages[0].wid: unknown key"},
    BadManifest{R"({"integrity": 1})", "integrity: expected a boolean"},
    BadManifest{R"({"codepage": "1252"})", "codepage: expected an integer"},
    BadManifest{R"({"codepage": 1252.5})", "codepage: expected an integer"},
    BadManifest{R"({"codepage": 1250})", "codepage: unsupported code page 1250"},
    BadManifest{R"({"narrow": []})", "narrow: expected an object"},
    BadManifest{R"({"narrow": {"12x": "a"}})", "narrow.\"12x\": id is not a decimal integer"},
    BadManifest{R"({"wide": {"-": "a"}})", "wide.\"-\": id is not a decimal integer"},
    BadManifest{R"({"wide": {"": "a"}})", "wide.\"\": id is not a decimal integer"},
    BadManifest{R"({"narrow": {"2147483648": "a"}})", "narrow.\"2147483648\": id is out of the int32 range"},
    BadManifest{R"({"narrow": {"-2147483649": "a"}})", "narrow.\"-2147483649\": id is out of the int32 range"},
    BadManifest{R"({"narrow": {"99999999999": "a"}})", "narrow.\"99999999999\": id is out of the int32 range"},
    BadManifest{R"({"narrow": {"7": "a", "07": "b"}})", "narrow.\"07\": id 7 is given twice"},
    BadManifest{R"({"narrow": {"1": 5}})", "narrow.\"1\": expected a string"},
    BadManifest{R"({"narrow": {"1": "中"}})", "narrow.\"1\": character U+4E2D \"中\" does not fit code page 1252"},
    BadManifest{R"({"codepage": 437, "narrow": {"1": "€"}})", "narrow.\"1\": character U+20AC"},
    BadManifest{R"({"languages": [{"wide": {}}]})", "languages[0].code: missing"},
    BadManifest{R"({"languages": [{"code": "de"}, {"code": "fr", "wide": {"1": null}}]})",
                "languages[1].wide.\"1\": expected a string"},
    BadManifest{R"({"files": {}})", "files: expected an array"},
    BadManifest{R"({"files": ["a.bin"]})", "files[0]: expected an object"},
    BadManifest{R"({"files": [{"name": "a"}]})", "files[0].source: missing"},
    BadManifest{R"({"files": [{"name": "", "source": "a.bin"}]})", "files[0].name: is empty"},
    BadManifest{R"({"files": [{"name": "a;b", "source": "a.bin"}]})", "files[0].name: contains ';'"},
    BadManifest{R"({"files": [{"name": "中", "source": "a.bin"}]})", "files[0].name: character U+4E2D"},
    BadManifest{R"({"trailer": ""})", "trailer: is empty"},
    BadManifest{R"({"settings": []})", "settings: expected an object, found array"},
    BadManifest{R"({"defaultMessages": 0})", "defaultMessages: expected a boolean, found number"},
    BadManifest{R"({"settings": {"mainClas": "a"}})", "settings.mainClas: unknown setting"},
    BadManifest{R"({"messages": {"caption": "a"}})", "messages.caption: unknown message"},
    BadManifest{R"({"settings": {"mainClass": "a"}, "narrow": {"122": "b"}})",
                "settings.mainClass: entry 122 is also set by narrow.\"122\""},
    BadManifest{R"({"wide": {"123": "b"}, "settings": {"vmOptions": "a"}})",
                "settings.vmOptions: entry 123 is also set by wide.\"123\""},
    BadManifest{R"({"narrow": {"10203": "8"}, "settings": {"versionSpecificVmOptions": [
                    {"versionPrefix": "1", "options": ""}, {"versionPrefix": "2", "options": ""}]}})",
                "settings.versionSpecificVmOptions: entry 10203 is also set by narrow.\"10203\""},
    BadManifest{R"({"narrow": {"1000": "a"}, "messages": {"errorCaption": "b"}})",
                "messages.errorCaption: entry 1000 is also set by narrow.\"1000\""},
    BadManifest{R"({"languages": [{"code": "de", "wide": {"20007": "a"}, "messages": {"preparing": "b"}}]})",
                "languages[0].messages.preparing: entry 20007 is also set by languages[0].wide.\"20007\""},
    BadManifest{R"({"settings": {"minJavaVersion": 11}})", "settings.minJavaVersion: expected a string, found number"},
    BadManifest{R"({"settings": {"applicationKind": "1"}})", "settings.applicationKind: expected an integer, found string"},
    BadManifest{R"({"settings": {"applicationKind": 1.0}})", "settings.applicationKind: expected an integer, found number"},
    BadManifest{R"({"settings": {"applicationKind": 2147483648}})", "settings.applicationKind: out of the int32 range"},
    BadManifest{R"({"settings": {"splash1First": -2147483649}})", "settings.splash1First: out of the int32 range"},
    BadManifest{R"({"settings": {"singleInstance": 1}})", "settings.singleInstance: expected a boolean, found number"},
    BadManifest{R"({"settings": {"classPath": "A1a.jar"}})", "settings.classPath: expected an array, found string"},
    BadManifest{R"({"settings": {"classPath": ["A1a.jar;A1b.jar"]}})", "settings.classPath[0]: contains ';'"},
    BadManifest{R"({"settings": {"nativeLibraryDirectories": ["lib", ""]}})", "settings.nativeLibraryDirectories[1]: is empty"},
    BadManifest{R"({"settings": {"searchSequence": ["EJAVA_HOME"]}})", "settings.searchSequence[0]: expected \"L\" or"},
    BadManifest{R"({"settings": {"searchSequence": ["Y", "E:"]}})", "settings.searchSequence[1]: expected \"L\" or"},
    BadManifest{R"({"settings": {"searchSequence": ["1:x"]}})", "settings.searchSequence[0]: expected \"L\" or"},
    BadManifest{R"({"settings": {"versionSpecificVmOptions": [["11", "-Xss2m"]]}})",
                "settings.versionSpecificVmOptions[0]: expected an object, found array"},
    BadManifest{R"({"settings": {"versionSpecificVmOptions": [{"versionPrefix": "11"}]}})",
                "settings.versionSpecificVmOptions[0].options: missing"},
    BadManifest{R"({"settings": {"versionSpecificVmOptions": [{"versionPrefix": "", "options": "", "x": 1}]}})",
                "settings.versionSpecificVmOptions[0].x: unknown key"},
    BadManifest{R"({"settings": {"mainClass": "中"}})", "settings.mainClass: character U+4E2D"},
    BadManifest{R"({"languages": [{"code": "de", "messages": {"preparing": 1}}]})",
                "languages[0].messages.preparing: expected a string, found number"},
    // A downloaded runtime needs something that vouches for it.
    BadManifest{R"({"settings": {"downloadUrl": "http://example.com/rt.tar.gz"}})",
                "settings.downloadUrl: an address other than https:// needs settings.downloadSha256 (the SHA-256 of"},
    BadManifest{R"({"narrow": {"150": "ftp://example.com/rt.tar.gz"}})",
                "narrow.\"150\": an address other than https:// needs settings.downloadSha256"},
    BadManifest{R"({"settings": {"downloadUrl": "https://example.com/rt.tar.gz", "downloadSha256": "abc"}})",
                "settings.downloadSha256: expected 64 hexadecimal digits"},
    BadManifest{R"({"narrow": {"156": "not a digest"}})", "narrow.\"156\": expected 64 hexadecimal digits"},
    // The sources are only opened while writing: the partly written output must go too.
    BadManifest{R"({"files": [{"name": "a", "source": "a.bin"}, {"name": "b", "source": "x.bin"}]})",
                "files[1].source: cannot read \"x.bin\""},
    BadManifest{R"({"files": [{"name": "a", "source": "."}]})", "files[0].source: cannot read \".\""},
    BadManifest{R"({"files": [{"name": "a", "source": "a.bin"}], "trailer": "sig.bin"})",
                "trailer: cannot read \"sig.bin\""}));

TEST_F(ManifestErrorTest, LauncherThatIsNotAPeFile) {
    writeFile(launcher_, "MZ but nothing else");
    EXPECT_EQ(qpkpack::kFailed, pack("{}"));
    EXPECT_EQ("launcher: \"" + launcher_ + "\" is not a PE file: the PE headers are truncated", error_);
    expectNothingWritten();

    std::string image = fakePe();
    image[0x40] = 'N';
    writeFile(launcher_, image);
    EXPECT_EQ(qpkpack::kFailed, pack("{}"));
    EXPECT_EQ("launcher: \"" + launcher_ + "\" is not a PE file: no PE signature", error_);

    // The last section claims raw data past the end of the file.
    writeFile(launcher_, fakePe().substr(0, kFakePayloadStart - 1));
    EXPECT_EQ(qpkpack::kFailed, pack("{}"));
    EXPECT_EQ(0u, error_.find("launcher: \"" + launcher_ + "\" is not a PE file: the last section ends at 1536"));
    expectNothingWritten();

    launcher_ = path("missing.exe");
    EXPECT_EQ(qpkpack::kFailed, pack("{}"));
    EXPECT_EQ("launcher: cannot read \"" + launcher_ + "\"", error_);
}

TEST_F(ManifestErrorTest, FailureLeavesAnEarlierOutputUntouched) {
    writeFile(out_, "earlier setup");
    EXPECT_EQ(qpkpack::kFailed, pack(R"({"files": [{"name": "a", "source": "none.bin"}]})"));
    EXPECT_EQ("earlier setup", readFile(out_));
    EXPECT_FALSE(std::filesystem::exists(out_ + ".partial"));
}

}  // namespace
}  // namespace packertest
