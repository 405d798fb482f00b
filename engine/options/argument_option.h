#pragma once

#include <string>

#include "engine/options/option_list.h"

namespace halvorn {

// An option that the option grammar read in one argument of the command line, with that argument
// as Windows splits it (quotes removed), against which a value can be checked as it was typed.
struct ArgumentOption {
    Option option;
    std::u16string argument;
};

}  // namespace halvorn
