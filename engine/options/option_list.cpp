#include "engine/options/option_list.h"

namespace halvorn {
namespace {

// A fixed set rather than iswspace, whose answers differ between C runtimes: below U+0100 the
// control blanks, the space and the no-break space (not U+0085); above it, Unicode's White_Space.
constexpr bool IsWhiteSpace(char16_t ch) {
    if (ch <= 0xFF) {
        return (ch >= 0x09 && ch <= 0x0D) || ch == 0x20 || ch == 0xA0;
    }
    return ch == 0x1680 || (ch >= 0x2000 && ch <= 0x200A) || ch == 0x2028 || ch == 0x2029 ||
           ch == 0x202F || ch == 0x205F || ch == 0x3000;
}

std::u16string_view TrimStart(std::u16string_view text) {
    while (!text.empty() && IsWhiteSpace(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::u16string_view Trim(std::u16string_view text) {
    text = TrimStart(text);
    while (!text.empty() && IsWhiteSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsSwitchCharacter(char16_t ch) {
    return ch == u'/' || ch == u'-';
}

}  // namespace

bool IsSwitchToken(std::u16string_view token) {
    const std::u16string_view trimmed = Trim(token);
    return !trimmed.empty() && IsSwitchCharacter(trimmed.front());
}

void OptionList::Clear() {
    m_options.clear();
}

bool OptionList::Parse(std::u16string_view text) {
    Clear();
    // The command line ends at its terminator, wherever the caller's view ends.
    const std::u16string_view line = Trim(text.substr(0, text.find(u'\0')));
    if (line.empty()) {
        return false;
    }

    std::u16string token;
    bool valueMode = false;
    for (std::size_t position = 0; position < line.size(); ++position) {
        const char16_t ch = line[position];
        const bool atEnd = position + 1 == line.size();
        const char16_t next = atEnd ? u'\0' : line[position + 1];

        if (ch != u':' && ch != u',') {
            token += ch;
        }
        if (IsSwitchToken(token)) {
            if (ch == u':' || ch == u' ' || atEnd) {
                // With two blanks between options the token starts with the second one: the
                // switch character to drop is the first character after the white space.
                const std::u16string_view typed = TrimStart(token);
                m_options.push_back(Option{std::u16string(Trim(typed.substr(1))), {}, typed.front()});
                token.clear();
                // An option ended by a space takes no values.
                valueMode = ch != u' ';
            } else {
                valueMode = false;
            }
        } else if (valueMode && (ch == u',' || atEnd || IsSwitchCharacter(next))) {
            // A "/" or "-" always starts a new option, so it ends the value before it.
            m_options.back().values.emplace_back(Trim(token));
            token.clear();
        }
    }
    return true;
}

}  // namespace halvorn
