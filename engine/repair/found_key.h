#pragma once

#include <string>

namespace halvorn {

// What became of one invalid key's tree.
enum class KeyFate {
    Deleted,
    NotBackedUp,      // kept: the tree could not be saved whole to the backup
    DeletionRefused,  // kept: Windows refused to open or delete it or a key below it
    RegistryLink,     // kept: it or a key below it is a registry link
    ReportOnly,       // kept: "/Report" deletes nothing
};

// An invalid key that a run found, with its path in full ("HKLM\SYSTEM\ControlSet001\...").
struct FoundKey {
    std::u16string path;
    KeyFate fate = KeyFate::Deleted;

    bool operator==(const FoundKey&) const = default;
};

}  // namespace halvorn
