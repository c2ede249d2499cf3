#pragma once

#include "holiday/HolidayTable.h"

#include <iosfwd>
#include <string>

namespace holiday {

// The .hol format: UTF-8 cell texts, 0x00 between the cells of a row, 0x01 after each row,
// nothing else.

enum class TextEncoding { Utf8 };

// Writes the table: RowCount rows of ColCount cells, fixed rows and columns included.
void SaveToStream(const HolidayTable& table, std::ostream& out, TextEncoding = TextEncoding::Utf8);
// Reads from the stream's position to the end it has now, growing the table cell by cell and
// ending with RowCount - 1. Does not reset the table first. A cell that is not well-formed
// UTF-8 reads as empty.
void LoadFromStream(HolidayTable& table, std::istream& in, TextEncoding = TextEncoding::Utf8);

// Saves the table to path without ever destroying an existing file there: the bytes go to a
// temporary file in the same folder, which is synced and renamed over the target.
// Throws EFCreateError when the file cannot be created or written; the old file stays intact.
void SaveToFile(const HolidayTable& table, const std::string& path,
                TextEncoding = TextEncoding::Utf8);

// An existing file opened for reading, holding a shared lock for its life (another program
// holding a write lock makes the open fail).
class HolidayFileReader {
public:
    // Throws EFOpenError "Datei %s kann nicht geöffnet werden. %s".
    explicit HolidayFileReader(const std::string& path);
    ~HolidayFileReader();
    HolidayFileReader(const HolidayFileReader&) = delete;
    HolidayFileReader& operator=(const HolidayFileReader&) = delete;

    // Reads the whole file into the table as LoadFromStream does. Throws EFOpenError on a read
    // failure; what was read before stays.
    void ReadInto(HolidayTable& table, TextEncoding = TextEncoding::Utf8);

private:
    int mFd = -1;
    std::string mPath;
};

// Opens and reads path into the table. The table is untouched when opening fails.
void LoadFromFile(HolidayTable& table, const std::string& path,
                  TextEncoding = TextEncoding::Utf8);

// The open command's sequence: open the file (taking its lock), and only when that succeeded
// reset the table (ResetForOpen) and read. Throws EFOpenError; on an open failure the table is
// exactly as it was.
void OpenHolidayFile(HolidayTable& table, const std::string& path);

} // namespace holiday
