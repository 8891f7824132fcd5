// Loading of the configuration block from the executable's own file.
#include <windows.h>

#include "LocaleOptions.h"
#include "common/TextConvert.h"
#include "launcher/ErrorReporting.h"
#include "launcher/LauncherState.h"
#include "launcher/Log.h"
#include "payload/Config.h"
#include "payload/PeLayout.h"
#include "payload/SelfFile.h"

namespace qpk {

namespace {
uint64_t payloadStartPos = 0;
uint64_t fileAreaStartPos = 0;
}  // namespace

uint64_t payloadStart() { return payloadStartPos; }
uint64_t fileAreaStart() { return fileAreaStartPos; }

int loadConfiguration(const ArgumentVector& arguments) {
    FileSource self(openSelf());

    PeLayout pe;
    ReadStatus st = readPeLayout(self, pe);
    if (!st.ok()) failRead(st);
    logLine(L"number of sections: %d", (int)pe.sectionCount);
    logLine(L"size of optional headers: %d", (int)pe.optionalHeaderSize);
    logLine(L"resSectionTableStart: %d", (int)pe.lastSectionHeader);
    logLine(L"rawDataSize: %d, rawDataOffset: %d", (int)pe.rawDataSize, (int)pe.rawDataOffset);
    payloadStartPos = pe.payloadStart;

    ConfigBlock block;
    if (!self.seek(pe.payloadStart)) {
        ReadStatus fail;
        fail.error = ReadError::ReadInt;
        fail.lastError = self.lastError();
        failRead(fail);
    }
    st = parseConfigBlock(self, block);
    if (!st.ok()) failRead(st);

    std::string locale = chooseLocale(arguments);
    splitLocale(locale);

    std::map<int32_t, std::wstring> wide;
    for (auto& [id, text] : wideMap(block, locale)) wide.emplace(id, fromU16(text));
    setConfiguration(narrowMap(block), std::move(wide));
    fileAreaStartPos = block.fileAreaStart;

    long kind = getInt(107);
    if (kind != 1 && kind != 5) gState.guiErrors = false;
    return (int)kind;
}

}  // namespace qpk
