#include "engine/run_options.h"

#include <algorithm>

#include "engine/ascii_case.h"

namespace halvorn {

namespace {

bool HasOption(const OptionList& options, std::u16string_view name) {
    return std::any_of(options.begin(), options.end(), [name](const Option& option) {
        return EqualsIgnoringAsciiCase(option.name, name);
    });
}

}  // namespace

RunOptions ReadRunOptions(std::u16string_view commandLine) {
    const std::u16string optionText = OptionTextOf(commandLine);
    OptionList options;
    options.Parse(optionText);
    return {HasOption(options, kOverrideOption), HasOption(options, kReportOption),
            HasOption(options, kNoBackupOption), HasOption(options, kExitCodeOption),
            ReadOfflineRequest(options, optionText), ReadRestoreRequest(options, commandLine)};
}

}  // namespace halvorn
