#pragma once

#include "holiday/HolidayTable.h"

#include <algorithm>
#include <string>
#include <vector>

namespace testsupport {

// Everything visible about a table, for "unchanged" checks; the texts cover at least the first
// 12 x 12 cells, so that hidden cells beyond the extent count too.
struct TableState {
    std::int32_t Cols = 0, Rows = 0, FixedCols = 0, FixedRows = 0;
    holiday::GridCoord Current, Anchor, TopLeft;
    std::vector<std::string> Texts; // row by row
    std::vector<std::int32_t> Widths;

    friend bool operator==(const TableState&, const TableState&) = default;
};

inline TableState Snapshot(const holiday::HolidayTable& t) {
    TableState s{t.ColCount(),
                 t.RowCount(),
                 t.FixedCols(),
                 t.FixedRows(),
                 t.CurrentCell(),
                 t.Anchor(),
                 t.TopLeft(),
                 {},
                 {}};
    for (std::int32_t r = 0; r < std::max(t.RowCount(), 12); ++r) {
        for (std::int32_t c = 0; c < std::max(t.ColCount(), 12); ++c) {
            s.Texts.push_back(t.GetCell(c, r));
        }
    }
    for (std::int32_t c = 0; c < t.ColCount(); ++c) {
        s.Widths.push_back(t.ColWidth(c));
    }
    return s;
}

} // namespace testsupport
