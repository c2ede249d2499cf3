#include "holiday/HolidayFile.h"

#include "holiday/Exception.h"
#include "holiday/FileDescriptor.h"
#include "holiday/FileErrors.h"
#include "holiday/FilePaths.h"
#include "holiday/HolidayFileReader.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <iterator>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace holiday {

namespace {

constexpr const char* NotRegularFile = "Das Ziel ist keine gewöhnliche Datei";

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

// Before a large write, the room for it: the file system allocates it in one go rather than
// block by block as the bytes arrive, and a full disk shows before anything is written. Where
// the file system cannot, the write goes on without it.
void ReserveRoom(int fd, std::int64_t offset, std::size_t size) {
#if defined(__linux__)
    constexpr std::size_t LargeWrite = std::size_t{1} << 20;
    if (size >= LargeWrite &&
        ::fallocate(fd, 0, static_cast<off_t>(offset), static_cast<off_t>(size)) != 0 &&
        (errno == ENOSPC || errno == EDQUOT)) {
        throw std::system_error(errno, std::generic_category());
    }
#else
    (void)fd;
    (void)offset;
    (void)size;
#endif
}

[[noreturn]] void ThrowCreateError(const std::string& shownPath, const std::string& reason) {
    throw EFCreateError(detail::CreateErrorMessage(shownPath, reason));
}

// The folder that holds path, for opening.
std::string FolderToOpen(const std::string& path) {
    const std::string folder = FolderOfFile(path);
    return folder.empty() ? std::string(".") : folder;
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
        path = !link.empty() && link.front() == '/' ? link : JoinPath(FolderOfFile(path), link);
    }
    ThrowCreateError(shownPath, detail::SystemErrorText(ELOOP));
}

// The signals that end a process by default and that a user or a session sends (Ctrl+C, kill,
// a closed terminal): while a temporary file exists, they remove it before the process ends.
constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t EndingSignalCount = std::size(EndingSignals);

// The temporary file of the save in progress (one at a time), for the handlers.
const char* volatile gTemporaryPath = nullptr;
bool gHandled[EndingSignalCount] = {};

extern "C" void RemoveTemporaryAndEnd(int signal) {
    if (const char* path = gTemporaryPath) {
        ::unlink(path);
    }
    struct sigaction original {};
    original.sa_handler = SIG_DFL;
    ::sigaction(signal, &original, nullptr);
    ::raise(signal); // delivered, and ends the process, when the handler returns
}

sigset_t EndingSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int s : EndingSignals) {
        sigaddset(&set, s);
    }
    return set;
}

// While it lives, the ending signals are held back; they arrive when it goes.
class HeldSignals {
public:
    HeldSignals() noexcept {
        const sigset_t set = EndingSignalSet();
        ::pthread_sigmask(SIG_BLOCK, &set, &mPrevious);
    }
    ~HeldSignals() { ::pthread_sigmask(SIG_SETMASK, &mPrevious, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

private:
    sigset_t mPrevious{};
};

// Makes the ending signals whose disposition is the default one (a handler or SIG_IGN of the
// program stays as it is) remove path before they end the process. Call with the signals held.
void ArmRemovalOnSignal(const char* path) noexcept {
    if (gTemporaryPath != nullptr) {
        return; // a save within a save does not happen; the outer one keeps its handlers
    }
    gTemporaryPath = path;
    for (std::size_t i = 0; i < EndingSignalCount; ++i) {
        struct sigaction current {};
        if (::sigaction(EndingSignals[i], nullptr, &current) != 0 ||
            (current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) {
            continue;
        }
        struct sigaction removal {};
        removal.sa_handler = RemoveTemporaryAndEnd;
        removal.sa_mask = EndingSignalSet();
        gHandled[i] = ::sigaction(EndingSignals[i], &removal, nullptr) == 0;
    }
}

void DisarmRemovalOnSignal(const char* path) noexcept {
    if (gTemporaryPath != path) {
        return;
    }
    const HeldSignals held;
    for (std::size_t i = 0; i < EndingSignalCount; ++i) {
        if (gHandled[i]) {
            struct sigaction original {};
            original.sa_handler = SIG_DFL;
            ::sigaction(EndingSignals[i], &original, nullptr);
            gHandled[i] = false;
        }
    }
    gTemporaryPath = nullptr;
}

// The temporary file beside the target; removed unless it was renamed over the target, also
// when an ending signal stops the process while it exists.
class TemporaryFile {
public:
    TemporaryFile(const std::string& target, const std::string& shownPath) {
        const std::string folder = FolderOfFile(target);
        // Shortened so that the temporary name stays within the file name limit.
        const std::string name = NameOfFile(target).substr(0, 200);
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
            mPath = JoinPath(folder, "." + name + "." + suffix + ".tmp");
            try {
                const HeldSignals held;
                mFile = FileDescriptor::Open(mPath, O_WRONLY | O_CREAT | O_EXCL, 0666);
                ArmRemovalOnSignal(mPath.c_str());
                return;
            } catch (const std::system_error& e) {
                const int error = e.code().value();
                if (error == EACCES) {
                    ThrowCreateError(shownPath, detail::SystemErrorText(error) + ". " +
                                                    detail::FolderNotWritableText);
                }
                if (error != EEXIST || attempt >= 100) {
                    ThrowCreateError(shownPath, detail::SystemErrorText(error));
                }
            }
        }
    }
    ~TemporaryFile() {
        mFile = FileDescriptor();
        if (!mRenamed) {
            ::unlink(mPath.c_str());
        }
        DisarmRemovalOnSignal(mPath.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    [[nodiscard]] int Fd() const noexcept { return mFile.Get(); }
    [[nodiscard]] const std::string& Path() const noexcept { return mPath; }
    // Throws std::system_error when close fails.
    void Close() { mFile.Close(); }
    void MarkRenamed() noexcept {
        mRenamed = true;
        DisarmRemovalOnSignal(mPath.c_str());
    }

private:
    std::string mPath;
    FileDescriptor mFile;
    bool mRenamed = false;
};

void SyncFolder(const std::string& target) {
    try {
        const FileDescriptor folder =
            FileDescriptor::Open(FolderToOpen(target), O_RDONLY | O_DIRECTORY);
        (void)::fsync(folder.Get()); // the rename is done; a folder that cannot sync keeps it
    } catch (const std::system_error&) {
    }
}

// The safe save of SaveToFile: write(sink) hands the file's bytes to sink.
// Sends the bytes written to fd to the disk in steps of SyncStep: each step is started when it
// is complete and waited for one step later, so that dirty pages never pile up and no single
// wait (this one, or the sync at the end) takes long.
class StreamingSync {
public:
    explicit StreamingSync(int fd) noexcept : mFd(fd) {}
    void Written(std::int64_t end) noexcept {
#if defined(__linux__)
        while (end - mStarted >= SyncStep) {
            (void)::sync_file_range(mFd, mStarted, SyncStep, SYNC_FILE_RANGE_WRITE);
            if (mStarted >= SyncStep) {
                (void)::sync_file_range(mFd, mStarted - SyncStep, SyncStep,
                                        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                            SYNC_FILE_RANGE_WAIT_AFTER);
            }
            mStarted += SyncStep;
        }
#else
        (void)end;
#endif
    }

private:
    static constexpr std::int64_t SyncStep = std::int64_t{2} << 20;
    int mFd;
    std::int64_t mStarted = 0; // bytes before this offset were sent
};

void SafeSave(const std::string& path, const std::function<void(const detail::ChunkSink&)>& write) {
    const std::string absolute = AbsolutePath(path);
    const std::string shownPath = NormalPath(absolute);
    const std::string target = ResolveLinks(absolute, shownPath);

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
        try {
            locked = FileDescriptor::Open(target, O_WRONLY | O_NOCTTY | O_NONBLOCK);
        } catch (const std::system_error& e) {
            ThrowCreateError(shownPath, detail::SystemErrorText(e.code().value()));
        }
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        if (::fcntl(locked.Get(), F_OFD_SETLK, &lock) != 0 &&
            (errno == EAGAIN || errno == EACCES)) {
            ThrowCreateError(shownPath, detail::FileInUseText);
        }
        // Programs that lock with flock(2) are kept out as well.
        if (::flock(locked.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            ThrowCreateError(shownPath, detail::FileInUseText);
        }
        // In a folder with the sticky bit only the owner of the file or of the folder may
        // replace the file, however writable it is; say so before anything is written.
        struct stat folder {};
        const std::string folderPath = FolderToOpen(target);
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
            ::fchown(temp.Fd(), old.st_uid, old.st_gid) != 0 &&
            ::fchown(temp.Fd(), static_cast<uid_t>(-1), old.st_gid) != 0) {
            // Not of the file's group either: the new file keeps the group it was made with.
        }
        if (::fchmod(temp.Fd(), old.st_mode & 07777) != 0) {
            fail(errno);
        }
    }
    try {
        std::int64_t written = 0;
        StreamingSync sync(temp.Fd());
        write([fd = temp.Fd(), &written, &sync](const char* data, std::size_t size) {
            ReserveRoom(fd, written, size);
            WriteAll(fd, data, size);
            written += static_cast<std::int64_t>(size);
            sync.Written(written);
        });
    } catch (const std::system_error& e) {
        fail(e.code().value());
    }
    if ((detail::SyncHook != nullptr ? detail::SyncHook(temp.Fd()) : ::fsync(temp.Fd())) != 0) {
        fail(errno);
    }
    try {
        temp.Close();
    } catch (const std::system_error& e) {
        fail(e.code().value());
    }
    if (::rename(temp.Path().c_str(), target.c_str()) != 0) {
        fail(errno);
    }
    temp.MarkRenamed();
    SyncFolder(target);
}

} // namespace

void SaveToFile(const HolidayTable& table, const std::string& path, TextEncoding,
                WorkProgress* progress) {
    SafeSave(path, [&table, progress](const detail::ChunkSink& sink) {
        detail::WriteTable(table, sink, progress);
    });
}

void SaveBytesToFile(std::string_view bytes, const std::string& path) {
    SafeSave(path, [bytes](const detail::ChunkSink& sink) { sink(bytes.data(), bytes.size()); });
}

ReadLosses LoadFromFile(HolidayTable& table, const std::string& path, TextEncoding encoding) {
    HolidayFileReader reader(path);
    return reader.ReadInto(table, encoding);
}

ReadLosses OpenHolidayFile(HolidayTable& table, const std::string& path) {
    HolidayFileReader reader(path);
    return OpenHolidayFile(table, reader);
}

ReadLosses OpenHolidayFile(HolidayTable& table, HolidayFileReader& reader, TextEncoding encoding,
                           WorkProgress* progress) {
    table.ResetForOpen();
    return reader.ReadInto(table, encoding, progress);
}

} // namespace holiday
