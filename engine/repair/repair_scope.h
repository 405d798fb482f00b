#pragma once

#include <string_view>

#include "engine/registry/ascii_case.h"

// Where in a system hive a repair looks for invalid keys.
namespace halvorn {

// Keys whose names begin with these five characters are invalid.
inline constexpr std::u16string_view InvalidKeyPrefix = u"$%&'(";

// Control sets are selected by prefix alone, so a backup such as "ControlSetBackup" is walked too.
constexpr bool IsControlSetName(std::u16string_view name) {
    return StartsWithIgnoringAsciiCase(name, u"CONTROLSET") || StartsWithIgnoringAsciiCase(name, u"CURRENTCONTROLSET");
}

// The three keys of a control set below which a repair looks.
constexpr bool IsRepairRootName(std::u16string_view name) {
    return EqualsIgnoringAsciiCase(name, u"Services") || EqualsIgnoringAsciiCase(name, u"Enum") ||
           EqualsIgnoringAsciiCase(name, u"Control");
}

}  // namespace halvorn
