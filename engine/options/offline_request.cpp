#include "engine/options/offline_request.h"

#include <algorithm>
#include <array>

#include "engine/registry/ascii_case.h"

namespace halvorn {

namespace {

constexpr std::size_t kMaxKeyNameLength = 255;

// The hives that Windows itself loads directly below HKLM.
constexpr std::array<std::u16string_view, 10> kRunningWindowsHives = {
    u"SYSTEM", u"SOFTWARE", u"SAM", u"SECURITY", u"HARDWARE",
    u"BCD00000000", u"COMPONENTS", u"DRIVERS", u"ELAM", u"SCHEMA"};

bool IsBlank(char16_t ch) { return ch == u' ' || ch == u'\t'; }

// A line break would forge log lines; a backslash would reach past the key below HKLM.
bool IsOneKeyName(std::u16string_view name) {
    return !name.empty() && name.size() <= kMaxKeyNameLength &&
           std::none_of(name.begin(), name.end(),
                        [](char16_t ch) { return ch < u' ' || ch == u'\x7F' || ch == u'\\'; });
}

// Whether value stands in its argument as one word after a colon or a blank: the option grammar
// gives a shorter value for "NAME-2" or "NA/ME" and a joined one for "NA:ME".
bool StandsAsTyped(std::u16string_view text, std::u16string_view value) {
    for (std::size_t at = text.find(value); at != std::u16string_view::npos; at = text.find(value, at + 1)) {
        const std::size_t end = at + value.size();
        if (at > 0 && (text[at - 1] == u':' || IsBlank(text[at - 1])) &&
            (end == text.size() || IsBlank(text[end]))) {
            return true;
        }
    }
    return false;
}

}  // namespace

OfflineRequest ReadOfflineRequest(const std::vector<ArgumentOption>& options) {
    const auto isOffline = [](const ArgumentOption& read) {
        return EqualsIgnoringAsciiCase(read.option.name, kOfflineOption);
    };
    const auto offline = std::find_if(options.begin(), options.end(), isOffline);
    if (offline == options.end()) {
        return {};
    }
    if (std::find_if(offline + 1, options.end(), isOffline) != options.end()) {
        return {OfflineTarget::Unreadable, {}};  // two names, or a search and a name: which one is meant?
    }
    const std::vector<std::u16string>& values = offline->option.values;
    if (values.empty()) {
        return {OfflineTarget::Search, {}};
    }
    const std::u16string& name = values.front();
    if (values.size() > 1 || !IsOneKeyName(name) || !StandsAsTyped(offline->argument, name)) {
        return {OfflineTarget::Unreadable, {}};
    }
    const bool runningWindowsHive =
        std::any_of(kRunningWindowsHives.begin(), kRunningWindowsHives.end(),
                    [&name](std::u16string_view hive) { return EqualsIgnoringAsciiCase(name, hive); });
    return {runningWindowsHive ? OfflineTarget::RunningWindowsHive : OfflineTarget::NamedHive, name};
}

}  // namespace halvorn
