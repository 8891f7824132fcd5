// The execution level in an application manifest (UTF-8 XML), read and replaced as text so
// that everything else in the manifest stays as the launcher has it.
#pragma once
#include <string>

namespace qpkpack {

// The level attribute of the requestedExecutionLevel element; empty when there is none.
std::string executionLevelOf(const std::string& xml);

// `xml` requesting `level`: the attribute's value replaced, or, without the element, a
// trustInfo element added at the end of the assembly. False when `xml` has no assembly.
bool withExecutionLevel(const std::string& xml, const std::string& level, std::string& out);

}  // namespace qpkpack
