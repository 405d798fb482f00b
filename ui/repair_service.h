#pragma once

#include <string>

#include "engine/options/run_options.h"
#include "engine/repair/repair_counts.h"

namespace halvorn {

// How the clean page runs the repair: the program runs it against the system registry on a
// thread of its own; tests put their own in.
struct RepairService {
    // Performs one repair run with the options that start-up read from the program's argument
    // string, which the run keeps.
    RepairCounts (*run)(const RunOptions& options, const std::u16string& arguments);
    // Starts entry(argument) on a new detached thread; false when no thread could be started.
    bool (*startThread)(unsigned(__stdcall* entry)(void*), void* argument);
};

// Starts a thread through the C runtime, which sets up its per-thread state, and lets it go.
bool StartDetachedThread(unsigned(__stdcall* entry)(void*), void* argument);

}  // namespace halvorn
