#include "holiday/HolidayFile.h"

#include "holiday/Exception.h"
#include "holiday/FileErrors.h"
#include "holiday/HolidayFileParser.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <istream>
#include <memory>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace holiday {

namespace {

constexpr const char* StreamWriteFailed =
    "Der Datenstrom konnte nicht vollständig geschrieben werden";
constexpr const char* StreamReadFailed = "Der Datenstrom konnte nicht vollständig gelesen werden";
constexpr const char* NotRegularFile = "Das Ziel ist keine gewöhnliche Datei";

// Collects the bytes of the file and hands them to flush in large chunks.
template <typename FlushFunction> class ChunkedOutput {
public:
    explicit ChunkedOutput(FlushFunction flush)
        : mFlush(std::move(flush)), mBuffer(new char[Capacity]) {}

    void Put(std::string_view bytes) {
        while (!bytes.empty()) {
            const std::size_t n = std::min(bytes.size(), Capacity - mUsed);
            std::memcpy(mBuffer.get() + mUsed, bytes.data(), n);
            mUsed += n;
            bytes.remove_prefix(n);
            if (mUsed == Capacity) {
                Flush();
            }
        }
    }
    void PutByte(char byte) {
        mBuffer[mUsed++] = byte;
        if (mUsed == Capacity) {
            Flush();
        }
    }
    void PutRepeated(char byte, std::int64_t count) {
        while (count > 0) {
            const auto n = static_cast<std::size_t>(
                std::min<std::int64_t>(count, static_cast<std::int64_t>(Capacity - mUsed)));
            std::memset(mBuffer.get() + mUsed, byte, n);
            mUsed += n;
            count -= static_cast<std::int64_t>(n);
            if (mUsed == Capacity) {
                Flush();
            }
        }
    }
    void Flush() {
        if (mUsed > 0) {
            mFlush(mBuffer.get(), mUsed);
            mUsed = 0;
        }
    }

private:
    static constexpr std::size_t Capacity = 1 << 18;
    FlushFunction mFlush;
    std::unique_ptr<char[]> mBuffer;
    std::size_t mUsed = 0;
};

// RowCount rows of ColCount cells: 0x00 between two cells, 0x01 after each row.
template <typename Output> void WriteTable(const HolidayTable& table, Output& out) {
    const std::int32_t cols = table.ColCount();
    const std::int32_t rows = table.RowCount();
    const CellStore& cells = table.Cells();
    for (std::int32_t r = 0; r < rows; ++r) {
        std::int64_t next = 0; // the first column not yet written
        if (r < cells.RowEnd()) {
            std::int32_t col = 0;
            std::string_view text;
            for (auto entries = cells.Entries(r); entries.Next(col, text) && col < cols;) {
                out.PutRepeated('\x00', col - next);
                out.Put(text);
                if (col != cols - 1) {
                    out.PutByte('\x00');
                }
                next = std::int64_t{col} + 1;
            }
        }
        if (next < cols) {
            out.PutRepeated('\x00', cols - 1 - next);
        }
        out.PutByte('\x01');
    }
    out.Flush();
}

void WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const std::ptrdiff_t n = detail::WriteHook != nullptr ? detail::WriteHook(fd, data, size)
                                                              : ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::system_error(errno, std::generic_category());
        }
        if (n == 0) {
            throw std::system_error(EIO, std::generic_category());
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

[[noreturn]] void ThrowCreateError(const std::string& shownPath, const std::string& reason) {
    throw EFCreateError(detail::CreateErrorMessage(shownPath, reason));
}

// Follows symbolic links until a path that is none (or does not exist).
std::string ResolveLinks(std::string path, const std::string& shownPath) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
        for (;;) {
            const ::ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
            if (n < 0) {
                ThrowCreateError(shownPath, detail::SystemErrorText(errno));
            }
            if (static_cast<std::size_t>(n) < link.size()) {
                link.resize(static_cast<std::size_t>(n));
                break;
            }
            link.resize(link.size() * 2);
        }
        if (!link.empty() && link.front() == '/') {
            path = link;
        } else {
            path = path.substr(0, path.rfind('/') + 1) + link;
        }
    }
    ThrowCreateError(shownPath, detail::SystemErrorText(ELOOP));
}

// An open file descriptor that is closed on the way out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) noexcept : mFd(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    [[nodiscard]] int Get() const noexcept { return mFd; }
    void Reset(int fd) noexcept {
        Close();
        mFd = fd;
    }
    // The result of close (0 or -1 with errno).
    int Close() noexcept {
        int result = 0;
        if (mFd >= 0) {
            result = ::close(mFd);
            mFd = -1;
        }
        return result;
    }

private:
    int mFd;
};

// The temporary file beside the target; removed unless it was renamed over the target.
class TemporaryFile {
public:
    TemporaryFile(const std::string& target, const std::string& shownPath) {
        const std::size_t slash = target.rfind('/');
        const std::string folder = target.substr(0, slash + 1);
        // Shortened so that the temporary name stays within the file name limit.
        const std::string name = target.substr(slash + 1, 200);
        auto seed =
            static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        seed ^= static_cast<std::uint64_t>(::getpid()) << 32;
        for (int attempt = 0;; ++attempt) {
            seed = seed * 6364136223846793005ull + 1442695040888963407ull;
            char suffix[16];
            for (int k = 0; k < 8; ++k) {
                suffix[k] = "abcdefghijklmnopqrstuvwxyz012345"[(seed >> (k * 5 + 20)) & 31];
            }
            suffix[8] = '\0';
            mPath = folder + "." + name + "." + suffix + ".tmp";
            const int fd = ::open(mPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                mFd.Reset(fd);
                return;
            }
            if (errno != EEXIST || attempt >= 100) {
                ThrowCreateError(shownPath, detail::SystemErrorText(errno));
            }
        }
    }
    ~TemporaryFile() {
        mFd.Close();
        if (!mRenamed) {
            ::unlink(mPath.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    [[nodiscard]] int Fd() const noexcept { return mFd.Get(); }
    [[nodiscard]] const std::string& Path() const noexcept { return mPath; }
    int Close() noexcept { return mFd.Close(); }
    void MarkRenamed() noexcept { mRenamed = true; }

private:
    std::string mPath;
    FileDescriptor mFd;
    bool mRenamed = false;
};

void SyncFolder(const std::string& target) {
    const std::string folder = target.substr(0, target.rfind('/') + 1);
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0) {
        (void)::fsync(dir.Get()); // the rename is done; a folder that cannot sync keeps it
    }
}

} // namespace

void SaveToStream(const HolidayTable& table, std::ostream& out, TextEncoding) {
    auto flush = [&out](const char* data, std::size_t size) {
        if (!out.write(data, static_cast<std::streamsize>(size))) {
            throw EFCreateError(StreamWriteFailed);
        }
    };
    ChunkedOutput<decltype(flush)> output(flush);
    WriteTable(table, output);
}

void LoadFromStream(HolidayTable& table, std::istream& in, TextEncoding) {
    HolidayFileParser parser(table);
    char block[4096];
    std::streamoff remaining = -1;
    if (const std::streampos start = in.tellg(); start != std::streampos(-1)) {
        in.seekg(0, std::ios::end);
        const std::streampos end = in.tellg();
        in.seekg(start);
        if (end != std::streampos(-1) && in) {
            remaining = end - start;
        }
    }
    if (remaining < 0) { // a stream without a size: read to its end
        in.clear();
        while (in.read(block, sizeof block) || in.gcount() > 0) {
            parser.Feed(block, static_cast<std::size_t>(in.gcount()));
        }
        if (in.bad()) {
            throw EFOpenError(StreamReadFailed);
        }
    } else {
        while (remaining > 0) {
            in.read(block, std::min<std::streamoff>(remaining, sizeof block));
            const std::streamsize n = in.gcount();
            if (n <= 0) {
                throw EFOpenError(StreamReadFailed);
            }
            parser.Feed(block, static_cast<std::size_t>(n));
            remaining -= n;
        }
    }
    parser.Finish();
}

namespace {

// The safe save of SaveToFile: write(output) puts the file's bytes into a ChunkedOutput.
template <typename WriteFunction> void SafeSave(const std::string& path, WriteFunction write) {
    const std::string shownPath = detail::AbsolutePath(path);
    const std::string target = ResolveLinks(shownPath, shownPath);

    // An existing target must be a file this process may write and nobody else has locked.
    FileDescriptor locked;
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode)) {
            ThrowCreateError(shownPath, detail::SystemErrorText(EISDIR));
        }
        if (!S_ISREG(old.st_mode)) {
            ThrowCreateError(shownPath, NotRegularFile);
        }
        locked.Reset(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (locked.Get() < 0) {
            ThrowCreateError(shownPath, detail::SystemErrorText(errno));
        }
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        if (::fcntl(locked.Get(), F_OFD_SETLK, &lock) != 0 &&
            (errno == EAGAIN || errno == EACCES)) {
            ThrowCreateError(shownPath, detail::FileInUseText);
        }
        // In a folder with the sticky bit only the owner of the file or of the folder may
        // replace the file, however writable it is; say so before anything is written.
        struct stat folder {};
        const std::string folderPath = target.substr(0, target.rfind('/') + 1);
        const uid_t me = ::geteuid();
        if (me != 0 && ::stat(folderPath.c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) &&
            old.st_uid != me && folder.st_uid != me) {
            ThrowCreateError(shownPath, detail::SystemErrorText(EPERM));
        }
    }

    TemporaryFile temp(target, shownPath);
    auto fail = [&](int error) {
        throw EFCreateError(detail::WriteErrorMessage(shownPath, detail::SystemErrorText(error)));
    };
    if (exists) {
        // Owner first: changing it clears the set-user-ID and set-group-ID bits. Only root may
        // give the file away; anyone else still keeps its group where they belong to it.
        struct stat created {};
        if (::fstat(temp.Fd(), &created) == 0 &&
            (created.st_uid != old.st_uid || created.st_gid != old.st_gid) &&
            ::fchown(temp.Fd(), old.st_uid, old.st_gid) != 0) {
            (void)::fchown(temp.Fd(), static_cast<uid_t>(-1), old.st_gid);
        }
        if (::fchmod(temp.Fd(), old.st_mode & 07777) != 0) {
            fail(errno);
        }
    }
    try {
        auto flush = [fd = temp.Fd()](const char* data, std::size_t size) {
            WriteAll(fd, data, size);
        };
        ChunkedOutput<decltype(flush)> output(flush);
        write(output);
    } catch (const std::system_error& e) {
        fail(e.code().value());
    }
    if ((detail::SyncHook != nullptr ? detail::SyncHook(temp.Fd()) : ::fsync(temp.Fd())) != 0) {
        fail(errno);
    }
    if (temp.Close() != 0) {
        fail(errno);
    }
    if (::rename(temp.Path().c_str(), target.c_str()) != 0) {
        fail(errno);
    }
    temp.MarkRenamed();
    SyncFolder(target);
}

} // namespace

void SaveToFile(const HolidayTable& table, const std::string& path, TextEncoding) {
    SafeSave(path, [&table](auto& output) { WriteTable(table, output); });
}

void SaveBytesToFile(std::string_view bytes, const std::string& path) {
    SafeSave(path, [bytes](auto& output) {
        output.Put(bytes);
        output.Flush();
    });
}

} // namespace holiday
