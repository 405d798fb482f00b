#pragma once

#include <cstdint>
#include <string>

namespace halvorn {

// The completion page's text for the counts of a repair run. Only the found count decides whether
// anything was found; a run that could not delete everything it found says so in its first line,
// and a report-only run says that it deleted nothing. An offline run that could not reach every
// hive it was asked for says so whatever it found: counts of 0 then do not mean a sound registry.
std::u16string CompletionText(std::int32_t invalidCount, std::int32_t deletedCount, bool reportOnly,
                              bool offlineFailed = false);

}  // namespace halvorn
