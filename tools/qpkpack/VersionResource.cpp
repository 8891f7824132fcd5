#include "VersionResource.h"

#include "ByteOrder.h"

namespace qpkpack {
namespace {

constexpr uint32_t kFixedSignature = 0xFEEF04BDu;
constexpr uint32_t kFixedSize = 52;
constexpr uint16_t kBinary = 0, kText = 1;
constexpr uint32_t kOsWindowsNt = 0x40004;  // VOS_NT_WINDOWS32
constexpr uint32_t kApplication = 1;        // VFT_APP
const char16_t kNeutralUnicodeTable[] = u"000004b0";
constexpr int kMaxDepth = 4;

void pad4(std::string& b) { b.resize((b.size() + 3) / 4 * 4, '\0'); }

std::string utf16z(const std::u16string& text) {
    std::string b;
    for (char16_t c : text) putU16(b, c);
    putU16(b, 0);
    return b;
}

// One node: length, value length, type, key, then the value and the children, each on a
// 32-bit boundary. The length leaves out the padding after the last child.
std::string node(const std::u16string& key, uint16_t type, const std::string& value, uint32_t valueLength,
                 const std::vector<std::string>& children) {
    std::string b;
    putU16(b, 0);
    putU16(b, valueLength);
    putU16(b, type);
    b += utf16z(key);
    pad4(b);
    b += value;
    for (const std::string& child : children) {
        pad4(b);
        b += child;
    }
    setU16(b, 0, uint32_t(b.size() & 0xFFFF));
    return b;
}

struct Node {
    std::u16string key;
    uint16_t type = 0;
    std::string value;
    std::vector<Node> children;
};

bool parseNode(const std::string& b, size_t at, size_t limit, int depth, Node& out) {
    if (depth > kMaxDepth || !fits(b, at, 6)) return false;
    size_t length = getU16(b, at), valueLength = getU16(b, at + 2);
    size_t end = at + length;
    if (length < 6 || end > limit) return false;
    out.type = getU16(b, at + 4);
    size_t p = at + 6;
    for (; p + 1 < end && getU16(b, p) != 0; p += 2) out.key += char16_t(getU16(b, p));
    p = (p + 2 + 3) / 4 * 4;
    size_t valueBytes = out.type == kText ? 2 * valueLength : valueLength;
    if (p > end) return valueBytes == 0;
    valueBytes = valueBytes < end - p ? valueBytes : end - p;
    out.value = b.substr(p, valueBytes);
    for (p = (p + valueBytes + 3) / 4 * 4; p + 6 <= end;) {
        Node child;
        if (!parseNode(b, p, end, depth + 1, child)) return false;
        p = (p + getU16(b, p) + 3) / 4 * 4;
        out.children.push_back(std::move(child));
    }
    return true;
}

std::u16string textOf(const std::string& value) {
    std::u16string t;
    for (size_t i = 0; i + 1 < value.size() && getU16(value, i); i += 2) t += char16_t(getU16(value, i));
    return t;
}

void putVersion(std::string& b, const uint16_t v[4]) {
    putU32(b, uint32_t(v[0]) << 16 | v[1]);
    putU32(b, uint32_t(v[2]) << 16 | v[3]);
}

void readVersion(const std::string& b, size_t at, uint16_t v[4]) {
    v[0] = getU16(b, at + 2);
    v[1] = getU16(b, at);
    v[2] = getU16(b, at + 6);
    v[3] = getU16(b, at + 4);
}

}  // namespace

bool parseVersionNumbers(const std::string& text, bool four, uint16_t out[4], std::string& why) {
    uint16_t parts[4] = {};
    size_t count = 0, from = 0;
    const char* expected = four ? "expected four numbers separated by dots, such as \"2.4.1.0\""
                                : "expected one to four numbers separated by dots, such as \"2.4.1\"";
    while (true) {
        size_t dot = text.find('.', from);
        std::string part = text.substr(from, dot == std::string::npos ? std::string::npos : dot - from);
        if (count == 4 || part.empty() || part.size() > 5 || part.find_first_not_of("0123456789") != std::string::npos) {
            why = expected;
            return false;
        }
        unsigned long v = 0;
        for (char c : part) v = v * 10 + unsigned(c - '0');
        if (v > 0xFFFF) {
            why = "the number " + part + " is larger than 65535";
            return false;
        }
        parts[count++] = uint16_t(v);
        if (dot == std::string::npos) break;
        from = dot + 1;
    }
    if (four && count != 4) {
        why = expected;
        return false;
    }
    for (int i = 0; i < 4; ++i) out[i] = parts[i];
    return true;
}

std::string versionText(const uint16_t parts[4]) {
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." + std::to_string(parts[2]) + "." +
           std::to_string(parts[3]);
}

bool buildVersionResource(const VersionInfo& info, std::string& out) {
    std::string fixed;
    putU32(fixed, kFixedSignature);
    putU32(fixed, 0x10000);  // structure version 1.0
    putVersion(fixed, info.fileVersion);
    putVersion(fixed, info.productVersion);
    putU32(fixed, 0x3F);  // flags mask
    putU32(fixed, 0);     // flags
    putU32(fixed, kOsWindowsNt);
    putU32(fixed, kApplication);
    putU32(fixed, 0);     // subtype
    putU32(fixed, 0);     // date: none, so the same values give the same bytes
    putU32(fixed, 0);
    std::vector<std::string> strings;
    for (const auto& [name, value] : info.strings)
        strings.push_back(node(name, kText, utf16z(value), uint32_t(value.size() + 1), {}));
    std::string table = node(kNeutralUnicodeTable, kText, "", 0, strings);
    std::string translation;
    putU16(translation, 0);       // language neutral
    putU16(translation, 0x04B0);  // Unicode
    std::string var = node(u"Translation", kBinary, translation, 4, {});
    std::string root = node(u"VS_VERSION_INFO", kBinary, fixed, kFixedSize,
                            {node(u"StringFileInfo", kText, "", 0, {table}), node(u"VarFileInfo", kText, "", 0, {var})});
    // Every length is a 16-bit field; the root is the longest.
    if (root.size() > 0xFFFF) return false;
    out = root;
    return true;
}

bool parseVersionResource(const std::string& data, VersionInfo& out) {
    Node root;
    if (!parseNode(data, 0, data.size(), 0, root) || root.key != u"VS_VERSION_INFO" || root.value.size() < kFixedSize ||
        getU32(root.value, 0) != kFixedSignature)
        return false;
    VersionInfo info;
    readVersion(root.value, 8, info.fileVersion);
    readVersion(root.value, 16, info.productVersion);
    for (const Node& child : root.children) {
        if (child.key != u"StringFileInfo" || child.children.empty()) continue;
        info.table = child.children[0].key;
        for (const Node& s : child.children[0].children) info.strings.emplace_back(s.key, textOf(s.value));
    }
    out = std::move(info);
    return true;
}

}  // namespace qpkpack
