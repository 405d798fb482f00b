#include "app/windows/single_instance.h"

namespace halvorn {

namespace {

// "Global\" makes the name machine-wide rather than per logon session.
constexpr wchar_t kMutexName[] = L"Global\\5B1E94D2-7A3C-4F08-9C61-E2D07A4B8F35";

}  // namespace

SingleInstanceMutex::SingleInstanceMutex()
    : m_handle(CreateMutexW(nullptr, TRUE, kMutexName)),
      m_firstInstance(m_handle != nullptr && GetLastError() != ERROR_ALREADY_EXISTS) {}

SingleInstanceMutex::~SingleInstanceMutex() {
    if (m_handle != nullptr) {
        CloseHandle(m_handle);
    }
}

void ActivateRunningInstance(const wchar_t* title) {
    const HWND window = FindWindowW(nullptr, title);
    if (window == nullptr) {
        return;  // it runs silently, or under another logon
    }
    if (IsIconic(window)) {
        // Posted: the other process restores its window in its own time.
        PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    }
    SetForegroundWindow(window);
}

}  // namespace halvorn
