// Text conversions for the block: manifest texts are UTF-8, the block holds 8-bit texts in
// a Windows code page and wide texts in UTF-16LE. Table driven so that the same code
// builds for Linux and Windows without iconv or Win32 calls.
#pragma once
#include <string>

namespace qpkpack {

constexpr int kCodePageUtf8 = 65001;

// 1252, 437, 850 and 65001.
bool isSupportedCodePage(int codePage);

// Converts UTF-8 to the code page. On failure `why` describes the first offending
// character (one the code page lacks, or malformed UTF-8).
bool utf8ToCodePage(const std::string& utf8, int codePage, std::string& out, std::string& why);

// Converts 8-bit text in the code page to UTF-8. Every byte has a mapping, so this cannot
// fail for the table code pages; UTF-8 input is passed through as it is.
std::string codePageToUtf8(const std::string& text, int codePage);

bool utf8ToUtf16(const std::string& utf8, std::u16string& out, std::string& why);

// Unpaired surrogates become U+FFFD: a block may hold any 16-bit units.
std::string utf16ToUtf8(const std::u16string& text);

}  // namespace qpkpack
