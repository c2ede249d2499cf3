#pragma once

#include "holiday/HolidayFileFormat.h"
#include "holiday/HolidayTable.h"
#include "holiday/ReadLosses.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace holiday {

class HolidayFileReader;

// Saves the table to path without ever destroying an existing file there: the bytes go to a
// temporary file in the same folder, which is synced and renamed over the target. A symbolic
// link is followed and its target replaced; an existing file keeps its permission bits. While
// saving, the target holds exclusive advisory locks (an open file description lock and a
// flock(2) lock), so a reader or writer of this program or of another that locks either way is
// kept out. A hard link to the old file keeps the old bytes. SIGINT, SIGTERM or SIGHUP during
// the save (where the program leaves them their default action) remove the temporary file
// before they end the process.
// Throws EFCreateError "Datei "%s" kann nicht erstellt werden. %s" before anything is written
// when the target may not be written, is locked by another process, is no regular file, or the
// folder admits no new file; EFCreateError "Datei "%s" konnte nicht vollständig geschrieben werden.
// %s" when writing, syncing or renaming fails. In both cases the old file stays intact and no
// temporary file is left behind. progress (may be null) hears the rows written (WriteTable);
// when it asks to stop, EAbort unwinds, likewise with the old file intact and no temporary file.
// The bytes are sent to the disk as they are written, a few MiB behind, so that the last sync
// has little left to wait for.
void SaveToFile(const HolidayTable& table, const std::string& path,
                TextEncoding = TextEncoding::Utf8, WorkProgress* progress = nullptr);

// Saves bytes to path with the safe save of SaveToFile, which see: same links, permission
// bits, lock, errors and guarantees.
void SaveBytesToFile(std::string_view bytes, const std::string& path);

// Opens and reads path into the table as HolidayFileReader does, and returns what the table
// could not take. The table is untouched when opening fails.
ReadLosses LoadFromFile(HolidayTable& table, const std::string& path,
                        TextEncoding = TextEncoding::Utf8);

// The open command's sequence: open the file (taking its lock), and only when that succeeded
// reset the table (ResetForOpen) and read; returns what the table could not take. Throws
// EFOpenError; on an open failure the table is exactly as it was.
ReadLosses OpenHolidayFile(HolidayTable& table, const std::string& path);
// The same for a file already opened: resets the table and reads reader into it. progress as
// for HolidayFileReader::ReadInto.
ReadLosses OpenHolidayFile(HolidayTable& table, HolidayFileReader& reader,
                           TextEncoding = TextEncoding::Utf8, WorkProgress* progress = nullptr);

namespace detail {

// The calls SaveToFile makes to write and to sync its temporary file. Null means the system's
// write and fsync; tests install their own to inject failures.
using WriteFunction = std::ptrdiff_t (*)(int fd, const void* data, std::size_t size);
using SyncFunction = int (*)(int fd);
inline WriteFunction WriteHook = nullptr;
inline SyncFunction SyncHook = nullptr;

} // namespace detail

} // namespace holiday
