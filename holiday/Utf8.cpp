#include "holiday/Utf8.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace holiday {

bool IsWellFormedUtf8(std::string_view bytes) noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        // Plain ASCII sixteen, then eight bytes at a time.
#if defined(__SSE2__)
        while (end - p >= 16 &&
               _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))) == 0) {
            p += 16;
        }
#endif
        while (end - p >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, p, sizeof word);
            if ((word & 0x8080808080808080ull) != 0) {
                break;
            }
            p += 8;
        }
        if (p == end) {
            break;
        }
        const unsigned char b0 = *p;
        if (b0 < 0x80) {
            ++p;
            continue;
        }
        // Lead byte: sequence length and the allowed range of the second byte.
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            length = 2;
        } else if (b0 == 0xE0) {
            length = 3;
            low = 0xA0;
        } else if ((b0 >= 0xE1 && b0 <= 0xEC) || b0 == 0xEE || b0 == 0xEF) {
            length = 3;
        } else if (b0 == 0xED) {
            length = 3;
            high = 0x9F;
        } else if (b0 == 0xF0) {
            length = 4;
            low = 0x90;
        } else if (b0 >= 0xF1 && b0 <= 0xF3) {
            length = 4;
        } else if (b0 == 0xF4) {
            length = 4;
            high = 0x8F;
        } else {
            return false;
        }
        if (end - p < length) {
            return false;
        }
        if (p[1] < low || p[1] > high) {
            return false;
        }
        for (int k = 2; k < length; ++k) {
            if (p[k] < 0x80 || p[k] > 0xBF) {
                return false;
            }
        }
        p += length;
    }
    return true;
}

} // namespace holiday
