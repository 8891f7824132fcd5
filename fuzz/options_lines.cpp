// An options file read line by line, and the same text as a configured options text.
#include "FuzzInput.h"
#include "VmOptionLines.h"
#include "launcher/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text = qpkfuzz::bytes(data, size);
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string piece = text.substr(at, end - at);
        at = end;
        if (!qpk::optionsFileLine(piece)) continue;
        qpk::classifyOptionLine(std::wstring(piece.begin(), piece.end()));
    }
    qpk::ArgumentVector tokens;
    qpk::splitCommandLine(qpkfuzz::utf16(data, size), tokens);
    for (const std::wstring& line : qpk::optionLinesOfTokens(tokens)) qpk::classifyOptionLine(line);
    return 0;
}
