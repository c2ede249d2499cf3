#include "holiday/TabSeparatedText.h"

#include "holiday/Exception.h"
#include "holiday/HolidayTable.h"

#include <algorithm>

namespace holiday {

namespace {

[[nodiscard]] bool EndsCell(char c) noexcept {
    return c == '\t' || c == '\n' || c == '\r';
}

[[nodiscard]] bool NeedsQuotes(std::string_view text) noexcept {
    return text.find_first_of("\t\n\r\"") != std::string_view::npos;
}

void AppendQuoted(std::string& out, std::string_view text) {
    if (!NeedsQuotes(text)) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

void AppendEscaped(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        switch (const char c = text[i]) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            out += "<br>";
            break;
        case '\n':
            out += "<br>";
            break;
        default:
            out += c;
            break;
        }
    }
}

// Calls cell(text) for every cell of row within block's columns, an empty one where the row
// holds none, walking only the texts the row holds.
template <typename Cell>
void ForEachCell(const HolidayTable& table, const CellRange& block, std::int32_t row, Cell cell) {
    std::int32_t next = block.TopLeft.Col;
    std::int32_t col = 0;
    std::string_view text;
    for (auto entries = table.Cells().Entries(row);
         entries.Next(col, text) && col <= block.BottomRight.Col;) {
        if (col < next) {
            continue;
        }
        for (; next < col; ++next) {
            cell(std::string_view());
        }
        cell(text);
        next = col + 1;
    }
    for (; next <= block.BottomRight.Col; ++next) {
        cell(std::string_view());
    }
}

void CheckSize(const CellRange& block) {
    if (block.CellCount() > MaxTextCells) {
        throw EInvalidGridOperation(HolidayTable::TooLargeMessage);
    }
}

} // namespace

TabSeparatedText::TabSeparatedText(std::string_view text) {
    mTexts.reserve(text.size());
    std::size_t at = 0;
    const std::size_t size = text.size();
    bool rowOpen = false;
    auto addCell = [&](std::size_t offset) {
        if (!rowOpen) {
            mRowStarts.push_back(mCells.size());
            rowOpen = true;
        }
        mCells.push_back({offset, mTexts.size() - offset});
    };
    auto endRow = [&] {
        const std::size_t cells = mCells.size() - mRowStarts.back();
        mColCount = std::max(mColCount, static_cast<std::int32_t>(std::min<std::size_t>(
                                            cells, static_cast<std::size_t>(INT32_MAX))));
        rowOpen = false;
    };
    auto append = [&](char c) {
        if (c != '\0' && c != '\x01') {
            mTexts += c;
        }
    };
    // Once a quote ran to the end of the text unclosed, no later one closes: quotes are then
    // ordinary characters, so that no text is scanned to its end twice.
    bool unclosed = false;
    while (at < size) {
        const std::size_t offset = mTexts.size();
        bool quoted = false;
        if (text[at] == '"' && !unclosed) {
            // Quoted only when the closing quote ends the cell.
            std::size_t i = at + 1;
            std::string unquoted;
            while (i < size) {
                if (text[i] == '"') {
                    if (i + 1 < size && text[i + 1] == '"') {
                        unquoted += '"';
                        i += 2;
                        continue;
                    }
                    break;
                }
                unquoted += text[i++];
            }
            unclosed = i >= size;
            if (i < size && (i + 1 == size || EndsCell(text[i + 1]))) {
                for (const char c : unquoted) {
                    append(c);
                }
                at = i + 1;
                quoted = true;
            }
        }
        if (!quoted) {
            for (; at < size && !EndsCell(text[at]); ++at) {
                append(text[at]);
            }
        }
        addCell(offset);
        if (at >= size) {
            break;
        }
        if (text[at] == '\t') {
            ++at;
            if (at == size) {
                addCell(mTexts.size()); // a tab at the very end leaves one empty cell
            }
            continue;
        }
        // A line break: "\r\n", "\n" or "\r".
        at += (text[at] == '\r' && at + 1 < size && text[at + 1] == '\n') ? 2u : 1u;
        endRow();
    }
    if (rowOpen) {
        endRow();
    }
}

std::string_view TabSeparatedText::Cell(std::int32_t col, std::int32_t row) const noexcept {
    if (row < 0 || row >= RowCount() || col < 0) {
        return {};
    }
    const std::size_t begin = mRowStarts[static_cast<std::size_t>(row)];
    const std::size_t end = static_cast<std::size_t>(row) + 1 < mRowStarts.size()
                                ? mRowStarts[static_cast<std::size_t>(row) + 1]
                                : mCells.size();
    if (static_cast<std::size_t>(col) >= end - begin) {
        return {};
    }
    const Span& span = mCells[begin + static_cast<std::size_t>(col)];
    return std::string_view(mTexts).substr(span.Offset, span.Size);
}

std::string FormatTabSeparated(const HolidayTable& table, const CellRange& block) {
    CheckSize(block);
    std::string out;
    if (block.IsEmpty()) {
        return out;
    }
    for (std::int32_t row = block.TopLeft.Row; row <= block.BottomRight.Row; ++row) {
        bool first = true;
        ForEachCell(table, block, row, [&](std::string_view text) {
            if (!first) {
                out += '\t';
            }
            first = false;
            AppendQuoted(out, text);
        });
        out += '\n';
    }
    return out;
}

std::string FormatHtmlTable(const HolidayTable& table, const CellRange& block) {
    CheckSize(block);
    std::string out = "<!DOCTYPE html>\n<html>\n<head><meta charset=\"utf-8\"></head>\n<body>\n"
                      "<table style=\"white-space: pre-wrap\">\n";
    if (!block.IsEmpty()) {
        for (std::int32_t row = block.TopLeft.Row; row <= block.BottomRight.Row; ++row) {
            out += "<tr>";
            ForEachCell(table, block, row, [&](std::string_view text) {
                out += "<td>";
                AppendEscaped(out, text);
                out += "</td>";
            });
            out += "</tr>\n";
        }
    }
    out += "</table>\n</body>\n</html>\n";
    return out;
}

} // namespace holiday
