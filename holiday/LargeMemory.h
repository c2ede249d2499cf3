#pragma once

#include <cstddef>
#include <new>

namespace holiday::detail {

// Memory for blocks of many megabytes (a file's bytes, a huge cell's text): in huge pages where
// the system offers them, which saves most of the page faults of filling such a block.
// AllocateLarge throws std::bad_alloc; FreeLarge takes what it gave (or nullptr).
[[nodiscard]] void* AllocateLarge(std::size_t size);
void FreeLarge(void* block) noexcept;

// The same for containers (a std::basic_string of a huge text).
template <typename T> struct LargeAllocator {
    using value_type = T;
    LargeAllocator() noexcept = default;
    template <typename U> explicit LargeAllocator(const LargeAllocator<U>&) noexcept {}
    [[nodiscard]] T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) {
            throw std::bad_alloc();
        }
        return static_cast<T*>(AllocateLarge(n * sizeof(T)));
    }
    void deallocate(T* block, std::size_t) noexcept { FreeLarge(block); }
    template <typename U> bool operator==(const LargeAllocator<U>&) const noexcept { return true; }
};

} // namespace holiday::detail
