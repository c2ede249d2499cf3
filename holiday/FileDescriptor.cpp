#include "holiday/FileDescriptor.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace holiday {

FileDescriptor::~FileDescriptor() {
    if (mFd >= 0) {
        ::close(mFd);
    }
}

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : mFd(std::exchange(other.mFd, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (mFd >= 0) {
            ::close(mFd);
        }
        mFd = std::exchange(other.mFd, -1);
    }
    return *this;
}

FileDescriptor FileDescriptor::Open(const std::string& path, int flags, unsigned mode) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category());
    }
    return FileDescriptor(fd);
}

void FileDescriptor::Close() {
    if (mFd >= 0 && ::close(std::exchange(mFd, -1)) != 0) {
        throw std::system_error(errno, std::generic_category());
    }
}

std::optional<unsigned char> FileDescriptor::ListedType(const std::string& name) const {
    // The listing reads through a descriptor of its own, which closedir closes.
    FileDescriptor copy(::fcntl(mFd, F_DUPFD_CLOEXEC, 0));
    if (!copy.IsOpen()) {
        return std::nullopt;
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::fdopendir(copy.mFd), ::closedir);
    if (listing == nullptr) {
        return std::nullopt;
    }
    copy.mFd = -1;
    ::rewinddir(listing.get());
    while (const dirent* entry = ::readdir(listing.get())) {
        if (name == entry->d_name) {
            return entry->d_type;
        }
    }
    return std::nullopt;
}

} // namespace holiday
