#pragma once

#include <optional>
#include <string>

namespace holiday {

// An open file descriptor owned by one object at a time: closed when the object goes, handed
// on by moving. A default-constructed or moved-from object holds none.
class FileDescriptor {
public:
    FileDescriptor() noexcept = default;
    // Takes over fd (-1 for none).
    explicit FileDescriptor(int fd) noexcept : mFd(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    // Opens path with open(2)'s flags and mode; O_CLOEXEC is always added. Throws
    // std::system_error with the errno value when the open fails.
    [[nodiscard]] static FileDescriptor Open(const std::string& path, int flags,
                                             unsigned mode = 0666);

    [[nodiscard]] int Get() const noexcept { return mFd; }
    [[nodiscard]] bool IsOpen() const noexcept { return mFd >= 0; }

    // Closes the descriptor (nothing when none is held); it is given up even when close fails.
    // Throws std::system_error with the errno value of a failed close.
    void Close();

    // For a descriptor of a folder: the type (a DT_ value of <dirent.h>) with which the
    // folder's listing holds name, or nothing when the listing does not hold it or cannot be
    // read.
    [[nodiscard]] std::optional<unsigned char> ListedType(const std::string& name) const;

private:
    int mFd = -1;
};

} // namespace holiday
