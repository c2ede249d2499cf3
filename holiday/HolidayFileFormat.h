#pragma once

#include "holiday/HolidayTable.h"
#include "holiday/ReadLosses.h"
#include "holiday/WorkProgress.h"

#include <cstddef>
#include <functional>
#include <iosfwd>

namespace holiday {

// The .hol format: UTF-8 cell texts, 0x00 between the cells of a row, 0x01 after each row,
// nothing else.

// Utf8: a cell that is not well-formed UTF-8 reads as empty. Unchecked: cells read as the bytes
// they are, for a caller that decodes them itself (from a legacy encoding); writing is the same.
enum class TextEncoding { Utf8, Unchecked };

// Writes the table: RowCount rows of ColCount cells, fixed rows and columns included. Throws
// EFCreateError "Der Datenstrom konnte nicht vollständig geschrieben werden" when the stream
// fails.
void SaveToStream(const HolidayTable& table, std::ostream& out, TextEncoding = TextEncoding::Utf8);
// Reads from the stream's position to the end it has now, growing the table cell by cell and
// ending with RowCount - 1. Does not reset the table first. A cell that is not well-formed
// UTF-8 reads as empty, and bytes after the last 0x01 are not read; the result names both.
// Throws EFOpenError "Der Datenstrom konnte nicht vollständig gelesen
// werden" when the stream ends before that end or fails; what was read before stays. Throws
// EInvalidGridOperation when a count would pass its limit.
ReadLosses LoadFromStream(HolidayTable& table, std::istream& in, TextEncoding = TextEncoding::Utf8);

namespace detail {

// Receives the bytes of a table in order, in large chunks.
using ChunkSink = std::function<void(const char* data, std::size_t size)>;

// Hands the bytes of the table, as SaveToStream writes them, to sink, in chunks of at most
// MaxChunk bytes. progress (may be null) hears the rows written of RowCount between chunks and
// every few thousand rows; when it asks to stop, EAbort unwinds. Throws what sink throws.
void WriteTable(const HolidayTable& table, const ChunkSink& sink, WorkProgress* progress = nullptr);
inline constexpr std::size_t MaxChunk = std::size_t{1} << 20;

} // namespace detail

} // namespace holiday
