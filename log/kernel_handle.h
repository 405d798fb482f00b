#pragma once

#include <windows.h>

#include <utility>

namespace halvorn {

// The one owner of a handle that CloseHandle closes: a file, a token, a process. The calls that make
// them report failure either as null or as INVALID_HANDLE_VALUE, so both mean no handle here.
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : m_handle(handle) {}
    ~KernelHandle() { reset(); }
    KernelHandle(KernelHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.m_handle, nullptr));
        }
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;

    // For a call that hands out a new handle; the owner must be empty.
    HANDLE* put() { return &m_handle; }
    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }

    void reset(HANDLE handle = nullptr) {
        if (*this) {
            CloseHandle(m_handle);
        }
        m_handle = handle;
    }

private:
    HANDLE m_handle = nullptr;
};

}  // namespace halvorn
