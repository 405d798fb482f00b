#pragma once

#include <string>
#include <vector>

#include "engine/registry/registry.h"
#include "tests/bench/numbered_name.h"

namespace halvorn::bench {

// Below the invalid key at path (relative to HKLM): 20 groups of 50 devices with 10 entries each,
// 11,021 keys in all; every entry holds a string, a number, 64 bytes of binary data and a
// multi-string. The number of keys made.
inline long BuildLargeTree(Registry& registry, const std::u16string& invalidKey) {
    const std::vector<std::uint8_t> text = {'C', 0, ':', 0, '\\', 0, 'x', 0, 0, 0};
    const std::vector<std::uint8_t> list = {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0};
    const std::vector<std::uint8_t> binary(64, 0x5a);
    long keys = 1;
    const OpenedKey root(registry, registry.LocalMachine(), invalidKey.c_str(), KeyOpening::CreateForWriting);
    for (int group = 0; group < 20; ++group) {
        const std::u16string groupPath = NumberedName(u"Group", group);
        ++keys;
        for (int device = 0; device < 50; ++device) {
            // Made with its first entry, as the group is.
            const std::u16string devicePath = NumberedName(groupPath + u"\\Device", device);
            ++keys;
            for (int entry = 0; entry < 10; ++entry) {
                const OpenedKey key(registry, root.get(), NumberedName(devicePath + u"\\Entry", entry).c_str(),
                                    KeyOpening::CreateForWriting);
                for (const RegistryValue& value : {RegistryValue{u"Path", kRegSz, text}, {u"Start", kRegDword, {3, 0, 0, 0}},
                                                   {u"Data", kRegBinary, binary}, {u"Names", kRegMultiSz, list}}) {
                    registry.SetValue(key.get(), value);
                }
                ++keys;
            }
        }
    }
    return keys;
}

}  // namespace halvorn::bench
