// Settings and messages by name: what they become in the block, how inspect names them
// again, the default messages and the warnings about missing settings.
#include <algorithm>

#include <nlohmann/json.hpp>

#include "Packer.h"
#include "PackerTestSupport.h"
#include "SettingNames.h"

namespace packertest {
namespace {

using Json = nlohmann::json;  // compares objects whatever their key order

// One value of every kind, with texts outside ASCII.
const char kSettings[] = R"({
    "applicationKind": 1, "mainClass": "demo/Main", "minJavaVersion": "11", "workingDirectory": "Grüße",
    "singleInstance": true, "noProgressDialog": false, "splash2Second": -7,
    "searchSequence": ["E:JAVA_HOME", "Y", "A:C:\\jre", "V:x"],
    "classPath": ["A1app.jar", "E0EXTRA"],
    "vmOptions": "-Xmx1g -Dname=日本",
    "versionSpecificVmOptions": [{"versionPrefix": "1.8", "options": "-XX:+Old"},
                                 {"versionPrefix": "", "options": "-Xss2m"}]})";

class NamedSettingsTest : public PackerTest {
protected:
    std::string entry(int32_t id) {
        for (const auto& [key, text] : block_.narrow)
            if (key == id) return text;
        return "<absent>";
    }
    std::u16string wide(const std::vector<std::pair<int32_t, std::u16string>>& entries, int32_t id) {
        for (const auto& [key, text] : entries)
            if (key == id) return text;
        return u"<absent>";
    }
    int packAndParse(const std::string& json) {
        int rc = pack(json);
        if (rc == qpkpack::kOk) block_ = parsedBlock();
        return rc;
    }
    Json inspected() {
        std::string report;
        EXPECT_EQ(qpkpack::kOk, qpkpack::inspect(out_, report, error_)) << error_;
        return Json::parse(report);
    }
    qpk::ConfigBlock block_;
};

TEST_F(NamedSettingsTest, NamedManifestRoundTripsThroughTheBlockAndInspect) {
    ASSERT_EQ(qpkpack::kOk, packAndParse(std::string(R"({"settings": )") + kSettings + "}")) << error_;
    EXPECT_EQ("1", entry(107));
    EXPECT_EQ("Gr\xFC\xDF\x65", entry(146));
    EXPECT_EQ("1", entry(10005));
    EXPECT_EQ("0", entry(155));
    EXPECT_EQ("-7", entry(10115));
    EXPECT_EQ("EJAVA_HOME;Y;AC:\\jre;Vx", entry(128));
    EXPECT_EQ("A1app.jar;E0EXTRA", entry(121));
    EXPECT_EQ(u"-Xmx1g -Dname=日本", wide(block_.wide, 123));
    EXPECT_EQ("2", entry(10200));
    EXPECT_EQ("1.8", entry(10201));
    EXPECT_EQ(u"-XX:+Old", wide(block_.wide, 10202));
    EXPECT_EQ("", entry(10203));
    EXPECT_EQ(u"-Xss2m", wide(block_.wide, 10204));

    // Inspect gives each setting back by name, with its id, in the manifest's own form.
    Json settings = inspected()["settings"], values = Json::object();
    for (const auto& item : settings.items()) {
        EXPECT_EQ(qpkpack::findSetting(item.key())->id, item.value()["id"]) << item.key();
        values[item.key()] = item.value()["value"];
    }
    EXPECT_EQ(Json::parse(kSettings), values);
    EXPECT_EQ(128, settings["searchSequence"]["id"]);
}

TEST_F(NamedSettingsTest, InspectNamesEntriesSetByNumber) {
    ASSERT_EQ(qpkpack::kOk, pack(R"({"narrow": {"155": "2", "107": " 5x", "128": "Y;;EJH;"},
                                     "wide": {"1000": "Caption"}})")) << error_;
    Json r = inspected();
    EXPECT_EQ(true, r["settings"]["noProgressDialog"]["value"]);
    EXPECT_EQ(5, r["settings"]["applicationKind"]["value"]);  // read as the launcher reads it
    EXPECT_EQ(Json::parse(R"(["Y", "E:JH"])"), r["settings"]["searchSequence"]["value"]);
    EXPECT_EQ(Json::parse(R"({"id": 1000, "text": "Caption"})"), r["messages"]["errorCaption"]);
    EXPECT_FALSE(r["settings"].contains("mainClass"));
}

TEST_F(NamedSettingsTest, EveryMessageGetsItsDefaultUnlessTheManifestSetsIt) {
    ASSERT_EQ(qpkpack::kOk, packAndParse("{}")) << error_;
    ASSERT_EQ(qpkpack::messageNames().size(), block_.wide.size());
    for (const auto& msg : qpkpack::messageNames()) EXPECT_NE(u"<absent>", wide(block_.wide, msg.id)) << msg.id;
    EXPECT_EQ(u"Setup", wide(block_.wide, 1000));
    EXPECT_EQ(u"No suitable Java runtime was found. Please install a {0}-bit Java runtime.", wide(block_.wide, 1016));

    // Set by id, by name, as 8-bit text (no default then, which would hide it), and per
    // language, where the default stays the base text.
    ASSERT_EQ(qpkpack::kOk, packAndParse(R"({"wide": {"1000": "Mine"}, "narrow": {"1009": "Oops {0}"},
        "messages": {"preparing": "Einen Moment"},
        "languages": [{"code": "de", "messages": {"cancelButton": "Abbrechen"}}]})")) << error_;
    EXPECT_EQ(qpkpack::messageNames().size() - 1, block_.wide.size());
    EXPECT_EQ(u"Mine", wide(block_.wide, 1000));
    EXPECT_EQ(u"<absent>", wide(block_.wide, 1009));
    EXPECT_EQ(u"Einen Moment", wide(block_.wide, 20007));
    EXPECT_EQ(u"Cancel", wide(block_.wide, 20012));
    EXPECT_EQ(u"Abbrechen", wide(block_.sections[0].entries, 20012));

    ASSERT_EQ(qpkpack::kOk, packAndParse(R"({"defaultMessages": false, "messages": {"cancelButton": "Stop"}})"));
    EXPECT_EQ((std::vector<std::pair<int32_t, std::u16string>>{{20012, u"Stop"}}), block_.wide);
}

TEST_F(NamedSettingsTest, MissingNeededSettingsAreWarnedAboutWithoutFailing) {
    std::vector<std::string> warnings;
    ASSERT_EQ(qpkpack::kOk, qpkpack::buildFromJson(launcher_, "{}", dir_.string(), out_, error_, &warnings));
    ASSERT_EQ(2u, warnings.size());
    EXPECT_EQ(0u, warnings[0].find("settings.applicationKind (entry 107) is not set: fatal errors go to standard error"));
    EXPECT_EQ(0u, warnings[1].find("settings.mainClass (entry 122) is not set"));

    // Set by id counts too; errors and warnings of a manifest file name it.
    warnings.clear();
    writeFile(path("m.json"), R"({"narrow": {"107": "1"}, "settings": {"mainClass": "a.B"}})");
    ASSERT_EQ(qpkpack::kOk, qpkpack::buildFromManifest(launcher_, path("m.json"), out_, error_, &warnings));
    EXPECT_TRUE(warnings.empty());
    // An https:// download without a digest: only the certificate vouches for it.
    warnings.clear();
    ASSERT_EQ(qpkpack::kOk, qpkpack::buildFromJson(launcher_, R"({"narrow": {"107": "1", "122": "a.B"},
        "settings": {"downloadUrl": "https://example.com/rt.tar.gz"}})", dir_.string(), out_, error_, &warnings));
    ASSERT_EQ(1u, warnings.size());
    EXPECT_EQ("settings.downloadUrl (entry 150) is https:// without settings.downloadSha256 (entry 156): only the "
              "server's certificate vouches for the runtime",
              warnings[0]);
    writeFile(path("m.json"), R"({"settings": {"requireJdk": "yes"}})");
    EXPECT_EQ(qpkpack::kFailed, qpkpack::buildFromManifest(launcher_, path("m.json"), out_, error_, &warnings));
    EXPECT_EQ(path("m.json") + ": settings.requireJdk: expected a boolean, found string", error_);
}

}  // namespace
}  // namespace packertest
