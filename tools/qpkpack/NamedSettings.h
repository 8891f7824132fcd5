// Settings and messages by name: turned into block entries when building, and named again
// when a setup is inspected. The names come from SettingNames.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "Manifest.h"

namespace qpkpack {

// Adds to `m` (which already holds the manifest's other members) the entries of the
// manifest's "settings" and "messages" and of each language section's "messages", then the
// default text of every message the manifest leaves unset, and a warning for each needed
// setting that is missing. An entry set both by name and by id is an error, as are unknown
// names and values of the wrong kind; `error` names the field.
bool addNamedEntries(const nlohmann::ordered_json& root, Manifest& m, std::string& error);

// The settings of a block by name: {"name": {"id": id, "value": value as a manifest writes
// it}}, for the entries present in the map the launcher reads them from. 8-bit texts are
// taken as `codePage`.
nlohmann::ordered_json describeSettings(const std::map<int32_t, std::string>& narrow, int codePage,
                                        const std::map<int32_t, std::u16string>& wide);

// The named messages present in `wide`: {"name": {"id": id, "text": text}}.
nlohmann::ordered_json describeMessages(const std::map<int32_t, std::u16string>& wide);

}  // namespace qpkpack
