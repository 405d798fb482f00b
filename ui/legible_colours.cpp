#include "ui/legible_colours.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace halvorn {

namespace {

// What the guidelines ask of ordinary text against its background.
constexpr double kLegibleContrast = 4.5;

double LinearLevel(std::uint8_t level) {
    const double fraction = level / 255.0;
    return fraction <= 0.04045 ? fraction / 12.92 : std::pow((fraction + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(const Rgb& colour) {
    return 0.2126 * LinearLevel(colour.red) + 0.7152 * LinearLevel(colour.green) + 0.0722 * LinearLevel(colour.blue);
}

// The number after a control word of an entry ("\red23"), at most 255; nothing without the word.
std::optional<std::uint8_t> ControlWordLevel(std::string_view entry, std::string_view word) {
    const std::size_t at = entry.find(word);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    const char* const first = entry.data() + at + word.size();
    unsigned value = 0;
    std::from_chars(first, entry.data() + entry.size(), value);
    return static_cast<std::uint8_t>(std::min(value, 255u));
}

}  // namespace

double ContrastRatio(const Rgb& first, const Rgb& second) {
    const double a = RelativeLuminance(first);
    const double b = RelativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

std::vector<Rgb> RtfColourTable(std::string_view document) {
    constexpr std::string_view kTableStart = "{\\colortbl";
    std::vector<Rgb> colours;
    const std::size_t start = document.find(kTableStart);
    const std::size_t end = start == std::string_view::npos ? start : document.find('}', start);
    if (end == std::string_view::npos) {
        return colours;
    }
    const std::string_view table = document.substr(start + kTableStart.size(), end - start - kTableStart.size());
    // Every entry ends with a semicolon; an entry without levels is the automatic colour.
    for (std::size_t from = 0, semicolon = table.find(';'); semicolon != std::string_view::npos;
         from = semicolon + 1, semicolon = table.find(';', from)) {
        const std::string_view entry = table.substr(from, semicolon - from);
        const auto red = ControlWordLevel(entry, "\\red");
        const auto green = ControlWordLevel(entry, "\\green");
        const auto blue = ControlWordLevel(entry, "\\blue");
        if (red || green || blue) {
            colours.push_back({red.value_or(0), green.value_or(0), blue.value_or(0)});
        }
    }
    return colours;
}

bool ShowInThemeColours(bool highContrast, const Rgb& windowColour, std::span<const Rgb> documentColours) {
    return highContrast || std::any_of(documentColours.begin(), documentColours.end(), [&](const Rgb& colour) {
               return ContrastRatio(colour, windowColour) < kLegibleContrast;
           });
}

}  // namespace halvorn
