#pragma once

#include "holiday/FileDescriptor.h"
#include "holiday/HolidayFileFormat.h"
#include "holiday/HolidayTable.h"
#include "holiday/ReadLosses.h"
#include "holiday/WorkProgress.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace holiday {

class HolidayFileParser;

// An existing file opened for reading, holding a shared lock for its life (another program
// holding a write lock makes the open fail), or standard input.
class HolidayFileReader {
public:
    // Throws EFOpenError "Datei %s kann nicht geöffnet werden. %s" when the file does not
    // exist, may not be read, is a folder or anything else that is no regular file (a pipe, a
    // device, a socket: such a file is not read, so that it never shows as an empty table), or
    // another process holds a write lock on it (an open file description lock, a POSIX record
    // lock or a flock(2) lock).
    explicit HolidayFileReader(const std::string& path);

    // Standard input, whatever it is (a pipe, a terminal, a redirected file), read to its end.
    // Messages name it StandardInputName.
    [[nodiscard]] static HolidayFileReader StandardInput();
    static constexpr const char* StandardInputName = "(Standardeingabe)";

    // Reads the whole file, up to the size it has when reading starts (standard input: up to
    // its end), into the table as LoadFromStream does, and returns what the table could not
    // take. Throws EFOpenError "Datei %s konnte nicht vollständig gelesen werden. %s" on a read
    // failure or when the file ends early; what was read before stays. progress (may be null)
    // hears the bytes read of the file's size after each step of 1 MiB; when it asks to stop,
    // EAbort unwinds with what was read so far in the table (the caller drops that table).
    ReadLosses ReadInto(HolidayTable& table, TextEncoding = TextEncoding::Utf8,
                        WorkProgress* progress = nullptr);

private:
    HolidayFileReader(FileDescriptor file, std::string shownPath, bool stream) noexcept;
    void ReadStream(HolidayFileParser& parser, WorkProgress* progress);
    void ReadRegular(HolidayFileParser& parser, std::int64_t size, WorkProgress* progress);

    FileDescriptor mFile;
    std::string mPath;    // as messages show it
    bool mStream = false; // read with read(2) to its end rather than by its size
};

namespace detail {

// The call HolidayFileReader makes to read a block. Null means the system's pread; tests
// install their own to inject failures.
using ReadFunction = std::ptrdiff_t (*)(int fd, void* data, std::size_t size, std::int64_t offset);
inline ReadFunction ReadHook = nullptr;

} // namespace detail

} // namespace holiday
