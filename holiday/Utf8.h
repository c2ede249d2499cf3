#pragma once

#include <string_view>

namespace holiday {

// True when bytes are well-formed UTF-8 as the Unicode standard defines it: no stray
// continuation byte, no truncated or overlong sequence, no encoded surrogate, nothing beyond
// U+10FFFF.
[[nodiscard]] bool IsWellFormedUtf8(std::string_view bytes) noexcept;

} // namespace holiday
