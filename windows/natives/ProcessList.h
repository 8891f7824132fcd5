// The running programs as "<id> <full path of the executable>", in the order Windows lists them.
#pragma once
#include <string>
#include <vector>

namespace qpk {

// Lists through psapi, or through a toolhelp snapshot when that gives nothing.
std::vector<std::wstring> listRunningModules();

}  // namespace qpk
