#pragma once

#include <windows.h>

#include <utility>

namespace halvorn {

// The one owner of a kernel handle (a token, a process): closes it when it goes.
class KernelHandle {
public:
    KernelHandle() = default;
    ~KernelHandle() { Close(); }
    KernelHandle(KernelHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) {
            Close();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;

    // For a call that hands out a new handle; the owner must be empty.
    HANDLE* put() { return &m_handle; }
    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    void Close() {
        if (m_handle != nullptr) {
            CloseHandle(m_handle);
        }
    }

    HANDLE m_handle = nullptr;
};

}  // namespace halvorn
