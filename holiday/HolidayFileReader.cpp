#include "holiday/HolidayFileReader.h"

#include "holiday/Exception.h"
#include "holiday/FileErrors.h"
#include "holiday/FilePaths.h"
#include "holiday/HolidayFileParser.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace holiday {

HolidayFileReader::HolidayFileReader(const std::string& path)
    : mPath(NormalPath(AbsolutePath(path))) {
    auto fail = [this](const std::string& reason) {
        throw EFOpenError(detail::OpenErrorMessage(mPath, reason));
    };
    try {
        mFile = FileDescriptor::Open(path, O_RDONLY | O_NOCTTY | O_NONBLOCK);
    } catch (const std::system_error& e) {
        fail(detail::SystemErrorText(e.code().value()));
    }
    struct stat st {};
    if (::fstat(mFile.Get(), &st) != 0) {
        fail(detail::SystemErrorText(errno));
    }
    if (S_ISDIR(st.st_mode)) {
        fail(detail::SystemErrorText(EISDIR));
    }
    // Another process writing the file holds a write lock; file systems without these locks
    // are read unlocked.
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(mFile.Get(), F_OFD_SETLK, &lock) != 0 && (errno == EAGAIN || errno == EACCES)) {
        fail(detail::FileInUseText);
    }
}

void HolidayFileReader::ReadInto(HolidayTable& table, TextEncoding) {
    auto fail = [this](const std::string& reason) {
        throw EFOpenError(detail::ReadErrorMessage(mPath, reason));
    };
    struct stat st {};
    if (::fstat(mFile.Get(), &st) != 0) {
        fail(detail::SystemErrorText(errno));
    }
    const off_t size = st.st_size;
    // The file goes straight into one block that the table keeps: its rows are stored as
    // those bytes. Read in steps small enough to be parsed while still in the cache.
    HolidayFileParser parser(table, static_cast<std::size_t>(size));
    constexpr off_t Step = off_t{1} << 20;
    off_t position = 0;
    while (position < size) {
        const auto wanted = static_cast<std::size_t>(std::min(size - position, Step));
        char* const room = parser.Room(wanted);
        const std::ptrdiff_t n = detail::ReadHook != nullptr
                                     ? detail::ReadHook(mFile.Get(), room, wanted, position)
                                     : ::pread(mFile.Get(), room, wanted, position);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            parser.StoreUnfinishedCells();
            fail(detail::SystemErrorText(error));
        }
        if (n == 0) {
            parser.StoreUnfinishedCells();
            fail(detail::FileShrankText);
        }
        parser.Commit(static_cast<std::size_t>(n));
        position += n;
    }
    parser.Finish();
}

} // namespace holiday
