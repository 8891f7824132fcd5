// The argument vector: element 0 is the program path as typed.
#pragma once
#include <string>
#include <vector>

namespace qpk {

using ArgumentVector = std::vector<std::wstring>;

}  // namespace qpk
