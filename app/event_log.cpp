#include "app/event_log.h"

#include <windows.h>

#include <string>

#include "ui/resource_text.h"

namespace halvorn {

namespace {

constexpr wchar_t kApplicationLogKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";
// Windows PE creates this key; an installed Windows has none.
constexpr wchar_t kWindowsPeKey[] = L"SYSTEM\\CurrentControlSet\\Control\\MiniNT";
// Its message table gives every ID from 1 to 1000 the text "%1", the event's one string.
constexpr wchar_t kMessageFile[] = L"%SystemRoot%\\System32\\EventCreate.exe";
constexpr DWORD kTypesSupported = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;

// The one owner of an open registry key: RegCloseKey.
class RegistryKeyHandle {
public:
    RegistryKeyHandle() = default;
    ~RegistryKeyHandle() {
        if (m_key != nullptr) {
            RegCloseKey(m_key);
        }
    }
    RegistryKeyHandle(const RegistryKeyHandle&) = delete;
    RegistryKeyHandle& operator=(const RegistryKeyHandle&) = delete;

    // For a call that hands out a new key; the owner must be empty.
    HKEY* put() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// The one owner of a handle that RegisterEventSourceW gives: DeregisterEventSource.
class EventSourceHandle {
public:
    explicit EventSourceHandle(const wchar_t* source) : m_handle(RegisterEventSourceW(nullptr, source)) {}
    ~EventSourceHandle() {
        if (m_handle != nullptr) {
            DeregisterEventSource(m_handle);
        }
    }
    EventSourceHandle(const EventSourceHandle&) = delete;
    EventSourceHandle& operator=(const EventSourceHandle&) = delete;

    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    HANDLE m_handle;
};

bool IsWindowsPe() {
    RegistryKeyHandle key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWindowsPeKey, 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
}

// Once per computer: a registration with its message file is left as it is. Without the rights to
// make one the event is written all the same, and Event Viewer shows its string without the text.
void RegisterSourceOnce(const std::wstring& source) {
    const std::wstring sourceKey = kApplicationLogKey + source;
    RegistryKeyHandle existing;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, sourceKey.c_str(), 0, KEY_QUERY_VALUE, existing.put()) == ERROR_SUCCESS &&
        RegQueryValueExW(existing.get(), L"EventMessageFile", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        return;
    }
    RegistryKeyHandle key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, sourceKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    // The message file last: a registration cut short before it is made again by the next run.
    RegSetValueExW(key.get(), L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kTypesSupported),
                   sizeof(kTypesSupported));
    RegSetValueExW(key.get(), L"EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(kMessageFile),
                   sizeof(kMessageFile));
}

}  // namespace

void WriteRunEvent(const RunEvent& event) {
    if (IsWindowsPe()) {
        return;
    }
    const std::wstring sourceName = ToWide(kEventSource);
    RegisterSourceOnce(sourceName);
    const EventSourceHandle source(sourceName.c_str());
    if (!source) {
        return;
    }
    const std::wstring text = ToWide(event.text);
    const wchar_t* strings[] = {text.c_str()};
    ReportEventW(source.get(), static_cast<WORD>(event.type), 0, event.id, nullptr, 1, 0, strings, nullptr);
}

}  // namespace halvorn
