#pragma once

#include "holiday/HolidayTable.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace holiday {

// The .hol format: UTF-8 cell texts, 0x00 between the cells of a row, 0x01 after each row,
// nothing else.

enum class TextEncoding { Utf8 };

// Writes the table: RowCount rows of ColCount cells, fixed rows and columns included. Throws
// EFCreateError "Der Datenstrom konnte nicht vollständig geschrieben werden" when the stream
// fails.
void SaveToStream(const HolidayTable& table, std::ostream& out, TextEncoding = TextEncoding::Utf8);
// Reads from the stream's position to the end it has now, growing the table cell by cell and
// ending with RowCount - 1. Does not reset the table first. A cell that is not well-formed
// UTF-8 reads as empty. Throws EFOpenError "Der Datenstrom konnte nicht vollständig gelesen
// werden" when the stream ends before that end or fails; what was read before stays. Throws
// EInvalidGridOperation when a count would pass its limit.
void LoadFromStream(HolidayTable& table, std::istream& in, TextEncoding = TextEncoding::Utf8);

// Saves the table to path without ever destroying an existing file there: the bytes go to a
// temporary file in the same folder, which is synced and renamed over the target. A symbolic
// link is followed and its target replaced; an existing file keeps its permission bits. While
// saving, the target holds an exclusive advisory lock (open file description lock), so a
// reader or writer of this program in another process is kept out.
// Throws EFCreateError "Datei "%s" kann nicht erstellt werden. %s" before anything is written
// when the target may not be written, is locked by another process, or the folder admits no
// new file; EFCreateError "Datei "%s" konnte nicht vollständig geschrieben werden. %s" when
// writing, syncing or renaming fails. In both cases the old file stays intact and no
// temporary file is left behind.
void SaveToFile(const HolidayTable& table, const std::string& path,
                TextEncoding = TextEncoding::Utf8);

// Saves bytes to path with the safe save of SaveToFile, which see: same links, permission
// bits, lock, errors and guarantees.
void SaveBytesToFile(std::string_view bytes, const std::string& path);

// An existing file opened for reading, holding a shared lock for its life (another program
// holding a write lock makes the open fail).
class HolidayFileReader {
public:
    // Throws EFOpenError "Datei %s kann nicht geöffnet werden. %s" when the file does not
    // exist, may not be read, is a folder, or another process holds a write lock on it.
    explicit HolidayFileReader(const std::string& path);
    ~HolidayFileReader();
    HolidayFileReader(const HolidayFileReader&) = delete;
    HolidayFileReader& operator=(const HolidayFileReader&) = delete;

    // Reads the whole file, up to the size it has when reading starts, into the table as
    // LoadFromStream does. Throws EFOpenError "Datei %s konnte nicht vollständig gelesen
    // werden. %s" on a read failure or when the file ends early; what was read before stays.
    void ReadInto(HolidayTable& table, TextEncoding = TextEncoding::Utf8);

private:
    int mFd = -1;
    std::string mPath;
};

// Opens and reads path into the table. The table is untouched when opening fails.
void LoadFromFile(HolidayTable& table, const std::string& path, TextEncoding = TextEncoding::Utf8);

namespace detail {

// The calls SaveToFile makes to write and to sync its temporary file, and the call
// HolidayFileReader makes to read a block. Null means the system's write, fsync and pread;
// tests install their own to inject failures.
using WriteFunction = std::ptrdiff_t (*)(int fd, const void* data, std::size_t size);
using SyncFunction = int (*)(int fd);
using ReadFunction = std::ptrdiff_t (*)(int fd, void* data, std::size_t size, std::int64_t offset);
inline WriteFunction WriteHook = nullptr;
inline SyncFunction SyncHook = nullptr;
inline ReadFunction ReadHook = nullptr;

} // namespace detail

// The open command's sequence: open the file (taking its lock), and only when that succeeded
// reset the table (ResetForOpen) and read. Throws EFOpenError; on an open failure the table is
// exactly as it was.
void OpenHolidayFile(HolidayTable& table, const std::string& path);

} // namespace holiday
