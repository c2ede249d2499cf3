#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace holiday {

// The sparse map from a cell position (column >= 0, row >= 0) to its UTF-8 text. A position
// without an entry reads as the empty text; storing the empty text removes the entry. Column
// and row indexes up to at least 1,048,575 are accepted.
//
// Compact: the texts of a row are packed into one buffer, so a cell costs a few bytes beyond
// its text. Appending at the end of a row (the reader's order) is amortised O(1).
class CellStore {
public:
    [[nodiscard]] std::string Get(std::int32_t col, std::int32_t row) const;
    void Set(std::int32_t col, std::int32_t row, std::string_view text);
    void ClearAll() noexcept;
    // (Representation and any further members are the implementation's.)

private:
    struct Row;
    std::vector<Row> mRows;
};

} // namespace holiday
