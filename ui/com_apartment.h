#pragma once

#include <objbase.h>

namespace halvorn {

// COM on the calling thread, in a single-threaded apartment, for as long as the object lives: the
// owner that started it on the thread ends it there.
class ComApartment {
public:
    ComApartment() : m_started(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        // Every successful start, also S_FALSE for a thread that had COM already, is ended once.
        if (m_started) {
            CoUninitialize();
        }
    }

private:
    bool m_started;
};

}  // namespace halvorn
