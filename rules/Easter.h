#pragma once

#include <cstdint>

namespace rules {

// Day and month of Easter Sunday.
struct EasterDate {
    std::uint16_t Day = 0;
    std::uint16_t Month = 0; // 3 or 4

    friend bool operator==(const EasterDate&, const EasterDate&) = default;
};

// Easter Sunday of year by the closed formula with truncating division. Exact Gregorian
// Easter for 1900 to 2099; a real date between 23 March and 25 April for 0 to 100000; other
// years give the formula's value, whatever it is. Constant time, never fails.
[[nodiscard]] EasterDate Ostern(std::int32_t year) noexcept;

} // namespace rules
