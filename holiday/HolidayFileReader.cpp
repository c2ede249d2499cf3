#include "holiday/HolidayFileReader.h"

#include "holiday/Exception.h"
#include "holiday/FileErrors.h"
#include "holiday/FilePaths.h"
#include "holiday/HolidayFileParser.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace holiday {

namespace {

// Reads in steps small enough to be parsed while still in the cache.
constexpr std::size_t Step = std::size_t{1} << 20;

// The reason a file that is neither a regular file nor a folder is not read.
const char* NotReadableKind(FileKind kind) {
    switch (kind) {
    case FileKind::Pipe:
        return "Die Datei ist eine Pipe, keine gewöhnliche Datei";
    case FileKind::Device:
        return "Die Datei ist ein Gerät, keine gewöhnliche Datei";
    case FileKind::Socket:
        return "Die Datei ist ein Socket, keine gewöhnliche Datei";
    default:
        return "Die Datei ist keine gewöhnliche Datei";
    }
}

} // namespace

HolidayFileReader::HolidayFileReader(FileDescriptor file, std::string shownPath,
                                     bool stream) noexcept
    : mFile(std::move(file)), mPath(std::move(shownPath)), mStream(stream) {}

HolidayFileReader::HolidayFileReader(const std::string& path) : mPath(ShownPath(path)) {
    auto fail = [this](const std::string& reason) {
        throw EFOpenError(detail::OpenErrorMessage(mPath, reason));
    };
    // Not blocking: a pipe without a writer must not hold the program until it is refused.
    try {
        mFile = FileDescriptor::Open(path, O_RDONLY | O_NOCTTY | O_NONBLOCK);
    } catch (const std::system_error& e) {
        fail(detail::SystemErrorText(e.code().value()));
    }
    struct stat st {};
    if (::fstat(mFile.Get(), &st) != 0) {
        fail(detail::SystemErrorText(errno));
    }
    const FileKind kind = KindOfFile(st.st_mode);
    if (kind == FileKind::Folder) {
        fail(detail::SystemErrorText(EISDIR));
    }
    if (kind != FileKind::Regular) {
        fail(NotReadableKind(kind));
    }
    // Another process writing the file holds a write lock of either kind; file systems
    // without these locks are read unlocked.
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(mFile.Get(), F_OFD_SETLK, &lock) != 0 && (errno == EAGAIN || errno == EACCES)) {
        fail(detail::FileInUseText);
    }
    if (::flock(mFile.Get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        fail(detail::FileInUseText);
    }
}

HolidayFileReader HolidayFileReader::StandardInput() {
    const int fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        throw EFOpenError(
            detail::OpenErrorMessage(StandardInputName, detail::SystemErrorText(errno)));
    }
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    return HolidayFileReader(FileDescriptor(fd), StandardInputName, !regular);
}

ReadLosses HolidayFileReader::ReadInto(HolidayTable& table, TextEncoding encoding,
                                       WorkProgress* progress) {
    struct stat st {};
    if (::fstat(mFile.Get(), &st) != 0) {
        throw EFOpenError(detail::ReadErrorMessage(mPath, detail::SystemErrorText(errno)));
    }
    // The file goes straight into one block that the table keeps: its rows are stored as
    // those bytes.
    HolidayFileParser parser(table, mStream ? 0 : static_cast<std::size_t>(st.st_size), encoding);
    if (mStream) {
        ReadStream(parser, progress);
    } else {
        ReadRegular(parser, st.st_size, progress);
    }
    parser.Finish();
    return parser.Losses();
}

void HolidayFileReader::ReadRegular(HolidayFileParser& parser, std::int64_t size,
                                    WorkProgress* progress) {
    std::int64_t position = 0;
    while (position < size) {
        const auto wanted = static_cast<std::size_t>(
            std::min<std::int64_t>(size - position, static_cast<std::int64_t>(Step)));
        char* const room = parser.Room(wanted);
        const std::ptrdiff_t n = detail::ReadHook != nullptr
                                     ? detail::ReadHook(mFile.Get(), room, wanted, position)
                                     : ::pread(mFile.Get(), room, wanted, position);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int error = errno;
            parser.StoreUnfinishedCells();
            throw EFOpenError(detail::ReadErrorMessage(
                mPath, n == 0 ? detail::FileShrankText : detail::SystemErrorText(error)));
        }
        parser.Commit(static_cast<std::size_t>(n));
        position += n;
        AdvanceOrAbort(progress, position, size);
    }
}

void HolidayFileReader::ReadStream(HolidayFileParser& parser, WorkProgress* progress) {
    std::int64_t position = 0;
    for (;;) {
        char* const room = parser.Room(Step);
        const ::ssize_t n = ::read(mFile.Get(), room, Step);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int error = errno;
            parser.StoreUnfinishedCells();
            throw EFOpenError(detail::ReadErrorMessage(mPath, detail::SystemErrorText(error)));
        }
        if (n == 0) {
            return;
        }
        parser.Commit(static_cast<std::size_t>(n));
        position += n;
        AdvanceOrAbort(progress, position, 0);
    }
}

} // namespace holiday
