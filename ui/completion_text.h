#pragma once

#include <cstdint>
#include <string>

namespace halvorn {

// The completion page's text for the counts of a repair run. Only the found count decides whether
// anything was found; a run that could not delete everything it found says so in its first line,
// and a report-only run says that it deleted nothing.
std::u16string CompletionText(std::int32_t invalidCount, std::int32_t deletedCount, bool reportOnly);

}  // namespace halvorn
