// The manifest names of the configuration entries and messages: one table that building,
// inspect and the help text all read, so that a name means the same id everywhere.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qpkpack {

// How a setting is written in the manifest and stored in the block.
enum class SettingKind {
    Text,            // JSON string, 8-bit entry
    WideText,        // JSON string, wide entry (the launcher reads these entries as UTF-16)
    Integer,         // JSON integer, 8-bit decimal text
    Flag,            // JSON boolean, "1" or "0"
    List,            // JSON list of strings, joined with ";"
    SearchSequence,  // JSON list of "L" or "L:argument" items, joined as "Largument" with ";"
    VersionOptions,  // JSON list of {"versionPrefix", "options"}: a count and id pairs after it
};

struct SettingName {
    int32_t id;
    const char* name;
    SettingKind kind;
    const char* meaning;      // one line, for the help text
    const char* whenMissing;  // why a setup needs it, for the build's warning; null if optional
};

struct MessageName {
    int32_t id;
    const char* name;
    const char* defaultText;  // English; "{0}" or printf conversions where the launcher fills in
};

const std::vector<SettingName>& settingNames();
const std::vector<MessageName>& messageNames();

// Null when the name is not in the table.
const SettingName* findSetting(const std::string& name);
const MessageName* findMessage(const std::string& name);

// How the kind is written in the manifest, for the help text.
const char* kindSyntax(SettingKind kind);

}  // namespace qpkpack
