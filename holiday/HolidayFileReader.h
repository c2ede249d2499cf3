#pragma once

#include "holiday/FileDescriptor.h"
#include "holiday/HolidayFileFormat.h"
#include "holiday/HolidayTable.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace holiday {

// An existing file opened for reading, holding a shared lock for its life (another program
// holding a write lock makes the open fail).
class HolidayFileReader {
public:
    // Throws EFOpenError "Datei %s kann nicht geöffnet werden. %s" when the file does not
    // exist, may not be read, is a folder, or another process holds a write lock on it.
    explicit HolidayFileReader(const std::string& path);

    // Reads the whole file, up to the size it has when reading starts, into the table as
    // LoadFromStream does. Throws EFOpenError "Datei %s konnte nicht vollständig gelesen
    // werden. %s" on a read failure or when the file ends early; what was read before stays.
    void ReadInto(HolidayTable& table, TextEncoding = TextEncoding::Utf8);

private:
    FileDescriptor mFile;
    std::string mPath; // as messages show it
};

namespace detail {

// The call HolidayFileReader makes to read a block. Null means the system's pread; tests
// install their own to inject failures.
using ReadFunction = std::ptrdiff_t (*)(int fd, void* data, std::size_t size, std::int64_t offset);
inline ReadFunction ReadHook = nullptr;

} // namespace detail

} // namespace holiday
