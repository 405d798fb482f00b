#include "app/restore_message.h"

#include "log/text_format.h"

namespace halvorn {

std::u16string RestoreMessage(const RestoreResult& result, std::u16string_view logPath) {
    if (result.refused) {
        return FormatText(u"Nothing was restored: %s.\n\nThe log: %s", {result.refusal, logPath});
    }
    std::u16string text = FormatText(u"Restored %d of the %d trees in\n%s",
                                     {result.restoredCount, result.treeCount, result.backupPath});
    if (result.restoredCount < result.treeCount) {
        text += u"\n\nThe others could not be written back whole; the log names them.";
    }
    return text + FormatText(u"\n\nThe log: %s", {logPath});
}

}  // namespace halvorn
