// A file's version resource through version.dll, which is loaded from the system directory
// on first use and never freed.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qpk {

// The whole resource; none when the file has none or it cannot be read.
std::optional<std::vector<unsigned char>> readVersionResource(const wchar_t* path);

// VerQueryValueW on the resource; false when the value is absent.
bool queryVersionValue(const std::vector<unsigned char>& resource, const wchar_t* subBlock, void*& value,
                       UINT& length);

// The string value `name` in the string table of the resource's first translation; empty
// when absent.
std::wstring versionString(const std::vector<unsigned char>& resource, const wchar_t* name);

}  // namespace qpk
