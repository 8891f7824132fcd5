#include "natives/RegistryData.h"

namespace qpk {

namespace {

constexpr size_t kMultiStringUnits = kMultiStringBytes / 2;

char16_t unitAt(const uint8_t* data, size_t index) {
    return char16_t(data[2 * index] | (data[2 * index + 1] << 8));
}

void appendUnit(std::vector<uint8_t>& out, char16_t unit) {
    out.push_back(uint8_t(unit & 0xFF));
    out.push_back(uint8_t(unit >> 8));
}

}  // namespace

std::u16string decodeRegistryString(const uint8_t* data, size_t size) {
    size_t units = size / 2;
    if (units > 0 && unitAt(data, units - 1) == 0) --units;
    std::u16string text(units, u'\0');
    for (size_t i = 0; i < units; ++i) text[i] = unitAt(data, i);
    return text;
}

std::vector<std::u16string> decodeRegistryMultiString(const uint8_t* data, size_t size) {
    std::vector<std::u16string> texts;
    size_t units = size / 2;
    // Strings start only before the final NUL, which closes the list.
    size_t lastStart = size >= 2 ? (size - 2) / 2 : 0;
    for (size_t position = 0; position < lastStart;) {
        size_t end = position;
        while (end < units && unitAt(data, end) != 0) ++end;
        std::u16string text;
        for (size_t i = position; i < end; ++i) text.push_back(unitAt(data, i));
        texts.push_back(std::move(text));
        position = end + 1;
    }
    return texts;
}

std::optional<int32_t> decodeRegistryDword(const uint8_t* data, size_t size) {
    if (size < 4) return std::nullopt;
    return int32_t(uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24);
}

std::vector<uint8_t> encodeRegistryString(const std::u16string& text) {
    std::vector<uint8_t> out;
    out.reserve((text.size() + 1) * 2);
    for (char16_t unit : text) appendUnit(out, unit);
    appendUnit(out, 0);
    return out;
}

std::optional<std::vector<uint8_t>> encodeRegistryMultiString(const std::vector<std::u16string>& texts) {
    std::vector<uint8_t> out;
    size_t written = 0;
    for (const std::u16string& text : texts) {
        // An empty element would end the list early when read back.
        if (text.empty()) return std::nullopt;
        if (written + text.size() + 2 > kMultiStringUnits) return std::nullopt;
        for (char16_t unit : text) appendUnit(out, unit);
        appendUnit(out, 0);
        written += text.size() + 1;
    }
    appendUnit(out, 0);
    return out;
}

}  // namespace qpk
