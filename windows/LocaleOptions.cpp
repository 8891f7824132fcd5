#include "LocaleOptions.h"

#include <windows.h>

#include "common/ProcLookup.h"
#include "launcher/Log.h"

namespace qpk {

namespace {

struct LocaleRow {
    uint16_t id;
    const char* text;
};

constexpr LocaleRow kLocaleTable[] = {
#include "LocaleTable.inc"
};
static_assert(std::size(kLocaleTable) == 215, "locale table rows");

std::string storedLanguage, storedCountry;
bool haveLanguage = false, haveCountry = false;

const char* findRow(uint16_t id) {
    for (const LocaleRow& row : kLocaleTable)
        if (row.id == id) return row.text;
    return nullptr;
}

}  // namespace

std::string localeForLanguageId(uint16_t id) {
    if (const char* exact = findRow(id)) return exact;
    if (const char* primary = findRow(id & 0x3ff)) return primary;
    return "en";
}

bool formatAsDefault(const ArgumentVector& arguments) {
    static const std::wstring prefix = L"-Dsun.locale.formatasdefault=";
    bool result = false;
    for (const std::wstring& arg : arguments)
        if (arg.compare(0, prefix.size(), prefix) == 0) result = arg == prefix + L"true";
    return result;
}

std::string chooseLocale(const ArgumentVector& arguments) {
    uint16_t id = LOWORD(GetUserDefaultLCID());
    bool asDefault = formatAsDefault(arguments);
    logLine(L"sun.locale.formatasdefault is %S", asDefault ? "true" : "false");
    if (!asDefault) {
        if (HMODULE kernel = LoadLibraryA("Kernel32.DLL")) {
            using UiLanguage = LANGID(WINAPI*)();
            auto fn = lookupFunction<UiLanguage>(kernel, "GetUserDefaultUILanguage");
            if (fn != nullptr) id = fn();
        }
    }
    std::string text = localeForLanguageId(id);
    logLine(L"language/country is %S", text.c_str());
    return text;
}

void splitLocale(const std::string& localeText) {
    storedLanguage = localeText.substr(0, 2);
    haveLanguage = true;
    haveCountry = localeText.size() == 5;
    storedCountry = haveCountry ? localeText.substr(3, 2) : std::string();
}

bool languageCode(std::string& out) {
    if (!haveLanguage) return false;
    out = storedLanguage;
    return true;
}

bool countryCode(std::string& out) {
    if (!haveCountry) return false;
    out = storedCountry;
    return true;
}

}  // namespace qpk
