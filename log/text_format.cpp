#include "log/text_format.h"

#include <algorithm>
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

bool IsLineBreaking(char16_t ch) {
    return ch < 0x20 || (ch >= 0x7F && ch <= 0x9F) || ch == 0x2028 || ch == 0x2029;
}

bool IsHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }

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

std::u16string PrintableText(std::u16string_view text, std::size_t maxLength) {
    constexpr std::u16string_view kCut = u"...";
    const std::size_t kept = text.size() <= maxLength ? text.size() : maxLength - std::min(maxLength, kCut.size());
    std::u16string printable(text.substr(0, kept));
    // A cut between the two halves of a surrogate pair would leave half a character.
    if (printable.size() < text.size() && !printable.empty() && IsHighSurrogate(printable.back())) {
        printable.pop_back();
    }
    std::replace_if(printable.begin(), printable.end(), IsLineBreaking, u'?');
    if (printable.size() < text.size()) {
        printable += kCut.substr(0, maxLength - printable.size());
    }
    return printable;
}

}  // namespace halvorn
