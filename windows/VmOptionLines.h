// The line rules of options texts and ".vmoptions" files. Pure, so that they can be fuzzed.
#pragma once
#include <string>
#include <vector>

#include "launcher/ArgumentVector.h"

namespace qpk {

// What an option line asks for; `text` is the part after the directive, or the whole line.
struct OptionLine {
    enum Kind { Include, ClassPathReplace, ClassPathPrepend, ClassPathAppend, Option } kind;
    std::wstring text;
};
OptionLine classifyOptionLine(const std::wstring& line);

// Applies the line rules of options files to one piece read from a file: trailing CR/LF
// removed, then leading and trailing spaces (not tabs). False when the piece is empty or
// a comment and so carries no option.
bool optionsFileLine(std::string& piece);

// Option lines of a split options text: "-include-options" joined with the token after it.
std::vector<std::wstring> optionLinesOfTokens(const ArgumentVector& tokens);

}  // namespace qpk
