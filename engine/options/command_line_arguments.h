#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace halvorn {

// One argument of a command line as the C runtime of a Windows program splits it into argv, and
// the characters of the text that it was read from.
struct CommandLineArgument {
    std::u16string text;
    std::size_t begin = 0;  // of its first character in the text
    std::size_t end = 0;    // just past its last character

    bool operator==(const CommandLineArgument&) const = default;
};

// Splits the arguments that follow the program's name: blanks and tabs separate them; quotes group
// blanks into one argument and are dropped; backslashes are literal except before a quote, where
// each pair gives one backslash and an odd one makes the quote literal; inside quotes, two quotes
// give one.
std::vector<CommandLineArgument> SplitCommandLine(std::u16string_view text);

}  // namespace halvorn
