#pragma once

#include <windows.h>

namespace halvorn {

// The machine-wide marker that an instance runs. Created owned and never released: no instance
// waits on it. The handle is closed when the object goes.
class SingleInstanceMutex {
public:
    SingleInstanceMutex();
    ~SingleInstanceMutex();
    SingleInstanceMutex(const SingleInstanceMutex&) = delete;
    SingleInstanceMutex& operator=(const SingleInstanceMutex&) = delete;

    // False when another instance made the mutex first, or it could not be created.
    bool IsFirstInstance() const { return m_firstInstance; }

private:
    HANDLE m_handle;
    bool m_firstInstance;
};

// Brings the running instance's window, found by its exact title, to the foreground.
void ActivateRunningInstance(const wchar_t* title);

}  // namespace halvorn
