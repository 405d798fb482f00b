#pragma once

#include "app/run_event.h"

namespace halvorn {

// Writes event to this computer's Application log under kEventSource, registered on the first run
// that may. Nothing on Windows PE, whose log lives only as long as its RAM disk. An event that
// cannot be written is dropped; only a want of memory throws.
void WriteRunEvent(const RunEvent& event);

}  // namespace halvorn
