#include "holiday/Utf8.h"

#include "holiday/VectorLoops.h"

#if MIREVO_SSE2
#include <emmintrin.h>
#endif

namespace holiday {

namespace {

// What a lead byte asks of its sequence: its length (0: the byte starts none) and the range
// of the second byte, which rules out overlong forms, surrogates and U+110000 on.
struct LeadRule {
    int Length;
    unsigned char Low;
    unsigned char High;
};

constexpr LeadRule RuleOf(unsigned char b0) noexcept {
    if (b0 < 0x80) {
        return {1, 0, 0};
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        return {2, 0x80, 0xBF};
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        return {3, static_cast<unsigned char>(b0 == 0xE0 ? 0xA0 : 0x80),
                static_cast<unsigned char>(b0 == 0xED ? 0x9F : 0xBF)};
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        return {4, static_cast<unsigned char>(b0 == 0xF0 ? 0x90 : 0x80),
                static_cast<unsigned char>(b0 == 0xF4 ? 0x8F : 0xBF)};
    }
    return {0, 0, 0};
}

// How many bytes of the sequence at p (at most available) fit its lead byte's rule.
int FittingBytes(const unsigned char* p, std::ptrdiff_t available, const LeadRule& rule) noexcept {
    int k = 1;
    for (; k < rule.Length && k < available; ++k) {
        const unsigned char low = k == 1 ? rule.Low : 0x80;
        const unsigned char high = k == 1 ? rule.High : 0xBF;
        if (p[k] < low || p[k] > high) {
            break;
        }
    }
    return k;
}

} // namespace

Utf8Check CheckUtf8(std::string_view bytes) noexcept {
    const auto* const begin = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* p = begin;
    const auto* const end = p + bytes.size();
    while (p < end) {
        // Plain ASCII sixteen bytes at a time, straight to the first byte that is not.
#if MIREVO_SSE2
        if (end - p >= 16) {
            const auto highs = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
            if (highs == 0) {
                p += 16;
                continue;
            }
            p += __builtin_ctz(highs);
        } else
#endif
            if (*p < 0x80) {
            ++p;
            continue;
        }
        // Two bytes (Latin letters with marks, Greek, Cyrillic) are the common case.
        if (*p >= 0xC2 && *p <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
            p += 2;
            continue;
        }
        const LeadRule rule = RuleOf(*p);
        const int fitting = rule.Length == 0 ? 0 : FittingBytes(p, end - p, rule);
        if (fitting < rule.Length || rule.Length == 0) {
            const bool truncated = rule.Length != 0 && fitting == end - p;
            return {static_cast<std::size_t>(p - begin), truncated};
        }
        p += rule.Length;
    }
    return {bytes.size(), false};
}

bool IsWellFormedUtf8(std::string_view bytes) noexcept {
    return CheckUtf8(bytes).WellFormedBytes == bytes.size();
}

Utf8Char DecodeUtf8Char(std::string_view text, std::size_t at) noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + at;
    const LeadRule rule = RuleOf(*p);
    if (rule.Length == 1) {
        return {1, *p};
    }
    const auto available = static_cast<std::ptrdiff_t>(text.size() - at);
    if (rule.Length == 0 || FittingBytes(p, available, rule) < rule.Length) {
        return {1, 0xFFFD};
    }
    char32_t c = *p & (0x7Fu >> rule.Length);
    for (int k = 1; k < rule.Length; ++k) {
        c = (c << 6) | (p[k] & 0x3Fu);
    }
    return {static_cast<std::size_t>(rule.Length), c};
}

} // namespace holiday
