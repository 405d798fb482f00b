#include "ui/completion_text.h"

#include "log/text_format.h"

namespace halvorn {

namespace {

constexpr std::u16string_view kNothingFound = u"No invalid registry keys found in the registry!";
constexpr std::u16string_view kCountLines =
    u"Invalid Registry Keys found\t: %d\nInvalid Registry Keys Deleted\t: %d";
constexpr std::u16string_view kRestartAdvice =
    u"\n\nIt is recommended that you restart your computer at this time.";

}  // namespace

std::u16string CompletionText(const RepairCounts& counts, bool reportOnly, bool offline) {
    const std::u16string countLines = FormatText(kCountLines, {counts.invalidCount, counts.deletedCount});
    if (counts.failed) {
        return (offline ? u"Completed with Errors: the offline repair could not reach every hive, see the log!!!\n\n"
                        : u"Completed with Errors: the repair could not reach the whole registry, see the log!!!\n\n") +
               countLines;
    }
    if (counts.invalidCount <= 0) {
        return std::u16string(kNothingFound);
    }
    if (reportOnly) {
        // Nothing changed, so there is nothing to restart for.
        return u"Scan Completed: nothing was deleted!!!\n\n" + countLines;
    }
    std::u16string text = counts.deletedCount < counts.invalidCount
                              ? u"Completed with Errors: some invalid keys could not be deleted!!!\n\n"
                              : u"Completed Successfully!!!\n\n";
    text += countLines;
    text += kRestartAdvice;
    return text;
}

}  // namespace halvorn
