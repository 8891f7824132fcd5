#include "VmOptions.h"

#include <windows.h>
#include <io.h>

#include <algorithm>

#include "LocaleOptions.h"
#include "VariableExpansion.h"
#include "common/TextConvert.h"
#include "jre/RuntimeRecord.h"
#include "launcher/CommandLine.h"
#include "launcher/ExePath.h"
#include "launcher/Log.h"
#include "launcher/PathHelpers.h"
#include "payload/Config.h"

namespace qpk {

namespace {

const std::wstring kFormatAsDefault = L"-Dsun.locale.formatasdefault=";
constexpr int kLineBuffer = 30000;

bool startsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Identity of an open file (volume and file index), the same whatever spelling of its
// name led to it, so that an include cycle is caught through short names and ".." too.
struct FileKey {
    DWORD volume, high, low;
    bool operator==(const FileKey& o) const { return volume == o.volume && high == o.high && low == o.low; }
};

bool fileKeyOf(FILE* file, FileKey& key) {
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    BY_HANDLE_FILE_INFORMATION info;
    if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info)) return false;
    key = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

// The files of the current include chain; options are read on one thread only. An entry
// without a key (identity not readable) still counts towards the depth limit.
struct OpenFile {
    bool keyed;
    FileKey key;
};
std::vector<OpenFile> openFiles;

ArgumentVector expandedTokens(std::wstring text) {
    expandVariables(text, true);
    ArgumentVector tokens;
    splitCommandLine(text, tokens);
    return tokens;
}

void tryCandidate(const std::wstring& exe, UniqueStream& out) {
    std::wstring a = exe.substr(0, exe.size() >= 4 ? exe.size() - 4 : 0) + L".vmoptions";
    out.reset(_wfopen(a.c_str(), L"rt"));
    logLine(L"vmoptions2: exe %s file: %s, file: %p", exe.c_str(), a.c_str(), out.get());
    if (out) return;
    std::wstring b = exe + L".vmoptions";
    out.reset(_wfopen(b.c_str(), L"rt"));
    logLine(L"vmoptions: opts2: %s, file: %p", b.c_str(), out.get());
}

}  // namespace

bool versionPrefixMatches(const std::string& version, const std::string& prefix) {
    return version.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::wstring> commandLineOptionLines(const ArgumentVector& arguments) {
    std::vector<std::wstring> lines;
    for (const std::wstring& arg : arguments)
        if (startsWith(arg, L"-J")) lines.push_back(arg.substr(2));
    return lines;
}

std::vector<std::wstring> localeOptionLines(const ArgumentVector& arguments, const std::string* language,
                                            const std::string* country) {
    std::vector<std::wstring> lines;
    auto last = std::find_if(arguments.rbegin(), arguments.rend(),
                             [](const std::wstring& arg) { return startsWith(arg, kFormatAsDefault); });
    if (last == arguments.rend()) return lines;
    lines.push_back(*last);
    if (*last == kFormatAsDefault + L"true") return lines;
    if (language) lines.push_back(L"-Duser.language=" + ansiToWide(*language));
    if (country) lines.push_back(L"-Duser.country=" + ansiToWide(*country));
    return lines;
}

std::string narrowOption(const std::wstring& text) {
    std::string out;
    if (!toNarrow(text, out)) return std::string();
    return out;
}

void collectVmOptions(OptionList& options, PathOverrides& overrides, const ArgumentVector& arguments) {
    ArgumentVector configured = expandedTokens(getWide(123));
    logLine(L"adding options");
    processOptionTokens(configured, options, overrides);

    long count = getInt(10200);
    if (count > 0) {
        logLine(L"check %d version specific vm option lines for %S", int(count), runtimeVersion.c_str());
        for (long i = 0; !runtimeVersion.empty() && i < count; ++i) {
            std::string prefix = dupNarrow(int(10201 + 2 * i));
            bool match = versionPrefixMatches(runtimeVersion, prefix);
            logLine(L"checking version %S %d", prefix.c_str(), match ? 1 : 0);
            if (!match) continue;
            std::wstring specific = getWide(int(10202 + 2 * i));
            logLine(L"adding specific %s", specific.c_str());
            processOptionTokens(expandedTokens(specific), options, overrides);
            break;
        }
    }

    // Taken as written: a "-J" argument is the user's own text, not a configuration text.
    if (getInt(125) != 0)
        for (const std::wstring& line : commandLineOptionLines(arguments))
            processOptionLine(nullptr, line, options, overrides);

    std::string language, country;
    bool haveLanguage = languageCode(language), haveCountry = countryCode(country);
    for (const std::wstring& line :
         localeOptionLines(arguments, haveLanguage ? &language : nullptr, haveCountry ? &country : nullptr))
        processOptionLine(nullptr, line, options, overrides);
}

UniqueStream findDefaultVmOptionsFile() {
    UniqueStream file;
    tryCandidate(exePathLong(), file);
    if (file) return file;
    wchar_t module[6000];
    DWORD n = GetModuleFileNameW(nullptr, module, 6000);
    if (n > 0 && n < 6000) tryCandidate(std::wstring(module, n), file);
    return file;
}

void readOptionsFile(const std::wstring* fileName, UniqueStream file, OptionList& options, PathOverrides& overrides) {
    if (!file) return;
    OpenFile self{};
    self.keyed = fileKeyOf(file.get(), self.key);
    for (const OpenFile& open : openFiles) {
        if (self.keyed && open.keyed && open.key == self.key) {
            logError(L"options file %s is already being read, not included again", fileName ? fileName->c_str() : L"");
            return;
        }
    }
    if (openFiles.size() >= kMaxIncludeDepth) {
        logError(L"options files nested deeper than %d, %s not read", int(kMaxIncludeDepth),
                 fileName ? fileName->c_str() : L"");
        return;
    }
    openFiles.push_back(self);
    std::string buffer(size_t(kLineBuffer), '\0');
    while (fgets(&buffer[0], kLineBuffer, file.get())) {
        std::string piece(buffer.c_str());
        if (!optionsFileLine(piece)) continue;
        std::wstring line = ansiToWide(piece);
        expandVariables(line, true, kLineBuffer);
        processOptionLine(fileName, line, options, overrides);
    }
    openFiles.pop_back();
}

void processOptionLine(const std::wstring* baseFile, const std::wstring& line, OptionList& options,
                       PathOverrides& overrides) {
    OptionLine parsed = classifyOptionLine(line);
    switch (parsed.kind) {
    case OptionLine::Include: {
        std::wstring name = parsed.text;
        expandVariables(name, false);
        logLine(L"after exp from %s %s", name.c_str(), parsed.text.c_str());
        std::wstring resolved = absolutePath(name, baseFile);
        UniqueStream file(_wfopen(resolved.c_str(), L"rt"));
        logLine(L"adding vmoptions from (%p) <%s> (%s)", file.get(), resolved.c_str(), name.c_str());
        readOptionsFile(&resolved, std::move(file), options, overrides);
        logLine(L"adding vmoptions 2");
        logLine(L"adding vmoptions 3");
        break;
    }
    case OptionLine::ClassPathReplace: overrides.classPathReplace = narrowOption(parsed.text); break;
    case OptionLine::ClassPathPrepend: overrides.classPathPrepend = narrowOption(parsed.text); break;
    case OptionLine::ClassPathAppend: overrides.classPathAppend = narrowOption(parsed.text); break;
    case OptionLine::Option: options.push_back(narrowOption(parsed.text)); break;
    }
}

void processOptionTokens(const ArgumentVector& tokens, OptionList& options, PathOverrides& overrides) {
    for (const std::wstring& line : optionLinesOfTokens(tokens)) processOptionLine(nullptr, line, options, overrides);
}

}  // namespace qpk
