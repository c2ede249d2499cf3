#pragma once

#include <cstdint>

namespace holiday {

// What long work (reading, writing, the report over the rules) tells its caller as it goes, and
// how the caller stops it. The work calls Advance between small steps (a few milliseconds each
// at most), so that the caller can let the user see its progress and answer its window there.
class WorkProgress {
public:
    WorkProgress() = default;
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;
    virtual ~WorkProgress() = default;

    // done of total units are finished (0 <= done <= total; total 0 when it is not known).
    // Returns false when the work is to stop: it then unwinds with holiday::EAbort, leaving
    // what its own contract says a cancel leaves.
    [[nodiscard]] virtual bool Advance(std::int64_t done, std::int64_t total) = 0;
};

// Calls progress.Advance(done, total) unless progress is null; throws holiday::EAbort (with an
// empty message, never shown) when it asks to stop.
void AdvanceOrAbort(WorkProgress* progress, std::int64_t done, std::int64_t total);

} // namespace holiday
