#include "holiday/Exception.h"
#include "holiday/FileErrors.h"
#include "holiday/HolidayFile.h"
#include "holiday/HolidayFileParser.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace holiday {

HolidayFileReader::HolidayFileReader(const std::string& path) : mPath(detail::AbsolutePath(path)) {
    auto fail = [this](const std::string& reason) {
        if (mFd >= 0) {
            ::close(mFd);
            mFd = -1;
        }
        throw EFOpenError(detail::OpenErrorMessage(mPath, reason));
    };
    mFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (mFd < 0) {
        fail(detail::SystemErrorText(errno));
    }
    struct stat st {};
    if (::fstat(mFd, &st) != 0) {
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
    if (::fcntl(mFd, F_OFD_SETLK, &lock) != 0 && (errno == EAGAIN || errno == EACCES)) {
        fail(detail::FileInUseText);
    }
}

HolidayFileReader::~HolidayFileReader() {
    if (mFd >= 0) {
        ::close(mFd);
    }
}

void HolidayFileReader::ReadInto(HolidayTable& table, TextEncoding) {
    auto fail = [this](const std::string& reason) {
        throw EFOpenError(detail::ReadErrorMessage(mPath, reason));
    };
    struct stat st {};
    if (::fstat(mFd, &st) != 0) {
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
                                     ? detail::ReadHook(mFd, block, wanted, position)
                                     : ::pread(mFd, block, wanted, position);
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

void LoadFromFile(HolidayTable& table, const std::string& path, TextEncoding encoding) {
    HolidayFileReader reader(path);
    reader.ReadInto(table, encoding);
}

void OpenHolidayFile(HolidayTable& table, const std::string& path) {
    HolidayFileReader reader(path);
    table.ResetForOpen();
    reader.ReadInto(table);
}

} // namespace holiday
