#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace testsupport {

// A new, empty folder under base (the system's temporary folder unless given), removed with
// everything in it when the object goes. Throws std::runtime_error when it cannot be made.
class TemporaryFolder {
public:
    explicit TemporaryFolder(
        const std::string& prefix,
        const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
        std::string pattern = (base / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a folder like " + pattern);
        }
        mPath = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const noexcept { return mPath; }
    // The path of name inside the folder.
    [[nodiscard]] std::string At(const std::string& name) const { return (mPath / name).string(); }

private:
    std::filesystem::path mPath;
};

} // namespace testsupport
