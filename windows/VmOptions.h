// The VM option sources: the configuration's options texts, the version-specific texts,
// "-J" arguments, the locale options and ".vmoptions" files with their directives. Every
// line passes through one processor that either stores a class path override or appends
// a VM option.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "common/Owned.h"
#include "VmOptionLines.h"
#include "launcher/LauncherState.h"

namespace qpk {

// Narrow options in the code page of the file APIs, in the order the JVM receives them.
using OptionList = std::vector<std::string>;

// The class path directives of options lines; empty means not set.
struct PathOverrides {
    std::string classPathReplace;  // "-classpath "
    std::string classPathPrepend;  // "-classpath/p "
    std::string classPathAppend;   // "-classpath/a "
};

struct StreamTraits {
    using Handle = FILE*;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { fclose(h); }
};
using UniqueStream = Owned<StreamTraits>;

// --- Pure parsing ---------------------------------------------------------------------

// True when `version` begins with `prefix`; an empty prefix matches every version.
bool versionPrefixMatches(const std::string& version, const std::string& prefix);

// Every element beginning with "-J", without those two characters.
std::vector<std::wstring> commandLineOptionLines(const ArgumentVector& arguments);

// The last "-Dsun.locale.formatasdefault=" element and, unless it is "=true", the
// language and (when given) country options. Nothing without such an element.
std::vector<std::wstring> localeOptionLines(const ArgumentVector& arguments, const std::string* language,
                                            const std::string* country);

// The text in the file-API code page; a text that cannot be converted becomes empty.
std::string narrowOption(const std::wstring& text);

// --- Sources --------------------------------------------------------------------------

// The configuration, version-specific, command-line and locale sources, in that order.
void collectVmOptions(OptionList& options, PathOverrides& overrides, const ArgumentVector& arguments);

// "<exe without .exe>.vmoptions", else "<exe>.vmoptions", for the executable's path and
// then for the module file name; an empty stream when none opens.
UniqueStream findDefaultVmOptionsFile();

// Reads every option line of `file` and closes it. Relative include names are resolved
// against `fileName`'s directory, or the launcher's directory when it is null. A file that
// is already being read further up the include chain, or an include chain deeper than
// kMaxIncludeDepth, is not read again.
constexpr size_t kMaxIncludeDepth = 32;
void readOptionsFile(const std::wstring* fileName, UniqueStream file, OptionList& options, PathOverrides& overrides);

void processOptionLine(const std::wstring* baseFile, const std::wstring& line, OptionList& options,
                       PathOverrides& overrides);
void processOptionTokens(const ArgumentVector& tokens, OptionList& options, PathOverrides& overrides);

}  // namespace qpk
