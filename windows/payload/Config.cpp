#include "payload/Config.h"

#include <cstdlib>
#include <cstring>

#include "common/TextConvert.h"
#include "launcher/Log.h"

namespace qpk {

namespace {
std::map<int32_t, std::string> narrowConfig;
std::map<int32_t, std::wstring> wideConfig;
constexpr size_t kTextCapacity = 6000;
}  // namespace

void setConfiguration(std::map<int32_t, std::string> narrow, std::map<int32_t, std::wstring> wide) {
    narrowConfig = std::move(narrow);
    wideConfig = std::move(wide);
}

std::wstring getWide(int id) {
    auto it = wideConfig.find(id);
    if (it == wideConfig.end()) return {};
    return it->second.substr(0, kTextCapacity - 1);
}

std::wstring getWideFromNarrow(int id, size_t capacity) {
    auto it = narrowConfig.find(id);
    if (it == narrowConfig.end() || capacity == 0) return {};
    std::wstring w = ansiToWide(it->second);
    if (w.size() > capacity - 1) w.resize(capacity - 1);
    return w;
}

size_t getNarrow(int id, char* buffer, size_t capacity) {
    if (capacity == 0) return 0;
    buffer[0] = '\0';
    auto it = narrowConfig.find(id);
    if (it == narrowConfig.end()) return 0;
    const std::string& value = it->second;
    size_t n = value.size();
    if (n > capacity - 1) {
        logLine(L"ERROR: config string %d truncated (%d %d)", id, (int)capacity, (int)n);
        n = capacity - 1;
    }
    memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return n;
}

std::string dupNarrow(int id) {
    auto it = narrowConfig.find(id);
    return it == narrowConfig.end() ? std::string() : it->second;
}

long getInt(int id) {
    char buffer[kTextCapacity];
    if (getNarrow(id, buffer, kTextCapacity) == 0) return 0;
    return strtol(buffer, nullptr, 10);
}

std::wstring getText(int id) {
    std::wstring w = getWide(id);
    return w.empty() ? getWideFromNarrow(id, kTextCapacity) : w;
}

}  // namespace qpk
