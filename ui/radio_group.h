#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace halvorn {

// What the radio group walk needs to know of a window of the dialog.
struct DialogWindowTraits {
    bool startsGroup = false;    // WS_GROUP
    bool isRadioButton = false;  // DLGC_RADIOBUTTON
};

// The positions of the group's radio buttons among windows listed in dialog order from the
// group's first window on: the group ends before the next window that starts a group of its own.
// The buttons' numbers are their indices in the result.
std::vector<std::size_t> RadioButtonPositions(std::span<const DialogWindowTraits> windows);

// The number of the checked radio button, the last one when several are checked, -1 when none is.
int CheckedRadioNumber(const std::vector<bool>& checked);

}  // namespace halvorn
