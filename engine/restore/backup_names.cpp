#include "engine/restore/backup_names.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "engine/registry/ascii_case.h"

namespace halvorn {

namespace {

// Year, month, day, hour, minute, second and counter: compared in that order.
using BackupTime = std::array<std::uint32_t, 7>;

// Takes the decimal number at the front of text, then the text that must follow it.
bool Take(std::u16string_view& text, std::uint32_t& number, std::u16string_view after) {
    std::size_t digits = 0;
    number = 0;
    for (; digits < text.size() && digits < 9 && text[digits] >= u'0' && text[digits] <= u'9'; ++digits) {
        number = number * 10 + (text[digits] - u'0');
    }
    if (digits == 0 || !text.substr(digits).starts_with(after)) {
        return false;
    }
    text.remove_prefix(digits + after.size());
    return true;
}

std::optional<BackupTime> TimeInName(std::u16string_view name) {
    constexpr std::u16string_view kStart = u"Brimwell";
    constexpr std::u16string_view kExtension = u".reg";
    if (name.size() < kStart.size() + kExtension.size() || !StartsWithIgnoringAsciiCase(name, kStart) ||
        !EqualsIgnoringAsciiCase(name.substr(name.size() - kExtension.size()), kExtension)) {
        return std::nullopt;
    }
    std::u16string_view rest = name.substr(kStart.size(), name.size() - kStart.size() - kExtension.size());
    BackupTime time{};
    auto& [year, month, day, hour, minute, second, counter] = time;
    if (!Take(rest, month, u"-") || !Take(rest, day, u"-") || !Take(rest, year, u" ") || !Take(rest, hour, u"h") ||
        !Take(rest, minute, u"m") || !Take(rest, second, u"s")) {
        return std::nullopt;
    }
    counter = 1;  // the name without a counter comes first
    if (rest.empty()) {
        return time;
    }
    if (!rest.starts_with(u" (")) {
        return std::nullopt;
    }
    rest.remove_prefix(2);
    return Take(rest, counter, u")") && rest.empty() ? std::optional(time) : std::nullopt;
}

}  // namespace

std::vector<std::u16string> NewestBackupsFirst(const std::vector<std::u16string>& names) {
    std::vector<std::pair<BackupTime, std::u16string>> backups;
    for (const std::u16string& name : names) {
        if (const std::optional<BackupTime> time = TimeInName(name)) {
            backups.emplace_back(*time, name);
        }
    }
    std::stable_sort(backups.begin(), backups.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::u16string> newestFirst;
    for (auto& backup : backups) {
        newestFirst.push_back(std::move(backup.second));
    }
    return newestFirst;
}

}  // namespace halvorn
