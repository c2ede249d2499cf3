#pragma once

#include <cstdint>

namespace holiday {

// A cell position (column, row), both counted from 0.
struct GridCoord {
    std::int32_t Col = 0;
    std::int32_t Row = 0;

    friend bool operator==(const GridCoord&, const GridCoord&) = default;
};

} // namespace holiday
