#include "log/json_text.h"

#include <charconv>

namespace halvorn {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendCodePoint(std::string& bytes, char32_t point) {
    const auto byte = [&bytes](char32_t value) { bytes.push_back(static_cast<char>(value)); };
    if (point < 0x80) {
        byte(point);
    } else if (point < 0x800) {
        byte(0xC0 | point >> 6);
        byte(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        byte(0xE0 | point >> 12);
        byte(0x80 | (point >> 6 & 0x3F));
        byte(0x80 | (point & 0x3F));
    } else {
        byte(0xF0 | point >> 18);
        byte(0x80 | (point >> 12 & 0x3F));
        byte(0x80 | (point >> 6 & 0x3F));
        byte(0x80 | (point & 0x3F));
    }
}

// Hands each code point of text to take, U+FFFD for an unpaired surrogate; false where there was one.
template <typename Take>
bool ForEachCodePoint(std::u16string_view text, Take take) {
    bool exact = true;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char16_t unit = text[at];
        if (IsHighSurrogate(unit) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) {
            take(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[++at] - 0xDC00));
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            take(kReplacementCharacter);
            exact = false;
        } else {
            take(static_cast<char32_t>(unit));
        }
    }
    return exact;
}

void AppendEscaped(std::string& bytes, char32_t point) {
    constexpr char kHexDigits[] = "0123456789abcdef";
    switch (point) {
    case u'"':
        bytes += "\\\"";
        return;
    case u'\\':
        bytes += "\\\\";
        return;
    case u'\b':
        bytes += "\\b";
        return;
    case u'\f':
        bytes += "\\f";
        return;
    case u'\n':
        bytes += "\\n";
        return;
    case u'\r':
        bytes += "\\r";
        return;
    case u'\t':
        bytes += "\\t";
        return;
    default:
        break;
    }
    // JSON forbids control characters raw; JavaScript before ES2019 reads the line and paragraph
    // separators inside a string as line ends.
    if (point < 0x20 || point == 0x2028 || point == 0x2029) {
        bytes += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) {
            bytes.push_back(kHexDigits[point >> shift & 0xF]);
        }
        return;
    }
    AppendCodePoint(bytes, point);
}

}  // namespace

bool AppendUtf8(std::string& bytes, std::u16string_view text) {
    return ForEachCodePoint(text, [&bytes](char32_t point) { AppendCodePoint(bytes, point); });
}

void JsonWriter::BeforeValue() {
    if (m_afterValue) {
        m_text.push_back(',');
    }
    m_afterValue = true;
}

void JsonWriter::Open(char bracket) {
    BeforeValue();
    m_text.push_back(bracket);
    m_afterValue = false;
}

void JsonWriter::Close(char bracket) {
    m_text.push_back(bracket);
    m_afterValue = true;
}

void JsonWriter::BeginObject() { Open('{'); }
void JsonWriter::EndObject() { Close('}'); }
void JsonWriter::BeginArray() { Open('['); }
void JsonWriter::EndArray() { Close(']'); }

void JsonWriter::Key(std::string_view name) {
    BeforeValue();
    m_text.push_back('"');
    m_text += name;
    m_text += "\":";
    m_afterValue = false;
}

bool JsonWriter::String(std::u16string_view text) {
    BeforeValue();
    m_text.push_back('"');
    const bool exact = ForEachCodePoint(text, [this](char32_t point) { AppendEscaped(m_text, point); });
    m_text.push_back('"');
    return exact;
}

void JsonWriter::Number(std::int64_t value) {
    BeforeValue();
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    m_text.append(digits, end);
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    m_text += value ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    m_text += "null";
}

}  // namespace halvorn
