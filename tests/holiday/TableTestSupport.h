#pragma once

#include "holiday/HolidayTable.h"
#include "holiday/HolidayTableObserver.h"
#include "tests/support/TableSnapshot.h"

#include <sstream>
#include <string>
#include <vector>

namespace holiday::test {

using testsupport::Snapshot;

// Column 0 of every row, for tests that move rows.
inline std::vector<std::string> Column0(const HolidayTable& t) {
    std::vector<std::string> texts;
    for (std::int32_t r = 0; r < t.RowCount(); ++r) {
        texts.push_back(t.GetCell(0, r));
    }
    return texts;
}

// Records every notification as one line.
class RecordingObserver : public HolidayTableObserver {
public:
    std::vector<std::string> events;

    void CellsChanged(GridCoord first, GridCoord last) override { Add("Cells", first, last); }
    void ExtentChanged(GridCoord oldExtent) override { Add("Extent", oldExtent); }
    void FixedCountsChanged() override { events.emplace_back("Fixed"); }
    void CurrentCellMoved(GridCoord old, bool scroll) override {
        Add(scroll ? "Moved+scroll" : "Moved", old);
    }
    void AnchorChanged() override { events.emplace_back("Anchor"); }
    void TopLeftChanged() override { events.emplace_back("TopLeft"); }
    void ColWidthChanged(std::int32_t col) override {
        events.push_back("Width " + std::to_string(col));
    }
    void RowHeightChanged(std::int32_t row) override {
        events.push_back("Height " + std::to_string(row));
    }

private:
    static std::string Coord(GridCoord c) {
        return std::to_string(c.Col) + "," + std::to_string(c.Row);
    }
    void Add(const char* name, GridCoord a) {
        events.push_back(std::string(name) + " " + Coord(a));
    }
    void Add(const char* name, GridCoord a, GridCoord b) {
        events.push_back(std::string(name) + " " + Coord(a) + " " + Coord(b));
    }
};

} // namespace holiday::test
