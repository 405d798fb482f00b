#pragma once

namespace halvorn::testing {

// Counts the GDI objects that this program creates and deletes, by routing its imports of the
// creating and deleting functions through counters; Wine does not report a process's GDI objects.
class GdiObjectCount {
public:
    GdiObjectCount();
    ~GdiObjectCount();
    GdiObjectCount(const GdiObjectCount&) = delete;
    GdiObjectCount& operator=(const GdiObjectCount&) = delete;

    // Objects created since the count began.
    long Created() const;
    // Objects created and not yet deleted since the count began; negative when older ones went.
    long Held() const;
};

}  // namespace halvorn::testing
