#pragma once

namespace holiday::detail {

// The bits set in a mask of sixteen bits, without relying on a POPCNT instruction (x86-64's
// baseline has none, and the library call costs more than this).
[[nodiscard]] inline int CountBits16(unsigned mask) noexcept {
    mask -= (mask >> 1) & 0x5555u;
    mask = (mask & 0x3333u) + ((mask >> 2) & 0x3333u);
    mask = (mask + (mask >> 4)) & 0x0F0Fu;
    return static_cast<int>((mask + (mask >> 8)) & 0x1Fu);
}

} // namespace holiday::detail
