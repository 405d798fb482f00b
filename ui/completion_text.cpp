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

std::u16string CompletionText(std::int32_t invalidCount, std::int32_t deletedCount, bool reportOnly,
                              bool offlineFailed) {
    if (offlineFailed) {
        return u"Completed with Errors: the offline repair could not reach every hive, see the log!!!\n\n" +
               FormatText(kCountLines, {invalidCount, deletedCount});
    }
    if (invalidCount <= 0) {
        return std::u16string(kNothingFound);
    }
    std::u16string text;
    if (reportOnly) {
        // Nothing changed, so there is nothing to restart for.
        text = u"Scan Completed: nothing was deleted!!!\n\n";
        text += FormatText(kCountLines, {invalidCount, deletedCount});
        return text;
    }
    text = deletedCount < invalidCount
               ? u"Completed with Errors: some invalid keys could not be deleted!!!\n\n"
               : u"Completed Successfully!!!\n\n";
    text += FormatText(kCountLines, {invalidCount, deletedCount});
    text += kRestartAdvice;
    return text;
}

}  // namespace halvorn
