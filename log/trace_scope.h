#pragma once

#include "log/repair_log.h"

namespace halvorn {

// Placed at the start of the repair run and of every level of the key walk. The first scope of
// the log writes its header, so the header stands just before the first line of the first run.
class TraceScope {
public:
    explicit TraceScope(RepairLog& log) {
        if (log.m_lineSequence == 0) {
            log.WriteHeader();
            // Raised even when the header was lost: it is never written later.
            ++log.m_lineSequence;
        }
    }
    TraceScope(const TraceScope&) = delete;
    TraceScope& operator=(const TraceScope&) = delete;
};

}  // namespace halvorn
