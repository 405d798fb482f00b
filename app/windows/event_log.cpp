#include "app/windows/event_log.h"

#include <windows.h>

#include <string>

#include "engine/registry/ascii_case.h"
#include "engine/backup/reg_file_format.h"
#include "engine/registry/windows_registry.h"
#include "log/windows_handles.h"
#include "ui/resource_text.h"

namespace halvorn {

namespace {

constexpr char16_t kApplicationLogKey[] = u"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";
// Windows PE creates this key; an installed Windows has none.
constexpr char16_t kWindowsPeKey[] = u"SYSTEM\\CurrentControlSet\\Control\\MiniNT";
constexpr std::u16string_view kMessageFileValue = u"EventMessageFile";
// Its message table gives every ID from 1 to 1000 the text "%1", the event's one string.
constexpr std::u16string_view kMessageFile = u"%SystemRoot%\\System32\\EventCreate.exe";
constexpr std::uint8_t kTypesSupported = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;

bool HasValue(Registry& registry, RegistryKey key, std::u16string_view name) {
    RegistryValue value;
    for (std::uint32_t index = 0; registry.EnumerateValue(key, index, value) == kRegistrySuccess; ++index) {
        if (EqualsIgnoringAsciiCase(value.name, name)) {
            return true;
        }
    }
    return false;
}

// Once per computer: a registration with its message file is left as it is. Without the rights to
// make one the event is written all the same, and Event Viewer shows its string without the text.
void RegisterSourceOnce(Registry& registry, std::u16string_view source) {
    const std::u16string sourceKey = kApplicationLogKey + std::u16string(source);
    if (const OpenedKey existing(registry, registry.LocalMachine(), sourceKey.c_str());
        existing && HasValue(registry, existing.get(), kMessageFileValue)) {
        return;
    }
    const OpenedKey key(registry, registry.LocalMachine(), sourceKey.c_str(), KeyOpening::CreateForWriting);
    if (!key) {
        return;
    }
    // The message file last: a registration cut short before it is made again by the next run.
    registry.SetValue(key.get(), {u"TypesSupported", kRegDword, {kTypesSupported, 0, 0, 0}});
    registry.SetValue(key.get(), {std::u16string(kMessageFileValue), kRegExpandSz, StringValueData(kMessageFile)});
}

}  // namespace

void WriteRunEvent(const RunEvent& event) {
    WindowsRegistry registry;
    if (OpenedKey(registry, registry.LocalMachine(), kWindowsPeKey)) {
        return;
    }
    RegisterSourceOnce(registry, kEventSource);
    const std::wstring sourceName = ToWide(kEventSource);
    const EventSourceHandle source(RegisterEventSourceW(nullptr, sourceName.c_str()));
    if (!source) {
        return;
    }
    const std::wstring text = ToWide(event.text);
    const wchar_t* strings[] = {text.c_str()};
    ReportEventW(source.get(), static_cast<WORD>(event.type), 0, event.id, nullptr, 1, 0, strings, nullptr);
}

}  // namespace halvorn
