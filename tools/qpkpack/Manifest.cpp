#include "Manifest.h"

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <set>

#include <nlohmann/json.hpp>

#include "CodePage.h"
#include "NamedSettings.h"
#include "RuntimeArchive.h"
#include "VersionResource.h"
#include "payload/BlockFormat.h"

namespace qpkpack {
namespace {

// Manifest order is kept so that the block lists the texts as the author wrote them.
using Json = nlohmann::ordered_json;

// The version strings an author may set, by manifest key, in the order the resource lists
// them; fileVersion and productVersion also fill the fixed part.
const std::pair<const char*, const char16_t*> kVersionStrings[] = {
    {"companyName", u"CompanyName"},         {"fileDescription", u"FileDescription"},
    {"fileVersion", u"FileVersion"},         {"internalName", u"InternalName"},
    {"legalCopyright", u"LegalCopyright"},   {"originalFilename", u"OriginalFilename"},
    {"productName", u"ProductName"},         {"productVersion", u"ProductVersion"},
    {"comments", u"Comments"}};

std::string member(const std::string& prefix, const std::string& key) {
    return prefix.empty() ? key : prefix + "." + key;
}

std::string idField(const std::string& prefix, const std::string& key) {
    return prefix + ".\"" + key + "\"";
}

std::string indexed(const std::string& prefix, size_t i) {
    return prefix + "[" + std::to_string(i) + "]";
}

bool parseId(const std::string& key, int32_t& id, std::string& why) {
    size_t i = key.size() > 1 && key[0] == '-' ? 1 : 0;
    if (i == key.size() || !std::all_of(key.begin() + i, key.end(),
                                        [](char c) { return c >= '0' && c <= '9'; })) {
        why = "id is not a decimal integer";
        return false;
    }
    // Eleven digits already exceed any int32, so the accumulation cannot overflow.
    if (key.size() - i > 10) {
        why = "id is out of the int32 range";
        return false;
    }
    int64_t v = 0;
    for (size_t k = i; k < key.size(); ++k) v = v * 10 + (key[k] - '0');
    if (i) v = -v;
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
        why = "id is out of the int32 range";
        return false;
    }
    id = int32_t(v);
    return true;
}

class Parser {
public:
    Parser(const std::filesystem::path& baseDir, Manifest& m, std::string& error)
        : baseDir_(baseDir), m_(m), error_(error) {}

    bool run(const Json& root) {
        if (!root.is_object()) return fail("manifest", "expected an object, found " + type(root));
        if (!knownKeys(root, "", {"integrity", "codepage", "narrow", "wide", "languages", "files",
                                  "runtime", "trailer", "settings", "messages", "defaultMessages",
                                  "executable"}))
            return false;
        // The code page comes first: every 8-bit text depends on it.
        if (const Json* v = find(root, "codepage")) {
            if (!v->is_number_integer()) return fail("codepage", "expected an integer, found " + type(*v));
            int64_t cp = v->get<int64_t>();
            if (cp < 0 || cp > 0xFFFF || !isSupportedCodePage(int(cp)))
                return fail("codepage", "unsupported code page " + std::to_string(cp) +
                                            " (supported: 1252, 437, 850, 65001)");
            m_.codePage = int(cp);
        }
        if (const Json* v = find(root, "integrity")) {
            if (!v->is_boolean()) return fail("integrity", "expected a boolean, found " + type(*v));
            m_.integrity = v->get<bool>();
        }
        if (const Json* v = find(root, "narrow"); v && !narrowTexts(*v)) return false;
        if (const Json* v = find(root, "wide"); v && !wideTexts(*v, "wide", m_.wide)) return false;
        if (const Json* v = find(root, "languages"); v && !languages(*v)) return false;
        if (const Json* v = find(root, "files"); v && !files(*v)) return false;
        if (const Json* v = find(root, "runtime")) {
            if (!path(*v, "runtime", m_.runtimePath)) return false;
            m_.hasRuntime = true;
            m_.runtimeSource = v->get_ref<const std::string&>();
            for (const PayloadFile& f : m_.files)
                if (f.name == kRuntimeArchiveName)
                    return fail("runtime", std::string("the files already hold \"") + kRuntimeArchiveName + "\"");
            encodedNames_.push_back(kRuntimeArchiveName);
        }
        if (const Json* v = find(root, "trailer")) {
            if (!path(*v, "trailer", m_.trailerPath)) return false;
            m_.hasTrailer = true;
            m_.trailerSource = v->get_ref<const std::string&>();
        }
        if (const Json* v = find(root, "executable"); v && !executable(*v)) return false;
        fillFileList();
        return addNamedEntries(root, m_, error_);
    }

private:
    bool fail(const std::string& field, const std::string& what) {
        error_ = field + ": " + what;
        return false;
    }

    static std::string type(const Json& v) { return v.type_name(); }

    static const Json* find(const Json& obj, const char* key) {
        auto it = obj.find(key);
        return it == obj.end() ? nullptr : &*it;
    }

    bool knownKeys(const Json& obj, const std::string& prefix, std::initializer_list<const char*> keys) {
        for (const auto& item : obj.items()) {
            if (std::none_of(keys.begin(), keys.end(), [&](const char* k) { return item.key() == k; }))
                return fail(member(prefix, item.key()), "unknown key");
        }
        return true;
    }

    bool string(const Json& v, const std::string& field, bool allowEmpty = true) {
        if (!v.is_string()) return fail(field, "expected a string, found " + type(v));
        if (!allowEmpty && v.get_ref<const std::string&>().empty()) return fail(field, "is empty");
        return true;
    }

    bool encodeNarrow(const std::string& text, const std::string& field, std::string& out) {
        std::string why;
        return utf8ToCodePage(text, m_.codePage, out, why) || fail(field, why);
    }

    // An object from decimal id to text; `each` converts and stores one entry.
    template <typename Each>
    bool idTable(const Json& v, const std::string& field, Each each) {
        if (!v.is_object()) return fail(field, "expected an object, found " + type(v));
        std::set<int32_t> seen;
        for (const auto& item : v.items()) {
            std::string f = idField(field, item.key()), why;
            int32_t id = 0;
            if (!parseId(item.key(), id, why)) return fail(f, why);
            // "7" and "07" are the same id; the block would keep both and the later wins.
            if (!seen.insert(id).second) return fail(f, "id " + std::to_string(id) + " is given twice");
            if (!string(item.value(), f) || !each(id, item.value().template get_ref<const std::string&>(), f))
                return false;
        }
        return true;
    }

    bool narrowTexts(const Json& v) {
        return idTable(v, "narrow", [&](int32_t id, const std::string& text, const std::string& f) {
            std::string encoded;
            if (!encodeNarrow(text, f, encoded)) return false;
            m_.narrow.emplace_back(id, std::move(encoded));
            return true;
        });
    }

    bool wideTexts(const Json& v, const std::string& field,
                   std::vector<std::pair<int32_t, std::u16string>>& out) {
        return idTable(v, field, [&](int32_t id, const std::string& text, const std::string& f) {
            std::u16string wide;
            std::string why;
            if (!utf8ToUtf16(text, wide, why)) return fail(f, why);
            out.emplace_back(id, std::move(wide));
            return true;
        });
    }

    bool languages(const Json& v) {
        if (!v.is_array()) return fail("languages", "expected an array, found " + type(v));
        for (size_t i = 0; i < v.size(); ++i) {
            const Json& lang = v[i];
            std::string field = indexed("languages", i);
            if (!lang.is_object()) return fail(field, "expected an object, found " + type(lang));
            if (!knownKeys(lang, field, {"code", "wide", "messages"})) return false;
            qpk::LanguageSection section;
            const Json* code = find(lang, "code");
            if (!code) return fail(member(field, "code"), "missing");
            if (!string(*code, member(field, "code")) ||
                !encodeNarrow(code->get_ref<const std::string&>(), member(field, "code"), section.code))
                return false;
            if (const Json* w = find(lang, "wide"); w && !wideTexts(*w, member(field, "wide"), section.entries))
                return false;
            m_.languages.push_back(std::move(section));
        }
        return true;
    }

    bool path(const Json& v, const std::string& field, std::filesystem::path& out) {
        if (!string(v, field, false)) return false;
        // Manifest texts are UTF-8 whatever the platform's narrow encoding is.
        std::filesystem::path p = std::filesystem::u8path(v.get_ref<const std::string&>());
        out = p.is_absolute() ? p : baseDir_ / p;
        return true;
    }

    bool files(const Json& v) {
        if (!v.is_array()) return fail("files", "expected an array, found " + type(v));
        for (size_t i = 0; i < v.size(); ++i) {
            const Json& file = v[i];
            std::string field = indexed("files", i);
            if (!file.is_object()) return fail(field, "expected an object, found " + type(file));
            if (!knownKeys(file, field, {"name", "source"})) return false;
            const Json* name = find(file, "name");
            const Json* source = find(file, "source");
            if (!name) return fail(member(field, "name"), "missing");
            if (!source) return fail(member(field, "source"), "missing");
            PayloadFile entry;
            if (!string(*name, member(field, "name"), false)) return false;
            entry.name = name->get<std::string>();
            // The launcher splits the name list at ';'.
            if (entry.name.find(';') != std::string::npos)
                return fail(member(field, "name"), "contains ';', which separates the file names");
            std::string encoded;
            if (!encodeNarrow(entry.name, member(field, "name"), encoded)) return false;
            encodedNames_.push_back(std::move(encoded));
            if (!path(*source, member(field, "source"), entry.path)) return false;
            entry.source = source->get<std::string>();
            m_.files.push_back(std::move(entry));
        }
        return true;
    }

    bool executable(const Json& v) {
        if (!v.is_object()) return fail("executable", "expected an object, found " + type(v));
        if (!knownKeys(v, "executable", {"icon", "versionInfo", "executionLevel"})) return false;
        ExecutableIdentity& id = m_.executable;
        if (const Json* icon = find(v, "icon")) {
            if (!path(*icon, "executable.icon", id.iconPath)) return false;
            id.iconSource = icon->get<std::string>();
        }
        if (const Json* info = find(v, "versionInfo"); info && !versionInfo(*info, id.versionResource)) return false;
        if (const Json* level = find(v, "executionLevel")) {
            const char* levels[] = {"asInvoker", "highestAvailable", "requireAdministrator"};
            if (!string(*level, "executable.executionLevel")) return false;
            id.executionLevel = level->get<std::string>();
            if (std::none_of(std::begin(levels), std::end(levels), [&](const char* l) { return id.executionLevel == l; }))
                return fail("executable.executionLevel",
                            "expected \"asInvoker\", \"highestAvailable\" or \"requireAdministrator\"");
        }
        return true;
    }

    bool versionInfo(const Json& v, std::string& resource) {
        const std::string field = "executable.versionInfo";
        if (!v.is_object()) return fail(field, "expected an object, found " + type(v));
        for (const auto& item : v.items()) {
            if (std::none_of(std::begin(kVersionStrings), std::end(kVersionStrings),
                             [&](const auto& s) { return item.key() == s.first; }))
                return fail(member(field, item.key()), "unknown key");
            if (!string(item.value(), member(field, item.key()), false)) return false;
        }
        const Json* fileVersion = find(v, "fileVersion");
        const Json* productVersion = find(v, "productVersion");
        if (!fileVersion) return fail(member(field, "fileVersion"), "missing");
        VersionInfo info;
        std::string why;
        if (!parseVersionNumbers(fileVersion->get<std::string>(), true, info.fileVersion, why))
            return fail(member(field, "fileVersion"), why);
        const Json& product = productVersion ? *productVersion : *fileVersion;
        if (!parseVersionNumbers(product.get<std::string>(), false, info.productVersion, why))
            return fail(member(field, "productVersion"), why);
        for (const auto& [key, name] : kVersionStrings) {
            const Json* text = std::string(key) == "productVersion" ? &product : find(v, key);
            if (!text) continue;
            std::u16string value;
            if (!utf8ToUtf16(text->get<std::string>(), value, why)) return fail(member(field, key), why);
            info.strings.emplace_back(name, std::move(value));
        }
        if (!buildVersionResource(info, resource))
            return fail(field, "the texts are too long for a version resource (65535 bytes)");
        return true;
    }

    // The launcher finds the records through the file count and name entries; a manifest
    // may set them itself (to test the launcher against a mismatch), otherwise they follow
    // the file list.
    void fillFileList() {
        auto has = [&](int32_t id) {
            return std::any_of(m_.narrow.begin(), m_.narrow.end(), [&](const auto& e) { return e.first == id; });
        };
        if (!has(qpk::kIdFileCount))
            m_.narrow.emplace_back(qpk::kIdFileCount, std::to_string(m_.files.size() + (m_.hasRuntime ? 1 : 0)));
        if (!has(qpk::kIdFileNames)) {
            std::string joined;
            for (size_t i = 0; i < encodedNames_.size(); ++i) joined += (i ? ";" : "") + encodedNames_[i];
            m_.narrow.emplace_back(qpk::kIdFileNames, std::move(joined));
        }
    }

    const std::filesystem::path& baseDir_;
    Manifest& m_;
    std::string& error_;
    std::vector<std::string> encodedNames_;  // file names in the code page, for the name list
};

}  // namespace

bool parseManifest(const std::string& json, const std::filesystem::path& baseDir, Manifest& out,
                   std::string& error) {
    out = Manifest();
    Json root;
    // The JSON library reports syntax errors only by exception; they stop here.
    try {
        root = Json::parse(json);
    } catch (const Json::exception& e) {
        error = std::string("manifest: ") + e.what();
        return false;
    }
    return Parser(baseDir, out, error).run(root);
}

}  // namespace qpkpack
