#pragma once

#include <windows.h>

#include <string>

namespace halvorn::testing {

// What a screen reader learns of a window's client area through Active Accessibility: the role
// (ROLE_SYSTEM_...) and the name; 0 and nothing when it cannot get the object. COM must be running
// on the calling thread.
struct AccessibleFacts {
    long role = 0;
    std::wstring name;
};
AccessibleFacts ReadAccessible(HWND window);

// Listens for the name changes that windows of this process announce, as a screen reader does;
// the events arrive through this thread's messages.
class NameChangeListener {
public:
    NameChangeListener();
    ~NameChangeListener();
    NameChangeListener(const NameChangeListener&) = delete;
    NameChangeListener& operator=(const NameChangeListener&) = delete;

    // Whether the client area of window has announced a new name since the listener began, after
    // taking the events that have arrived.
    bool Heard(HWND window) const;

private:
    HWINEVENTHOOK m_hook;
};

}  // namespace halvorn::testing
