#pragma once

#include <cstddef>
#include <string_view>

namespace holiday {

// UTF-8 as the Unicode standard defines it: no stray continuation byte, no truncated or
// overlong sequence, no encoded surrogate, nothing beyond U+10FFFF.

// True when bytes are well-formed UTF-8.
[[nodiscard]] bool IsWellFormedUtf8(std::string_view bytes) noexcept;

// How far bytes are well-formed: the length of the longest prefix made of whole well-formed
// sequences, and whether what follows it is the start of a well-formed sequence that the end
// of bytes cut short (so that more bytes could make it whole).
struct Utf8Check {
    std::size_t WellFormedBytes;
    bool Truncated;
};
[[nodiscard]] Utf8Check CheckUtf8(std::string_view bytes) noexcept;

// One character of UTF-8 text at offset at (< text.size()): its length in bytes (1 to 4) and
// its code point. A byte that starts no well-formed sequence is one character U+FFFD of one
// byte.
struct Utf8Char {
    std::size_t Bytes;
    char32_t CodePoint;
};
[[nodiscard]] Utf8Char DecodeUtf8Char(std::string_view text, std::size_t at) noexcept;

} // namespace holiday
