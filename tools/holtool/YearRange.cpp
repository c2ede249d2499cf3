#include "tools/holtool/YearRange.h"

#include "tools/holtool/ToolError.h"

#include <string>

namespace holtool {
namespace {

// The year written in text, or -1 when text is not 1 to 4 decimal digits.
std::int32_t ParseYear(std::string_view text) {
    if (text.empty() || text.size() > 4) {
        return -1;
    }
    std::int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

YearRange ParseYearRange(std::string_view text) {
    const std::string shown(text);
    const std::size_t dash = text.find('-');
    const std::string_view firstText = text.substr(0, dash);
    const std::string_view lastText =
        dash == std::string_view::npos ? firstText : text.substr(dash + 1);
    const std::int32_t first = ParseYear(firstText);
    const std::int32_t last = ParseYear(lastText);
    if (first < YearRange::Min || last < YearRange::Min) {
        throw ToolError("--years: '" + shown + "' is not a year range A-B of years 1 to 9999");
    }
    if (first > last) {
        throw ToolError("--years: the first year " + std::to_string(first) +
                        " comes after the last year " + std::to_string(last));
    }
    return YearRange{first, last};
}

} // namespace holtool
