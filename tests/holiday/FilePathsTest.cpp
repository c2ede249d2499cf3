#include "holiday/FilePaths.h"

#include "tests/support/ByteFiles.h"
#include "tests/support/TemporaryFolder.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace holiday {
namespace {

namespace fs = std::filesystem;

struct PathCase {
    const char* Path;
    const char* Folder;
    const char* Name;
};

void PrintTo(const PathCase& c, std::ostream* out) {
    *out << '"' << c.Path << '"';
}

class PathSplitTest : public testing::TestWithParam<PathCase> {};

TEST_P(PathSplitTest, FolderAndName) {
    const PathCase& c = GetParam();
    EXPECT_EQ(FolderOfFile(c.Path), c.Folder);
    EXPECT_EQ(NameOfFile(c.Path), c.Name);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathSplitTest,
    testing::Values(PathCase{"/data/de.hol", "/data", "de.hol"}, PathCase{"/de.hol", "/", "de.hol"},
                    PathCase{"de.hol", "", "de.hol"}, PathCase{"sub/de.hol", "sub", "de.hol"},
                    PathCase{"/a/b/c/de.hol", "/a/b/c", "de.hol"}, PathCase{"//x", "/", "x"},
                    PathCase{"/data//de.hol", "/data", "de.hol"}, PathCase{"/data/", "/data", ""},
                    PathCase{"/", "/", ""}, PathCase{"", "", ""},
                    PathCase{"/my data/Feiertage ä.hol", "/my data", "Feiertage ä.hol"},
                    PathCase{"C:\\Data\\de.hol", "", "C:\\Data\\de.hol"}));

// A folder of its own under the system's temporary folder, removed afterwards.
class FileExistsTest : public testing::Test {
protected:
    [[nodiscard]] std::string At(const std::string& name) const { return mFolder.At(name); }

    void MakeFile(const std::string& name, const std::string& bytes = "x\x01") const {
        testsupport::WriteBytes(At(name), bytes);
    }

    testsupport::TemporaryFolder mFolder{"mirevo-paths"};
    const fs::path& mDir = mFolder.Path();
};

TEST_F(FileExistsTest, EntriesOfEveryKind) {
    MakeFile("de.hol");
    MakeFile("empty.hol", "");
    fs::create_directory(At("folder.hol"));
    fs::create_symlink(At("de.hol"), At("link-to-file"));
    fs::create_symlink(At("folder.hol"), At("link-to-folder"));
    fs::create_symlink(At("nowhere"), At("dangling"));
    // A loop of links cannot be examined; the listing finds it as no folder.
    fs::create_symlink(At("loop"), At("loop"));

    const struct {
        std::string Path;
        bool Exists;
    } cases[] = {
        {At("de.hol"), true},
        {At("empty.hol"), true},
        {At("link-to-file"), true},
        {At("loop"), true},
        {At("folder.hol"), false},
        {At("folder.hol") + "/", false},
        {At("link-to-folder"), false},
        {At("dangling"), false},
        {At("missing.hol"), false},
        {At("missing/de.hol"), false},
        {At("de.hol") + "/x.hol", false}, // a file where a folder is expected
        {At("de.hol") + "/", false},
        {At(std::string(300, 'n')), false}, // name too long
        {At("de.hol") + std::string(1, '\0') + "x", false},
        {"", false},
        {"/", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileExists(c.Path), c.Exists) << c.Path;
    }
}

TEST_F(FileExistsTest, SocketIsAFile) {
    const std::string path = At("socket.hol");
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof(address.sun_path));
    path.copy(address.sun_path, path.size());
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    EXPECT_TRUE(FileExists(path));
    close(fd);
}

TEST_F(FileExistsTest, RelativeNamesUseTheWorkingFolder) {
    MakeFile("de.hol");
    fs::create_symlink("loop", At("loop"));
    const fs::path previous = fs::current_path();
    fs::current_path(mDir);
    const bool file = FileExists("de.hol");
    const bool loop = FileExists("loop");
    const bool missing = FileExists("missing.hol");
    fs::current_path(previous);
    EXPECT_TRUE(file);
    EXPECT_TRUE(loop);
    EXPECT_FALSE(missing);
}

} // namespace
} // namespace holiday
