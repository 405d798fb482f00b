#include "log/text_format.h"

#include <stdexcept>

namespace halvorn {

namespace {

void AppendDecimal(std::u16string& text, std::int32_t value) {
    // Widened first so that the magnitude of INT32_MIN is representable.
    std::int64_t magnitude = value;
    if (magnitude < 0) {
        text.push_back(u'-');
        magnitude = -magnitude;
    }
    char16_t digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (count > 0) {
        text.push_back(digits[--count]);
    }
}

}  // namespace

std::u16string FormatText(std::u16string_view format, std::initializer_list<FormatArgument> args) {
    std::u16string text;
    text.reserve(format.size() + 64);
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char16_t ch = format[i];
        if (ch != u'%') {
            text.push_back(ch);
            continue;
        }
        if (++i == format.size()) {
            throw std::invalid_argument("format ends in a lone %");
        }
        const char16_t directive = format[i];
        if (directive == u'%') {
            text.push_back(u'%');
            continue;
        }
        if (next == args.end()) {
            throw std::invalid_argument("format has more directives than arguments");
        }
        const FormatArgument& arg = *next++;
        if (directive == u's' && std::holds_alternative<std::u16string_view>(arg)) {
            text.append(std::get<std::u16string_view>(arg));
        } else if (directive == u'd' && std::holds_alternative<std::int32_t>(arg)) {
            AppendDecimal(text, std::get<std::int32_t>(arg));
        } else {
            throw std::invalid_argument("format directive does not match its argument");
        }
    }
    if (next != args.end()) {
        throw std::invalid_argument("format has fewer directives than arguments");
    }
    return text;
}

}  // namespace halvorn
