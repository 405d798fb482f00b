#pragma once

#include <windows.h>

namespace halvorn::testing {

// Polls condition until it holds or timeoutMs have passed; whether it held.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 10000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > deadline) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

}  // namespace halvorn::testing
