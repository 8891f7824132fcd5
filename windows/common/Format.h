// printf-style formatting with Microsoft semantics: in wide formats %s takes a wide and %S
// a narrow string. libstdc++ switches the standard names to ISO semantics for all C++
// code, so only the underscore functions of the C runtime keep these meanings.
#pragma once
#include <cstdarg>
#include <string>

namespace qpk {

std::wstring vformatWide(const wchar_t* format, va_list args);
std::wstring formatWide(const wchar_t* format, ...);

}  // namespace qpk
