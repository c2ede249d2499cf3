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
    HolidayFileParser parser(table);
    char block[4096];
    off_t position = 0;
    const off_t size = st.st_size;
    while (position < size) {
        const auto wanted =
            static_cast<std::size_t>(std::min<off_t>(size - position, sizeof block));
        const std::ptrdiff_t n = detail::ReadHook != nullptr
                                     ? detail::ReadHook(mFile.Get(), block, wanted, position)
                                     : ::pread(mFile.Get(), block, wanted, position);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(detail::SystemErrorText(errno));
        }
        if (n == 0) {
            fail(detail::FileShrankText);
        }
        parser.Feed(block, static_cast<std::size_t>(n));
        position += n;
    }
    parser.Finish();
}

} // namespace holiday
