#include "engine/options/command_line_arguments.h"

namespace halvorn {

namespace {

bool IsSeparator(char16_t ch) { return ch == u' ' || ch == u'\t'; }

}  // namespace

std::vector<CommandLineArgument> SplitCommandLine(std::u16string_view text) {
    std::vector<CommandLineArgument> arguments;
    std::size_t at = 0;
    for (;;) {
        while (at < text.size() && IsSeparator(text[at])) {
            ++at;
        }
        if (at == text.size()) {
            return arguments;
        }
        CommandLineArgument argument{{}, at, at};
        bool quoted = false;
        while (at < text.size() && (quoted || !IsSeparator(text[at]))) {
            const char16_t ch = text[at];
            if (ch == u'\\') {
                const std::size_t runEnd = text.find_first_not_of(u'\\', at);
                const std::size_t backslashes = (runEnd == std::u16string_view::npos ? text.size() : runEnd) - at;
                at += backslashes;
                const bool beforeQuote = at < text.size() && text[at] == u'"';
                argument.text.append(beforeQuote ? backslashes / 2 : backslashes, u'\\');
                if (beforeQuote && backslashes % 2 != 0) {
                    argument.text += u'"';
                    ++at;
                }
            } else if (ch == u'"') {
                if (quoted && at + 1 < text.size() && text[at + 1] == u'"') {
                    argument.text += u'"';
                    ++at;
                } else {
                    quoted = !quoted;
                }
                ++at;
            } else {
                argument.text += ch;
                ++at;
            }
        }
        argument.end = at;
        arguments.push_back(std::move(argument));
    }
}

}  // namespace halvorn
