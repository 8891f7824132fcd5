#pragma once
// UTF-8 <-> UTF-16 for the test support API, which takes and returns UTF-8 so that test
// sources can write paths and texts outside the ANSI code page as plain literals.
#include <string>

namespace qpktest {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

}  // namespace qpktest
