#include "NamedSettings.h"

#include <algorithm>
#include <limits>

#include "CodePage.h"
#include "SettingNames.h"
#include "payload/DownloadChecks.h"

namespace qpkpack {
namespace {

using Json = nlohmann::ordered_json;
using NarrowEntries = std::vector<std::pair<int32_t, std::string>>;
using WideEntries = std::vector<std::pair<int32_t, std::u16string>>;

constexpr int32_t kIdVersionOptionCount = 10200;
// Inspect lists at most this many version-specific pairs of a count it did not write.
constexpr int64_t kMaxListedPairs = 1000;

template <typename Entries>
bool hasId(const Entries& entries, int32_t id) {
    return std::any_of(entries.begin(), entries.end(), [&](const auto& e) { return e.first == id; });
}

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "E:JAVA_HOME" is the entry "EJAVA_HOME", "Y" the entry "Y". An empty argument is written
// without the colon, so that each entry has exactly one spelling.
bool searchStep(const std::string& item, std::string& entry) {
    if (item.empty() || !isLetter(item[0])) return false;
    if (item.size() > 1 && (item[1] != ':' || item.size() == 2)) return false;
    entry = item.size() == 1 ? item : item[0] + item.substr(2);
    return true;
}

class NamedEntries {
public:
    NamedEntries(Manifest& m, std::string& error) : m_(m), error_(error) {}

    bool settings(const Json& v) {
        if (!v.is_object()) return fail("settings", "expected an object, found " + type(v));
        for (const auto& item : v.items()) {
            std::string field = "settings." + item.key();
            const SettingName* s = findSetting(item.key());
            if (!s) return fail(field, "unknown setting");
            if (!setting(*s, item.value(), field)) return false;
        }
        return true;
    }

    // Top-level messages (`wide` is the block's wide list) or a language section's.
    bool messages(const Json& v, const std::string& field, WideEntries& wide, const std::string& idPrefix) {
        if (!v.is_object()) return fail(field, "expected an object, found " + type(v));
        for (const auto& item : v.items()) {
            std::string f = field + "." + item.key();
            const MessageName* msg = findMessage(item.key());
            if (!msg) return fail(f, "unknown message");
            if (hasId(wide, msg->id) || (idPrefix.empty() && hasId(m_.narrow, msg->id)))
                return fail(f, "entry " + std::to_string(msg->id) + " is also set by " +
                                   where(msg->id, idPrefix, hasId(wide, msg->id)));
            std::u16string text;
            if (!wideText(item.value(), f, text)) return false;
            wide.emplace_back(msg->id, std::move(text));
        }
        return true;
    }

    // A message the manifest sets in neither table gets its default, which language
    // sections still override.
    void defaultMessages() {
        for (const MessageName& msg : messageNames()) {
            if (hasId(m_.narrow, msg.id) || hasId(m_.wide, msg.id)) continue;
            std::u16string text;
            std::string why;
            utf8ToUtf16(msg.defaultText, text, why);
            m_.wide.emplace_back(msg.id, std::move(text));
        }
    }

    // A downloaded runtime's jvm.dll is loaded into the setup: something must vouch for it.
    // A digest does; without one only an https:// server's certificate, which is warned about.
    bool checkDownloadTrust(const Json& root) {
        std::string url = field(root, "downloadUrl", qpk::kIdDownloadUrl);
        std::string sha = field(root, "downloadSha256", qpk::kIdDownloadSha256);
        qpk::Sha256Digest expected;
        switch (qpk::downloadTrust(narrowValue(qpk::kIdDownloadUrl), narrowValue(qpk::kIdDownloadSha256), expected)) {
            case qpk::DownloadTrust::BadDigest:
                return fail(sha, "expected 64 hexadecimal digits");
            case qpk::DownloadTrust::NeedsDigest:
                return fail(url, "an address other than https:// needs " + sha +
                                     " (the SHA-256 of the runtime archive): nothing else would vouch for it");
            case qpk::DownloadTrust::Certificate:
                m_.warnings.push_back(url + " (entry 150) is https:// without " + sha +
                                      " (entry 156): only the server's certificate vouches for the runtime");
                return true;
            default:
                return true;
        }
    }

    void warnAboutMissing() {
        for (const SettingName& s : settingNames()) {
            bool set = s.kind == SettingKind::WideText ? hasId(m_.wide, s.id) : hasId(m_.narrow, s.id);
            if (s.whenMissing && !set)
                m_.warnings.push_back("settings." + std::string(s.name) + " (entry " + std::to_string(s.id) +
                                      ") is not set: " + s.whenMissing);
        }
    }

private:
    bool fail(const std::string& field, const std::string& what) {
        error_ = field + ": " + what;
        return false;
    }

    static std::string type(const Json& v) { return v.type_name(); }

    std::string narrowValue(int32_t id) const {
        for (auto it = m_.narrow.rbegin(); it != m_.narrow.rend(); ++it)
            if (it->first == id) return it->second;
        return std::string();
    }

    // The manifest field of an entry: its name under "settings" unless it was set by id.
    std::string field(const Json& root, const char* name, int32_t id) const {
        auto settings = root.find("settings");
        bool byName = settings != root.end() && settings->is_object() && settings->contains(name);
        return byName || !hasId(m_.narrow, id) ? std::string("settings.") + name : where(id, "", false);
    }

    // The manifest field that already set `id`.
    static std::string where(int32_t id, const std::string& prefix, bool wide) {
        return prefix + (wide ? "wide" : "narrow") + ".\"" + std::to_string(id) + "\"";
    }

    bool claim(int32_t id, const std::string& field) {
        bool wide = hasId(m_.wide, id);
        if (!wide && !hasId(m_.narrow, id)) return true;
        return fail(field, "entry " + std::to_string(id) + " is also set by " + where(id, "", wide));
    }

    bool string(const Json& v, const std::string& field) {
        return v.is_string() || fail(field, "expected a string, found " + type(v));
    }

    bool narrowText(const Json& v, const std::string& field, std::string& out) {
        std::string why;
        if (!string(v, field)) return false;
        return utf8ToCodePage(v.get_ref<const std::string&>(), m_.codePage, out, why) || fail(field, why);
    }

    bool wideText(const Json& v, const std::string& field, std::u16string& out) {
        std::string why;
        if (!string(v, field)) return false;
        return utf8ToUtf16(v.get_ref<const std::string&>(), out, why) || fail(field, why);
    }

    bool integer(const Json& v, const std::string& field, std::string& out) {
        if (!v.is_number_integer()) return fail(field, "expected an integer, found " + type(v));
        // The launcher converts with a 32-bit strtol.
        bool fits = v.is_number_unsigned() ? v.get<uint64_t>() <= uint64_t(std::numeric_limits<int32_t>::max())
                                           : v.get<int64_t>() >= std::numeric_limits<int32_t>::min() &&
                                                 v.get<int64_t>() <= std::numeric_limits<int32_t>::max();
        if (!fits) return fail(field, "out of the int32 range");
        out = std::to_string(v.get<int64_t>());
        return true;
    }

    // The items of a ";"-separated entry; `step` checks and converts one item.
    template <typename Step>
    bool list(const Json& v, const std::string& field, Step step, std::string& joined) {
        if (!v.is_array()) return fail(field, "expected an array, found " + type(v));
        std::string items;
        for (size_t i = 0; i < v.size(); ++i) {
            std::string f = field + "[" + std::to_string(i) + "]", item;
            if (!narrowText(v[i], f, item)) return false;
            if (item.empty()) return fail(f, "is empty");
            if (item.find(';') != std::string::npos) return fail(f, "contains ';', which separates the items");
            if (!step(item, f)) return false;
            items += (i ? ";" : "") + item;
        }
        joined = std::move(items);
        return true;
    }

    bool versionOptions(const Json& v, const std::string& field) {
        if (!v.is_array()) return fail(field, "expected an array, found " + type(v));
        for (int32_t id = kIdVersionOptionCount; id <= kIdVersionOptionCount + 2 * int32_t(v.size()); ++id)
            if (!claim(id, field)) return false;
        NarrowEntries narrow{{kIdVersionOptionCount, std::to_string(v.size())}};
        WideEntries wide;
        for (size_t i = 0; i < v.size(); ++i) {
            std::string f = field + "[" + std::to_string(i) + "]";
            const Json& pair = v[i];
            if (!pair.is_object()) return fail(f, "expected an object, found " + type(pair));
            for (const auto& item : pair.items())
                if (item.key() != "versionPrefix" && item.key() != "options")
                    return fail(f + "." + item.key(), "unknown key");
            for (const char* key : {"versionPrefix", "options"})
                if (!pair.contains(key)) return fail(f + "." + key, "missing");
            int32_t id = kIdVersionOptionCount + 1 + 2 * int32_t(i);
            std::string prefix;
            std::u16string options;
            if (!narrowText(pair["versionPrefix"], f + ".versionPrefix", prefix) ||
                !wideText(pair["options"], f + ".options", options))
                return false;
            narrow.emplace_back(id, std::move(prefix));
            wide.emplace_back(id + 1, std::move(options));
        }
        m_.narrow.insert(m_.narrow.end(), narrow.begin(), narrow.end());
        m_.wide.insert(m_.wide.end(), wide.begin(), wide.end());
        return true;
    }

    bool setting(const SettingName& s, const Json& v, const std::string& field) {
        if (s.kind == SettingKind::VersionOptions) return versionOptions(v, field);
        if (!claim(s.id, field)) return false;
        std::string text;
        switch (s.kind) {
            case SettingKind::WideText: {
                std::u16string wide;
                if (!wideText(v, field, wide)) return false;
                m_.wide.emplace_back(s.id, std::move(wide));
                return true;
            }
            case SettingKind::Text:
                if (!narrowText(v, field, text)) return false;
                break;
            case SettingKind::Integer:
                if (!integer(v, field, text)) return false;
                break;
            case SettingKind::Flag:
                if (!v.is_boolean()) return fail(field, "expected a boolean, found " + type(v));
                text = v.get<bool>() ? "1" : "0";
                break;
            case SettingKind::List:
                if (!list(v, field, [](std::string&, const std::string&) { return true; }, text)) return false;
                break;
            case SettingKind::SearchSequence: {
                auto step = [&](std::string& item, const std::string& f) {
                    std::string entry;
                    if (!searchStep(item, entry))
                        return fail(f, "expected \"L\" or \"L:argument\" with L a letter, found \"" + item + "\"");
                    item = std::move(entry);
                    return true;
                };
                if (!list(v, field, step, text)) return false;
                break;
            }
            case SettingKind::VersionOptions:
                break;
        }
        m_.narrow.emplace_back(s.id, std::move(text));
        return true;
    }

    Manifest& m_;
    std::string& error_;
};

// Entry text as the launcher's getInt reads it: strtol rules with a 32-bit long.
int64_t launcherInt(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    int64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        v = std::min<int64_t>(v * 10 + (text[i] - '0'), int64_t(std::numeric_limits<int32_t>::max()) + 1);
    v = negative ? -v : std::min<int64_t>(v, std::numeric_limits<int32_t>::max());
    return v;
}

std::vector<std::string> listItems(const std::string& joined) {
    std::vector<std::string> items;
    size_t from = 0;
    while (from <= joined.size()) {
        size_t at = std::min(joined.find(';', from), joined.size());
        if (at > from) items.push_back(joined.substr(from, at - from));
        from = at + 1;
    }
    return items;
}

}  // namespace

bool addNamedEntries(const Json& root, Manifest& m, std::string& error) {
    NamedEntries b(m, error);
    if (auto it = root.find("defaultMessages"); it != root.end() && !it->is_boolean()) {
        error = "defaultMessages: expected a boolean, found " + std::string(it->type_name());
        return false;
    }
    if (auto it = root.find("settings"); it != root.end() && !b.settings(*it)) return false;
    if (auto it = root.find("messages"); it != root.end() && !b.messages(*it, "messages", m.wide, ""))
        return false;
    if (auto languages = root.find("languages"); languages != root.end()) {
        for (size_t i = 0; i < m.languages.size(); ++i) {
            const Json& section = (*languages)[i];
            std::string field = "languages[" + std::to_string(i) + "]";
            if (auto it = section.find("messages"); it != section.end() &&
                !b.messages(*it, field + ".messages", m.languages[i].entries, field + "."))
                return false;
        }
    }
    if (!b.checkDownloadTrust(root)) return false;
    if (auto it = root.find("defaultMessages"); it == root.end() || it->get<bool>()) b.defaultMessages();
    b.warnAboutMissing();
    return true;
}

Json describeSettings(const std::map<int32_t, std::string>& narrow, int codePage,
                      const std::map<int32_t, std::u16string>& wide) {
    auto text = [&](int32_t id) {
        auto it = narrow.find(id);
        return it == narrow.end() ? std::string() : codePageToUtf8(it->second, codePage);
    };
    Json out = Json::object();
    for (const SettingName& s : settingNames()) {
        bool wideKind = s.kind == SettingKind::WideText;
        if (wideKind ? !wide.count(s.id) : !narrow.count(s.id)) continue;
        Json value;
        switch (s.kind) {
            case SettingKind::Text: value = text(s.id); break;
            case SettingKind::WideText: value = utf16ToUtf8(wide.at(s.id)); break;
            case SettingKind::Integer: value = launcherInt(text(s.id)); break;
            case SettingKind::Flag: value = launcherInt(text(s.id)) != 0; break;
            case SettingKind::List: value = listItems(text(s.id)); break;
            case SettingKind::SearchSequence:
                value = Json::array();
                for (const std::string& e : listItems(text(s.id)))
                    value.push_back(e.size() == 1 ? e : e.substr(0, 1) + ":" + e.substr(1));
                break;
            case SettingKind::VersionOptions: {
                value = Json::array();
                int64_t count = std::min(launcherInt(text(s.id)), kMaxListedPairs);
                for (int32_t i = 0; i < count; ++i) {
                    auto options = wide.find(s.id + 2 + 2 * i);
                    value.push_back({{"versionPrefix", text(s.id + 1 + 2 * i)},
                                     {"options", options == wide.end() ? "" : utf16ToUtf8(options->second)}});
                }
                break;
            }
        }
        out[s.name] = {{"id", s.id}, {"value", std::move(value)}};
    }
    return out;
}

Json describeMessages(const std::map<int32_t, std::u16string>& wide) {
    Json out = Json::object();
    for (const MessageName& msg : messageNames()) {
        auto it = wide.find(msg.id);
        if (it != wide.end()) out[msg.name] = {{"id", msg.id}, {"text", utf16ToUtf8(it->second)}};
    }
    return out;
}

}  // namespace qpkpack
