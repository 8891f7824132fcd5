// Conversions between the launcher's 8-bit strings (in the code page of the file APIs)
// and UTF-16.
#pragma once
#include <windows.h>

#include <string>

namespace qpk {

// CP_ACP when the file APIs are ANSI, otherwise CP_OEMCP.
UINT fileApiCodePage();

// Converts to the file-API code page without best-fit mapping. Returns false (and leaves
// `out` unchanged) when a character had no representation or the conversion failed.
bool toNarrow(const std::wstring& wide, std::string& out);

// Converts from the file-API code page.
std::wstring toWide(const std::string& narrow);

// Converts from the ANSI code page (the encoding of the configuration's 8-bit texts).
std::wstring ansiToWide(const std::string& narrow);

// Lossy conversion for display only: unrepresentable characters become '?'.
std::string toDisplayNarrow(const std::wstring& wide, UINT codePage);

std::u16string toU16(const std::wstring& w);
std::wstring fromU16(const std::u16string& s);

}  // namespace qpk
