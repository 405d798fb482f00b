#include "ui/radio_group.h"

namespace halvorn {

std::vector<std::size_t> RadioButtonPositions(std::span<const DialogWindowTraits> windows) {
    std::vector<std::size_t> positions;
    for (std::size_t at = 0; at < windows.size(); ++at) {
        if (at > 0 && windows[at].startsGroup) {
            break;
        }
        if (windows[at].isRadioButton) {
            positions.push_back(at);
        }
    }
    return positions;
}

int CheckedRadioNumber(const std::vector<bool>& checked) {
    int number = -1;
    for (std::size_t at = 0; at < checked.size(); ++at) {
        if (checked[at]) {
            number = static_cast<int>(at);
        }
    }
    return number;
}

}  // namespace halvorn
