#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace halvorn {

// One argument of a printf-style format: %s takes text, %d a signed 32-bit integer.
using FormatArgument = std::variant<std::u16string_view, std::int32_t>;

// Fills format with args: "%s" and "%d" take the next argument, "%%" is a percent sign. Throws
// std::invalid_argument when a directive is unknown or does not match its argument, or when the
// count of arguments differs from the count of directives.
std::u16string FormatText(std::u16string_view format, std::initializer_list<FormatArgument> args);

// Text from outside the program, fit to stand inside one line of the log, a window or an event:
// every control character (C0, DEL, C1) and the line and paragraph separators as "?", so that it
// can start no line of its own, and at most maxLength characters, the last three "..." when cut.
std::u16string PrintableText(std::u16string_view text, std::size_t maxLength);

}  // namespace halvorn
