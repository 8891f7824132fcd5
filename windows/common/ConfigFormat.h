// printf-like formats that come from the configuration block. They are the installer
// author's texts, so they are checked before use: only the conversions a message is meant
// to have, each matched to its argument, so that a stray "%n" or "%s" never reaches the C
// runtime with an argument of the wrong kind.
#pragma once
#include <string>
#include <vector>

namespace qpk {

struct FormatArgument {
    bool isText;
    std::wstring text;  // for %s and %S, inserted as it is
    double number;      // for %f, %e, %g and %a with their flags, width and precision
};

inline FormatArgument textArgument(std::wstring text) { return {true, std::move(text), 0.0}; }
inline FormatArgument numberArgument(double number) { return {false, std::wstring(), number}; }

// Fills `format` with `args` in order ("%%" gives "%"); arguments beyond the conversions are
// ignored. False (and `out` unchanged) for any other conversion, a conversion of the wrong
// kind or one without an argument, or a field too wide. The result is cut at 5999 units.
bool formatConfigured(const std::wstring& format, const std::vector<FormatArgument>& args, std::wstring& out);

}  // namespace qpk
