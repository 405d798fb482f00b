#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace halvorn {

// One option as written on the command line: "/name:value,value" or "-name".
struct Option {
    std::u16string name;                  // without its switch character, trimmed
    std::vector<std::u16string> values;   // each trimmed; any of them may be empty
    char16_t switchCharacter = u'/';      // as typed, to name the option back to the user

    // Either switch character gives the same option.
    bool operator==(const Option& other) const { return name == other.name && values == other.values; }
};

// The options of a command line in the order written; a name given twice gives two entries.
class OptionList {
public:
    using const_iterator = std::vector<Option>::const_iterator;

    // Clears the list and fills it from text. False when text is empty or only white space.
    // The separator between options is the space alone; a tab is part of a name or value. Text
    // that is neither an option nor a value swallows everything after it, options included.
    bool Parse(std::u16string_view text);
    void Clear();

    const_iterator begin() const { return m_options.begin(); }
    const_iterator end() const { return m_options.end(); }
    std::size_t size() const { return m_options.size(); }
    bool empty() const { return m_options.empty(); }

private:
    std::vector<Option> m_options;
};

// True when token, trimmed of white space, begins with the switch character "/" or "-".
bool IsSwitchToken(std::u16string_view token);

}  // namespace halvorn
