#include "engine/repair/reported_keys.h"

#include <algorithm>

#include "engine/registry/ascii_case.h"

namespace halvorn {

namespace {

constexpr std::uint32_t kHighestControlSet = 999;

std::u16string Folded(std::u16string_view text) {
    std::u16string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldAsciiCase);
    return folded;
}

// Numbered control sets are named with three digits: ControlSet001.
std::u16string NumberedSetName(std::uint32_t number) {
    std::u16string name = u"controlset000\\";
    for (std::size_t digit = name.size() - 2; number != 0; --digit, number /= 10) {
        name[digit] = static_cast<char16_t>(u'0' + number % 10);
    }
    return name;
}

}  // namespace

void ReportedKeys::ResolveCurrentControlSet(Registry& registry, std::u16string_view hiveKey) {
    m_linkPrefix.clear();
    const OpenedKey select(registry, registry.LocalMachine(), (std::u16string(hiveKey) + u"\\Select").c_str());
    if (!select) {
        return;
    }
    RegistryValue value;
    for (std::uint32_t index = 0;
         registry.EnumerateValue(select.get(), index, value) == kRegistrySuccess; ++index) {
        if (EqualsIgnoringAsciiCase(value.name, u"Current") && value.type == kRegDword &&
            value.data.size() == 4) {
            const std::uint32_t number = LittleEndianDword(value.data);
            if (number >= 1 && number <= kHighestControlSet) {
                const std::u16string hive = Folded(hiveKey) + u'\\';
                m_linkPrefix = hive + u"currentcontrolset\\";
                m_currentSetPrefix = hive + NumberedSetName(number);
            }
            return;
        }
    }
}

bool ReportedKeys::Add(std::u16string_view path) {
    std::u16string resolved = Folded(path);
    if (!m_linkPrefix.empty() && resolved.starts_with(m_linkPrefix)) {
        resolved.replace(0, m_linkPrefix.size(), m_currentSetPrefix);
    }
    return m_paths.insert(std::move(resolved)).second;
}

}  // namespace halvorn
