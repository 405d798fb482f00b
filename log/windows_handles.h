#pragma once

#include <windows.h>

#include <utility>

// One owner per kind of Windows handle, each with its own cleanup call and its own empty values,
// as ui/gdi_handles.h has them for GDI.
namespace halvorn {

template <typename Handle>
bool IsSet(Handle handle) {
    return handle != nullptr;
}
// The calls that open files, tokens and searches report failure as null or as INVALID_HANDLE_VALUE.
inline bool IsOpen(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

// The one owner of a handle: Close when it goes, unless isValid says that there is none.
template <typename Handle, auto close, auto isValid>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : m_handle(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, Handle{})) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.m_handle, Handle{}));
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    // For a call that hands out a new handle; the owner must be empty.
    Handle* put() { return &m_handle; }
    Handle get() const { return m_handle; }
    explicit operator bool() const { return isValid(m_handle); }

    void reset(Handle handle = Handle{}) {
        if (isValid(m_handle)) {
            close(m_handle);
        }
        m_handle = handle;
    }

private:
    Handle m_handle{};
};

using KernelHandle = UniqueHandle<HANDLE, CloseHandle, IsOpen>;                  // files, tokens, processes, pipes
using RegistryHandle = UniqueHandle<HKEY, RegCloseKey, IsSet<HKEY>>;             // RegOpenKeyExW, RegCreateKeyExW
using FindHandle = UniqueHandle<HANDLE, FindClose, IsOpen>;                      // FindFirstFileExW
using LocalMemory = UniqueHandle<HLOCAL, LocalFree, IsSet<HLOCAL>>;              // what the security calls allocate
using EventSourceHandle = UniqueHandle<HANDLE, DeregisterEventSource, IsSet<HANDLE>>;  // RegisterEventSourceW

}  // namespace halvorn
