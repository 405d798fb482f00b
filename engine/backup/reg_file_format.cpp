#include "engine/backup/reg_file_format.h"

#include <algorithm>

namespace halvorn {

namespace {

// reg export starts a continuation line once a line of hex data has reached this many characters.
constexpr std::size_t kHexWrapColumn = 77;
constexpr std::u16string_view kHexContinuation = u"\\\r\n  ";

constexpr char16_t kHexDigits[] = u"0123456789abcdef";

bool BreaksLine(char16_t ch) { return ch == u'\r' || ch == u'\n' || ch == u'\0'; }

// Backslash and quote are the only characters that import reads as escapes.
void AppendQuoted(std::u16string& text, std::u16string_view content) {
    text += u'"';
    for (const char16_t ch : content) {
        if (ch == u'\\' || ch == u'"') {
            text += u'\\';
        }
        text += ch;
    }
    text += u'"';
}

void AppendHexNumber(std::u16string& text, std::uint32_t number, std::size_t minimumDigits) {
    std::u16string digits;
    do {
        digits += kHexDigits[number % 16];
        number /= 16;
    } while (number != 0);
    digits.append(minimumDigits > digits.size() ? minimumDigits - digits.size() : 0, u'0');
    text.append(digits.rbegin(), digits.rend());
}

std::u16string_view AsUnits(const std::vector<std::uint8_t>& data, std::u16string& units) {
    units.clear();
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        units += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    }
    return units;
}

// Import stores a quoted string as its characters and one terminating NUL, and knows no escape for
// a line break: only data of exactly that shape may be quoted.
bool QuotesExactly(const RegistryValue& value, std::u16string& units) {
    if (value.type != kRegSz || value.data.size() < 2 || value.data.size() % 2 != 0) {
        return false;
    }
    const std::u16string_view text = AsUnits(value.data, units);
    return text.back() == u'\0' &&
           std::none_of(text.begin(), text.end() - 1, [](char16_t ch) { return BreaksLine(ch); });
}

// "hex:" for binary data, "hex(N):" with N in lower-case hex for every other type.
void AppendHexData(std::u16string& text, std::size_t lineStart, const RegistryValue& value) {
    if (value.type == kRegBinary) {
        text += u"hex:";
    } else {
        text += u"hex(";
        AppendHexNumber(text, value.type, 1);
        text += u"):";
    }
    std::size_t column = text.size() - lineStart;
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        AppendHexNumber(text, value.data[i], 2);
        if (i + 1 == value.data.size()) {
            break;
        }
        text += u',';
        column += 3;
        if (column >= kHexWrapColumn) {
            text += kHexContinuation;
            column = 2;
        }
    }
}

}  // namespace

bool AppendRegKeyLine(std::u16string& text, std::u16string_view keyPath) {
    if (std::any_of(keyPath.begin(), keyPath.end(), BreaksLine)) {
        return false;
    }
    text += u"\r\n[HKEY_LOCAL_MACHINE\\";
    text += keyPath;
    text += u"]\r\n";
    return true;
}

bool AppendRegValueLines(std::u16string& text, const RegistryValue& value) {
    if (std::any_of(value.name.begin(), value.name.end(), BreaksLine)) {
        return false;
    }
    const std::size_t lineStart = text.size();
    if (value.name.empty()) {
        text += u'@';
    } else {
        AppendQuoted(text, value.name);
    }
    text += u'=';

    std::u16string units;
    if (QuotesExactly(value, units)) {
        AppendQuoted(text, std::u16string_view(units).substr(0, units.size() - 1));
    } else if (value.type == kRegDword && value.data.size() == 4) {
        text += u"dword:";
        AppendHexNumber(text, LittleEndianDword(value.data), 8);
    } else {
        AppendHexData(text, lineStart, value);
    }
    text += u"\r\n";
    return true;
}

std::string EncodeUtf16Le(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::vector<std::uint8_t> StringValueData(std::u16string_view text) {
    const std::string bytes = EncodeUtf16Le(text);
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    data.insert(data.end(), {0, 0});
    return data;
}

}  // namespace halvorn
