#include "ui/repair_service.h"

#include <windows.h>
#include <process.h>

namespace halvorn {

bool StartDetachedThread(unsigned(__stdcall* entry)(void*), void* argument) {
    const uintptr_t thread = _beginthreadex(nullptr, 0, entry, argument, 0, nullptr);
    if (thread == 0) {
        return false;
    }
    // Nobody waits for the thread: it ends by itself after its one message.
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}

}  // namespace halvorn
