#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "ui/rgb.h"

namespace halvorn {

// How far apart two colours stand in lightness, as the Web Content Accessibility Guidelines
// measure it: from 1 for two equal colours to 21 for black and white.
double ContrastRatio(const Rgb& first, const Rgb& second);

// The colours of an RTF document's colour table, in their order, without the table's empty entry
// (the automatic colour, which is the theme's text colour). Nothing for a document without a table.
std::vector<Rgb> RtfColourTable(std::string_view document);

// Whether a document that brings its own text colours is better shown in the theme's colours: when
// Windows reports a high-contrast theme, and also when one of the document's colours reads badly
// on the theme's window colour, as in a dark colour scheme that Windows does not call high contrast.
bool ShowInThemeColours(bool highContrast, const Rgb& windowColour, std::span<const Rgb> documentColours);

}  // namespace halvorn
