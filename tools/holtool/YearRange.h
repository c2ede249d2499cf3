#pragma once

#include <cstdint>
#include <string_view>

namespace holtool {

// An inclusive span of years, 1 <= First <= Last <= 9999.
struct YearRange {
    static constexpr std::int32_t Min = 1;
    static constexpr std::int32_t Max = 9999;

    std::int32_t First = 2005;
    std::int32_t Last = 2015;

    [[nodiscard]] std::int32_t Size() const noexcept { return Last - First + 1; }
    // Whether the Easter formula gives the true Gregorian Easter in every year of the span.
    [[nodiscard]] bool EasterExact() const noexcept { return First >= 1900 && Last <= 2099; }
};

// The warning a command prints on stderr before it evaluates rules over a span of years that
// is not EasterExact.
inline constexpr const char* EasterInexactWarning =
    "holtool: warning: the Easter date is exact only for the years 1900 to 2099\n";

// Reads "A-B" or a single year "A" (decimal digits only). Throws ToolError for anything else,
// for years outside 1..9999 and for A > B.
[[nodiscard]] YearRange ParseYearRange(std::string_view text);

} // namespace holtool
