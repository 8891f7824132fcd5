// How the packer's messages show a path or a text: in double quotes.
#pragma once
#include <string>

namespace qpkpack {

inline std::string inQuotes(const std::string& s) { return "\"" + s + "\""; }

}  // namespace qpkpack
