#include "engine/backup/reg_file_reader.h"

#include <optional>

#include "engine/backup/reg_file_format.h"

namespace halvorn {

namespace {

constexpr std::string_view kByteOrderMark = "\xFF\xFE";  // UTF-16LE
constexpr std::u16string_view kKeyLineStart = u"[HKEY_LOCAL_MACHINE\\";
constexpr std::u16string_view kLineEnd = u"\r\n";

constexpr std::u16string_view kNotUtf16 = u"the file is not the UTF-16 text of a registry editor export";
constexpr std::u16string_view kNoHeader = u"the file does not start with \"Windows Registry Editor Version 5.00\"";
constexpr std::u16string_view kStrayBreak = u"a line break or NUL character that the export does not write";
constexpr std::u16string_view kDeletion = u"a deletion entry";
constexpr std::u16string_view kOtherRoot = u"a key outside HKEY_LOCAL_MACHINE";
constexpr std::u16string_view kBadKeyName = u"a key line with an empty key name";
constexpr std::u16string_view kValueFirst = u"a value line before the first key line";
constexpr std::u16string_view kBadValue = u"a value line that the export does not write";
constexpr std::u16string_view kUnfinished = u"hex data continued past the end of the file";

// The reader has taken every CR LF off; any other break or a NUL is no part of an export.
bool HasStrayBreak(std::u16string_view line) {
    return line.find_first_of(std::u16string_view(u"\r\n\0", 3)) != std::u16string_view::npos;
}

std::optional<unsigned> HexDigit(char16_t ch) {
    if (ch >= u'0' && ch <= u'9') {
        return ch - u'0';
    }
    if (ch >= u'a' && ch <= u'f') {
        return ch - u'a' + 10;
    }
    if (ch >= u'A' && ch <= u'F') {
        return ch - u'A' + 10;
    }
    return std::nullopt;
}

// A number of one to eight hex digits, all of text.
std::optional<std::uint32_t> HexNumber(std::u16string_view text) {
    if (text.empty() || text.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t number = 0;
    for (const char16_t ch : text) {
        const std::optional<unsigned> digit = HexDigit(ch);
        if (!digit) {
            return std::nullopt;
        }
        number = number << 4 | *digit;
    }
    return number;
}

// A quoted text at the start of line, with "\\" and "\"" as its only escapes; line is left just
// past the closing quote.
std::optional<std::u16string> Quoted(std::u16string_view& line) {
    if (line.empty() || line.front() != u'"') {
        return std::nullopt;
    }
    std::u16string text;
    for (std::size_t at = 1; at < line.size(); ++at) {
        char16_t ch = line[at];
        if (ch == u'"') {
            line.remove_prefix(at + 1);
            return text;
        }
        if (ch == u'\\') {
            if (++at == line.size() || (line[at] != u'\\' && line[at] != u'"')) {
                return std::nullopt;
            }
            ch = line[at];
        }
        text += ch;
    }
    return std::nullopt;
}

// "aa,bb,cc": two hex digits a byte, separated by commas; nothing for no bytes.
std::optional<std::vector<std::uint8_t>> HexBytes(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    if (text.empty()) {
        return bytes;
    }
    bytes.reserve(text.size() / 3 + 1);
    for (std::size_t at = 0;; at += 3) {
        const std::optional<std::uint32_t> byte = at + 2 <= text.size() ? HexNumber(text.substr(at, 2)) : std::nullopt;
        if (!byte) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(*byte));
        if (at + 2 == text.size()) {
            return bytes;
        }
        if (text[at + 2] != u',') {
            return std::nullopt;
        }
    }
}

}  // namespace

RegFileReader::RegFileReader(std::string_view bytes) : m_bytes(bytes) {
    if (bytes.size() % 2 != 0 || !bytes.starts_with(kByteOrderMark)) {
        SetFault(kNotUtf16);
        return;
    }
    m_at = kByteOrderMark.size();
    const std::optional<std::u16string_view> header = NextLine();
    if (!header || *header != kRegFileHeader.substr(0, kRegFileHeader.size() - kLineEnd.size())) {
        SetFault(kNoHeader);
    }
}

std::optional<std::u16string_view> RegFileReader::NextLine() {
    if (m_at >= m_bytes.size()) {
        return std::nullopt;
    }
    // CR LF in UTF-16LE, at an even offset.
    std::size_t end = m_at;
    while (end + 3 < m_bytes.size() && !(m_bytes[end] == '\r' && m_bytes[end + 1] == 0 && m_bytes[end + 2] == '\n' &&
                                         m_bytes[end + 3] == 0)) {
        end += 2;
    }
    const bool broken = end + 3 < m_bytes.size();
    if (!broken) {
        end = m_bytes.size();
    }
    m_line.resize((end - m_at) / 2);
    for (std::size_t at = m_at, unit = 0; unit < m_line.size(); at += 2, ++unit) {
        m_line[unit] = static_cast<char16_t>(static_cast<std::uint8_t>(m_bytes[at]) |
                                             static_cast<std::uint8_t>(m_bytes[at + 1]) << 8);
    }
    m_at = broken ? end + 4 : end;
    ++m_lineNumber;
    return std::u16string_view(m_line);
}

bool RegFileReader::Next(RegFileKey& key) {
    while (m_faultLine == 0) {
        const std::optional<std::u16string_view> line = NextLine();
        if (!line) {
            return TakePending(key);
        }
        if (HasStrayBreak(*line)) {
            SetFault(kStrayBreak);
        } else if (line->empty()) {
            continue;
        } else if (line->front() == u'[') {
            const bool hadPending = m_pending.has_value();
            RegFileKey completed = hadPending ? std::move(*m_pending) : RegFileKey{};
            if (const std::u16string_view fault = ReadKeyLine(*line); !fault.empty()) {
                SetFault(fault);
            } else if (hadPending) {
                key = std::move(completed);
                return true;
            }
        } else if (!m_pending) {
            SetFault(kValueFirst);
        } else if (const std::u16string_view fault = ReadValueLines(*line); !fault.empty()) {
            SetFault(fault);
        }
    }
    return false;
}

bool RegFileReader::TakePending(RegFileKey& key) {
    if (!m_pending) {
        return false;
    }
    key = std::move(*m_pending);
    m_pending.reset();
    return true;
}

void RegFileReader::SetFault(std::u16string_view fault) {
    m_faultLine = m_lineNumber == 0 ? 1 : m_lineNumber;
    m_fault = fault;
    m_pending.reset();
}

std::u16string_view RegFileReader::ReadKeyLine(std::u16string_view line) {
    if (line.starts_with(u"[-")) {
        return kDeletion;
    }
    if (!line.starts_with(kKeyLineStart) || line.back() != u']') {
        return kOtherRoot;
    }
    std::u16string_view path = line.substr(kKeyLineStart.size(), line.size() - kKeyLineStart.size() - 1);
    if (path.empty() || path.front() == u'\\' || path.back() == u'\\' ||
        path.find(u"\\\\") != std::u16string_view::npos) {
        return kBadKeyName;
    }
    m_pending = RegFileKey{std::u16string(path), m_lineNumber, {}};
    return {};
}

std::u16string_view RegFileReader::ReadValueLines(std::u16string_view line) {
    RegistryValue value;
    if (line.front() == u'@') {
        line.remove_prefix(1);
    } else if (std::optional<std::u16string> name = Quoted(line)) {
        value.name = std::move(*name);
    } else {
        return kBadValue;
    }
    if (line.empty() || line.front() != u'=') {
        return kBadValue;
    }
    line.remove_prefix(1);
    if (line == u"-") {
        return kDeletion;
    }
    std::u16string continued;
    if (line.starts_with(u"hex")) {
        // A line of hex data that ends in a backslash goes on in the next, after its indent. The
        // next line replaces this one in the reader's buffer, so this one is taken first.
        while (!line.empty() && line.back() == u'\\') {
            continued.append(line.substr(0, line.size() - 1));
            const std::optional<std::u16string_view> next = NextLine();
            if (!next) {
                return kUnfinished;
            }
            if (HasStrayBreak(*next)) {
                return kStrayBreak;
            }
            line = next->substr(std::min(next->find_first_not_of(u' '), next->size()));
        }
        continued.append(line);
        line = continued;
    }
    if (!ReadData(line, value)) {
        return kBadValue;
    }
    m_pending->values.push_back(std::move(value));
    return {};
}

bool RegFileReader::ReadData(std::u16string_view data, RegistryValue& value) {
    if (std::optional<std::u16string> text = Quoted(data)) {
        value.type = kRegSz;
        value.data = StringValueData(*text);
        return data.empty();
    }
    if (data.starts_with(u"dword:")) {
        const std::optional<std::uint32_t> number = data.size() == 14 ? HexNumber(data.substr(6)) : std::nullopt;
        if (!number) {
            return false;
        }
        value.type = kRegDword;
        value.data = {static_cast<std::uint8_t>(*number), static_cast<std::uint8_t>(*number >> 8),
                      static_cast<std::uint8_t>(*number >> 16), static_cast<std::uint8_t>(*number >> 24)};
        return true;
    }
    std::optional<std::uint32_t> type;
    if (data.starts_with(u"hex:")) {
        type = kRegBinary;
        data.remove_prefix(4);
    } else if (data.starts_with(u"hex(")) {
        const std::size_t close = data.find(u"):");
        type = close == std::u16string_view::npos ? std::nullopt : HexNumber(data.substr(4, close - 4));
        data.remove_prefix(close == std::u16string_view::npos ? data.size() : close + 2);
    }
    std::optional<std::vector<std::uint8_t>> bytes = type ? HexBytes(data) : std::nullopt;
    if (!bytes) {
        return false;
    }
    value.type = *type;
    value.data = std::move(*bytes);
    return true;
}

}  // namespace halvorn
