#include "log/repair_log.h"

#include <array>
#include <new>

#include "res/version.h"

namespace halvorn {

namespace {

constexpr std::array<std::u16string_view, 7> kDayNames = {
    u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"};
constexpr std::array<std::u16string_view, 12> kMonthNames = {
    u"January", u"February", u"March",     u"April",   u"May",      u"June",
    u"July",    u"August",   u"September", u"October", u"November", u"December"};

std::u16string_view NameOf(const auto& names, unsigned index) {
    return index < names.size() ? names[index] : std::u16string_view(u"?");
}

void AppendTwoDigits(std::u16string& text, unsigned value) {
    text.push_back(static_cast<char16_t>(u'0' + value / 10 % 10));
    text.push_back(static_cast<char16_t>(u'0' + value % 10));
}

// "Monday, 07  December  2026   Time: 09:05"
std::u16string FormatDateLine(const LocalTime& now) {
    std::u16string line(NameOf(kDayNames, now.dayOfWeek));
    line += u", ";
    AppendTwoDigits(line, now.day);
    line += u"  ";
    line += NameOf(kMonthNames, now.month - 1u);
    line += FormatText(u"  %d   Time: ", {std::int32_t{now.year}});
    AppendTwoDigits(line, now.hour);
    line += u':';
    AppendTwoDigits(line, now.minute);
    return line;
}

// One byte per UTF-16 unit (ISO-8859-1, "?" for anything above U+00FF) and CR LF for every line
// feed, followed by the line end.
std::string EncodeLine(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + 2);
    for (const char16_t ch : text) {
        if (ch == u'\n') {
            bytes += "\r\n";
        } else {
            bytes.push_back(ch <= 0xFF ? static_cast<char>(ch) : '?');
        }
    }
    bytes += "\r\n";
    return bytes;
}

}  // namespace

struct RepairLog::Name {
    std::u16string file;  // "Brimwell" with the time
    std::u16string path;  // in the temporary directory, without an extension
};

RepairLog::RepairLog(LogPlatform& platform) : RepairLog(platform, [&platform]() -> Name {
    // Built during static initialisation, where nothing may escape: without memory the names stay
    // empty, and every write then fails silently.
    try {
        const LocalTime now = platform.Now();
        std::u16string file = FormatText(
            u"Brimwell%d-%d-%d %dh%dm%ds",
            {std::int32_t{now.month}, std::int32_t{now.day}, std::int32_t{now.year},
             std::int32_t{now.hour}, std::int32_t{now.minute}, std::int32_t{now.second}});
        std::u16string path = platform.TemporaryDirectory() + file;
        return {std::move(file), std::move(path)};
    } catch (const std::bad_alloc&) {
        return {};
    }
}()) {}

RepairLog::RepairLog(LogPlatform& platform, Name name)
    : m_platform(platform), m_fileName(std::move(name.file)), m_files(platform, std::move(name.path)) {}

void RepairLog::MoveInto(const std::u16string& directory) {
    if (!m_fileName.empty()) {
        m_files.Rename(directory + m_fileName);
    }
}

RunFiles& RepairLog::CopyInto(const std::u16string& directory) {
    RunFiles& copy = *m_copies.emplace_back(
        std::make_unique<RunFiles>(m_platform, m_fileName.empty() ? std::u16string() : directory + m_fileName));
    if (!m_files.LogText().empty()) {
        copy.AppendToLog(m_files.LogText());
    }
    return copy;
}

void RepairLog::WriteText(std::u16string_view text) { AppendEncoded(EncodeLine(text.substr(0, kMaxLineLength))); }

void RepairLog::WriteLines(const std::vector<std::u16string>& lines) {
    std::string bytes;
    for (const std::u16string& line : lines) {
        bytes += EncodeLine(std::u16string_view(line).substr(0, kMaxLineLength));
    }
    AppendEncoded(bytes);
}

void RepairLog::AppendEncoded(const std::string& bytes) {
    m_files.AppendToLog(bytes);
    for (const std::unique_ptr<RunFiles>& copy : m_copies) {
        copy->AppendToLog(bytes);
    }
}

void RepairLog::WriteHeader() {
    WriteText(u"\n\n\t\t\t---- Halvorn Registry Repair Tool  ----\n\n");
    WriteText(FormatDateLine(m_platform.Now()));
    WriteLine(u"RELEASE Version: %d.%d.%d.%d", HALVORN_VERSION_MAJOR, HALVORN_VERSION_MINOR,
              HALVORN_VERSION_PATCH, HALVORN_VERSION_BUILD);
}

}  // namespace halvorn
