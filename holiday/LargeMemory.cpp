#include "holiday/LargeMemory.h"

#include <algorithm>
#include <cstdlib>
#include <sys/mman.h>

namespace holiday::detail {

void* AllocateLarge(std::size_t size) {
    constexpr std::size_t HugePage = std::size_t{1} << 21;
    void* block = nullptr;
    if (size >= 2 * HugePage) {
        block = std::aligned_alloc(HugePage, (size + HugePage - 1) / HugePage * HugePage);
#if defined(MADV_HUGEPAGE)
        if (block != nullptr) {
            (void)::madvise(block, size, MADV_HUGEPAGE); // a hint; without it, small pages
        }
#endif
    } else {
        block = std::malloc(std::max<std::size_t>(size, 1));
    }
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void FreeLarge(void* block) noexcept {
    std::free(block);
}

} // namespace holiday::detail
