#include "VmOptionLines.h"

namespace qpk {

namespace {

const std::wstring kInclude = L"-include-options";

bool startsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

OptionLine classifyOptionLine(const std::wstring& line) {
    static const struct {
        const wchar_t* directive;
        OptionLine::Kind kind;
    } directives[] = {{L"-include-options ", OptionLine::Include},
                      {L"-classpath ", OptionLine::ClassPathReplace},
                      {L"-classpath/p ", OptionLine::ClassPathPrepend},
                      {L"-classpath/a ", OptionLine::ClassPathAppend}};
    for (const auto& d : directives) {
        std::wstring directive = d.directive;
        if (startsWith(line, directive)) return {d.kind, line.substr(directive.size())};
    }
    return {OptionLine::Option, line};
}

bool optionsFileLine(std::string& piece) {
    while (!piece.empty() && (piece.back() == '\r' || piece.back() == '\n')) piece.pop_back();
    size_t first = piece.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    piece = piece.substr(first, piece.find_last_not_of(' ') - first + 1);
    return piece[0] != '#';
}

std::vector<std::wstring> optionLinesOfTokens(const ArgumentVector& tokens) {
    std::vector<std::wstring> lines;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i] == kInclude && i + 1 < tokens.size()) {
            lines.push_back(tokens[i] + L" " + tokens[i + 1]);
            ++i;
        } else {
            lines.push_back(tokens[i]);
        }
    }
    return lines;
}

}  // namespace qpk
