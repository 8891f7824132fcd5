// The one scope of ObjectPicker.show0, from the caller's choices: pure.
#pragma once
#include <cstdint>

namespace qpk {

struct PickerScope {
    uint32_t scopeType;
    uint32_t uplevelFilter;
    uint32_t downlevelFilter;
};

inline PickerScope pickerScope(bool groups, bool users, bool wellKnown, bool localOnly) {
    PickerScope s;
    // This computer alone, or it with every domain scope the picker knows.
    s.scopeType = localOnly ? 0x1 : 0x36F;
    s.uplevelFilter = (groups ? 0x3F4u : 0) | (users ? 0x2u : 0) | (wellKnown ? 0x8u : 0);
    s.downlevelFilter = (groups ? 0x80000006u : 0) | (users ? 0x80000001u : 0) |
                        (wellKnown && !groups ? 0x800C4000u : 0) | (wellKnown && groups ? 0x80020000u : 0);
    return s;
}

}  // namespace qpk
