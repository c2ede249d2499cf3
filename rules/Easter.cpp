#include "rules/Easter.h"

namespace rules {

EasterDate Ostern(std::int32_t year) noexcept {
    // 64 bits keep year + year / 4 exact for every 32-bit year; C++ division truncates toward
    // zero and the remainder takes the dividend's sign, which the formula relies on below 13.
    const std::int64_t y = year;
    const std::int64_t g = y % 19;
    std::int64_t a = (204 - 11 * g) % 30;
    if (a == 28 || a == 29) {
        --a;
    }
    const std::int64_t w = (y + y / 4 + a - 13) % 7;
    const std::int64_t d = a + 28 - w;

    EasterDate result;
    result.Day = static_cast<std::uint16_t>(d);
    result.Month = 3;
    if (result.Day > 31) {
        result.Day = static_cast<std::uint16_t>(result.Day - 31);
        result.Month = 4;
    }
    return result;
}

} // namespace rules
