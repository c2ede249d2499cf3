#include "app/FilePaths.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

constexpr char Separator = '/';

// Closes the listing on every way out.
class DirectoryListing {
public:
    explicit DirectoryListing(const std::string& folder) : mDir(opendir(folder.c_str())) {}
    ~DirectoryListing() {
        if (mDir != nullptr) {
            closedir(mDir);
        }
    }
    DirectoryListing(const DirectoryListing&) = delete;
    DirectoryListing& operator=(const DirectoryListing&) = delete;

    [[nodiscard]] DIR* Get() const noexcept { return mDir; }

private:
    DIR* mDir;
};

// Whether the listing of the folder holds name as an entry that is not known to be a folder.
bool ListedAsFile(const std::string& path) {
    const std::string name = NameOfFile(path);
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    const std::string folder = FolderOfFile(path);
    const DirectoryListing listing(folder.empty() ? std::string(".") : folder);
    if (listing.Get() == nullptr) {
        return false;
    }
    while (const dirent* entry = readdir(listing.Get())) {
        if (name == entry->d_name) {
            return entry->d_type != DT_DIR;
        }
    }
    return false;
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

bool FileExists(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) {
        return false;
    }
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
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
