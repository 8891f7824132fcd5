#include "jre/RuntimeFiles.h"

namespace qpk {

namespace {

constexpr size_t kVersionNumberMax = 40;

// Digits in dot-separated components without leading zeros, as a Java 9+ version number
// is written, of a length that fits the version line.
bool isVersionNumber(const std::string& text) {
    if (text.empty() || text.size() > kVersionNumberMax) return false;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('.', start);
        if (end == std::string::npos) end = text.size();
        if (end == start || (text[start] == '0' && end - start > 1)) return false;
        for (size_t i = start; i < end; ++i)
            if (text[i] < '0' || text[i] > '9') return false;
        start = end + 1;
    }
    return true;
}

bool featureAtLeastNine(const std::string& number) {
    size_t digits = number.find('.');
    if (digits == std::string::npos) digits = number.size();
    return digits > 1 || number[0] == '9';
}

uint32_t littleEndian(const std::string& bytes, size_t at, size_t width) {
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i) value |= uint32_t(uint8_t(bytes[at + i])) << (8 * i);
    return value;
}

}  // namespace

std::string releaseValue(const std::string& release, const std::string& key) {
    size_t at = 0;
    while (at < release.size()) {
        size_t end = release.find('\n', at);
        if (end == std::string::npos) end = release.size();
        std::string line = release.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, key.size(), key) != 0 || line.size() <= key.size() || line[key.size()] != '=') continue;
        std::string value = line.substr(key.size() + 1);
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::string();
        return value.substr(1, value.size() - 2);
    }
    return std::string();
}

uint16_t peMachine(const std::string& head) {
    if (head.size() < 0x40 || head.compare(0, 2, "MZ") != 0) return 0;
    uint32_t pe = littleEndian(head, 0x3C, 4);
    if (pe > head.size() || head.size() - pe < 6 || head.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return 0;
    return uint16_t(littleEndian(head, pe + 4, 2));
}

bool versionFromRuntimeFiles(const RuntimeFiles& files, std::string& version) {
    if (files.machine != kMachineAmd64 || !files.jvmLibrary) return false;
    std::string number = releaseValue(files.release, "JAVA_VERSION");
    if (!isVersionNumber(number) || !featureAtLeastNine(number)) return false;
    if (files.fullVersion.substr(0, files.fullVersion.find('+')) != number) return false;
    version = number;
    return true;
}

}  // namespace qpk
