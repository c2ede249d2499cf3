#include "holiday/FilePaths.h"

#include "holiday/FileDescriptor.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace holiday {

namespace {

constexpr char Separator = '/';

// Whether the listing of the folder holds name as an entry that is not known to be a folder.
bool ListedAsFile(const std::string& path) {
    const std::string name = NameOfFile(path);
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    const std::string folder = FolderOfFile(path);
    try {
        const FileDescriptor listing = FileDescriptor::Open(
            folder.empty() ? std::string(".") : folder, O_RDONLY | O_DIRECTORY | O_NONBLOCK);
        const auto type = listing.ListedType(name);
        return type.has_value() && *type != DT_DIR;
    } catch (const std::system_error&) {
        return false;
    }
}

// The working folder, or the empty text when it cannot be read.
std::string WorkingFolder() {
    for (std::size_t size = 256;; size *= 2) {
        auto buffer = std::make_unique<char[]>(size);
        if (::getcwd(buffer.get(), size) != nullptr) {
            return buffer.get();
        }
        if (errno != ERANGE) {
            return {};
        }
    }
}

} // namespace

std::string FolderOfFile(const std::string& path) {
    const std::size_t last = path.rfind(Separator);
    if (last == std::string::npos) {
        return {};
    }
    std::size_t end = last;
    while (end > 0 && path[end - 1] == Separator) {
        --end;
    }
    if (end == 0) {
        return std::string(1, Separator);
    }
    return path.substr(0, end);
}

std::string NameOfFile(const std::string& path) {
    const std::size_t last = path.rfind(Separator);
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    return folder.back() == Separator ? folder + name : folder + Separator + name;
}

std::string AbsolutePath(const std::string& path) {
    if (!path.empty() && path.front() == Separator) {
        return path;
    }
    const std::string cwd = WorkingFolder();
    return cwd.empty() ? path : JoinPath(cwd, path);
}

std::string ShownPath(const std::string& path) {
    return NormalPath(AbsolutePath(path));
}

FileKind KindOfFile(unsigned mode) noexcept {
    if (S_ISREG(mode)) {
        return FileKind::Regular;
    }
    if (S_ISDIR(mode)) {
        return FileKind::Folder;
    }
    if (S_ISFIFO(mode)) {
        return FileKind::Pipe;
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return FileKind::Device;
    }
    return S_ISSOCK(mode) ? FileKind::Socket : FileKind::Other;
}

std::string NormalPath(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

bool FileExists(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) {
        return false;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        return !S_ISDIR(info.st_mode);
    }
    switch (errno) {
    case ENOENT:       // no entry
    case ENOTDIR:      // a part of the folder is no folder
    case ENAMETOOLONG: // invalid name
    case EINVAL:
        return false;
    default:
        return ListedAsFile(path);
    }
}

} // namespace holiday
