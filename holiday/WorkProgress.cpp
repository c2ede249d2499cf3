#include "holiday/WorkProgress.h"

#include "holiday/Exception.h"

namespace holiday {

void AdvanceOrAbort(WorkProgress* progress, std::int64_t done, std::int64_t total) {
    if (progress != nullptr && !progress->Advance(done, total)) {
        throw EAbort(std::string());
    }
}

} // namespace holiday
