// Tar archives byte by byte, for the tests of the launcher's reader: broken and unsafe ones
// included, which no archiver would write.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace qpktest {

// A header block with the magic: `name` (its first 100 bytes, unterminated at 100), the raw
// bytes of the size field and the type flag.
inline std::string tarHeader(const std::string& name, const std::string& sizeField, char type) {
    std::string b(512, '\0');
    b.replace(0, name.size() < 100 ? name.size() : 100, name.substr(0, 100));
    b.replace(124, sizeField.size(), sizeField);
    b[156] = type;
    b.replace(257, 7, "ustar  ");
    return b;
}

inline std::string tarPadded(const std::string& data) { return data + std::string((512 - data.size() % 512) % 512, '\0'); }

// Header and padded data; the size field says `size` when given, else the data's size.
inline std::string tarEntry(const std::string& name, const std::string& data, char type = '0', int64_t size = -1) {
    char field[16];
    snprintf(field, sizeof field, "%011llo", (unsigned long long)(size < 0 ? data.size() : size));
    return tarHeader(name, field, type) + tarPadded(data);
}

// A POSIX ustar entry (magic "ustar", NUL, "00"), its name split into `prefix` and `name`.
inline std::string tarUstarEntry(const std::string& prefix, const std::string& name, const std::string& data) {
    std::string b = tarEntry(name, data);
    b.replace(257, 8, std::string("ustar\0" "00", 8));
    b.replace(345, prefix.size(), prefix);
    return b;
}

// A GNU long name for the entry that follows.
inline std::string tarLongName(const std::string& name) { return tarEntry("././@LongLink", name + '\0', 'L'); }

// The two zero blocks that end an archive.
inline const std::string kTarEnd(1024, '\0');

}  // namespace qpktest
