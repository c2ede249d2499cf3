#pragma once

#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

// Another process holding a lock on the file at path for the life of this object: an open
// file description lock of type (F_RDLCK or F_WRLCK), a flock lock of the same kind, or (by
// default) both, so that every kind of lock a reader or writer may ask for meets it.
class ForeignLock {
public:
    enum class Kind { Both, OpenFileDescription, Flock };

    ForeignLock(const std::string& path, short type, Kind kinds = Kind::Both) {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) {
            return;
        }
        mChild = ::fork();
        if (mChild == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            const int fd = ::open(path.c_str(), type == F_WRLCK ? O_RDWR : O_RDONLY);
            struct flock lock {};
            lock.l_type = type;
            lock.l_whence = SEEK_SET;
            const int kind = type == F_WRLCK ? LOCK_EX : LOCK_SH;
            const bool ofd = kinds == Kind::Flock || ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
            const bool flocked =
                kinds == Kind::OpenFileDescription || ::flock(fd, kind | LOCK_NB) == 0;
            const char answer = fd >= 0 && ofd && flocked ? 'y' : 'n';
            (void)!::write(ready[1], &answer, 1);
            char ignored = 0;
            (void)!::read(release[0], &ignored, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        mRelease = release[1];
        char answer = 'n';
        mLocked = mChild > 0 && ::read(ready[0], &answer, 1) == 1 && answer == 'y';
        ::close(ready[0]);
    }
    ~ForeignLock() {
        if (mRelease >= 0) {
            ::close(mRelease);
        }
        if (mChild > 0) {
            ::waitpid(mChild, nullptr, 0);
        }
    }
    ForeignLock(const ForeignLock&) = delete;
    ForeignLock& operator=(const ForeignLock&) = delete;

    // Whether the other process holds the lock.
    [[nodiscard]] bool Locked() const noexcept { return mLocked; }

private:
    pid_t mChild = -1;
    int mRelease = -1;
    bool mLocked = false;
};

} // namespace testsupport
