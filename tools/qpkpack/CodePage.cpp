#include "CodePage.h"

#include <cstdint>
#include <cstdio>

namespace qpkpack {
namespace {

// Unicode code points of the bytes 0x80..0xFF; the lower half is ASCII in all of them.
const char16_t kCp437[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

const char16_t kCp850[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

// 0x80..0x9F; from 0xA0 on 1252 equals Latin-1. The five bytes Windows leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, as Windows'
// own conversion does, so every byte round-trips.
const char16_t kCp1252Low[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t highByteToUnicode(unsigned char b, int codePage) {
    switch (codePage) {
        case 437: return kCp437[b - 0x80];
        case 850: return kCp850[b - 0x80];
        default: return b < 0xA0 ? kCp1252Low[b - 0x80] : b;
    }
}

bool unicodeToByte(char32_t c, int codePage, unsigned char& out) {
    if (c < 0x80) {
        out = static_cast<unsigned char>(c);
        return true;
    }
    for (unsigned b = 0x80; b <= 0xFF; ++b)
        if (highByteToUnicode(static_cast<unsigned char>(b), codePage) == c) {
            out = static_cast<unsigned char>(b);
            return true;
        }
    return false;
}

// Decodes one code point at `i`, advancing it. Rejects overlong forms, surrogates and
// values past U+10FFFF, so that what is accepted converts to UTF-16 faithfully.
bool decodeUtf8(const std::string& s, size_t& i, char32_t& out) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    int extra;
    char32_t min;
    if (b < 0x80) { out = b; extra = 0; min = 0; }
    else if ((b & 0xE0) == 0xC0) { out = b & 0x1F; extra = 1; min = 0x80; }
    else if ((b & 0xF0) == 0xE0) { out = b & 0x0F; extra = 2; min = 0x800; }
    else if ((b & 0xF8) == 0xF0) { out = b & 0x07; extra = 3; min = 0x10000; }
    else return false;
    if (s.size() - i - 1 < size_t(extra)) return false;
    for (int k = 1; k <= extra; ++k) {
        unsigned char c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return false;
        out = out << 6 | (c & 0x3F);
    }
    if (out < min || out > 0x10FFFF || (out >= 0xD800 && out <= 0xDFFF)) return false;
    i += 1 + extra;
    return true;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string malformedAt(size_t i) {
    return "malformed UTF-8 at byte " + std::to_string(i);
}

std::string codePointName(char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", unsigned(c));
    return buf;
}

}  // namespace

bool isSupportedCodePage(int codePage) {
    return codePage == 1252 || codePage == 437 || codePage == 850 || codePage == kCodePageUtf8;
}

bool utf8ToCodePage(const std::string& utf8, int codePage, std::string& out, std::string& why) {
    out.clear();
    for (size_t i = 0; i < utf8.size();) {
        size_t at = i;
        char32_t c = 0;
        if (!decodeUtf8(utf8, i, c)) {
            why = malformedAt(at);
            return false;
        }
        if (codePage == kCodePageUtf8) continue;
        unsigned char b = 0;
        if (!unicodeToByte(c, codePage, b)) {
            std::string ch;
            appendUtf8(ch, c);
            why = "character " + codePointName(c) + " \"" + ch + "\" does not fit code page " +
                  std::to_string(codePage);
            return false;
        }
        out += char(b);
    }
    if (codePage == kCodePageUtf8) out = utf8;
    return true;
}

std::string codePageToUtf8(const std::string& text, int codePage) {
    if (codePage == kCodePageUtf8) return text;
    std::string out;
    for (char ch : text) {
        unsigned char b = static_cast<unsigned char>(ch);
        appendUtf8(out, b < 0x80 ? char32_t(b) : highByteToUnicode(b, codePage));
    }
    return out;
}

bool utf8ToUtf16(const std::string& utf8, std::u16string& out, std::string& why) {
    out.clear();
    for (size_t i = 0; i < utf8.size();) {
        size_t at = i;
        char32_t c = 0;
        if (!decodeUtf8(utf8, i, c)) {
            why = malformedAt(at);
            return false;
        }
        if (c < 0x10000) {
            out += char16_t(c);
        } else {
            c -= 0x10000;
            out += char16_t(0xD800 | c >> 10);
            out += char16_t(0xDC00 | (c & 0x3FF));
        }
    }
    return true;
}

std::string utf16ToUtf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

}  // namespace qpkpack
