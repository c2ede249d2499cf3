#include "TableTestSupport.h"
#include "holiday/Exception.h"
#include "holiday/HolidayFile.h"
#include "holiday/HolidayFileReader.h"
#include "tests/support/ByteFiles.h"
#include "tests/support/ForeignLock.h"
#include "tests/support/TemporaryFolder.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace holiday {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

using testsupport::ForeignLock;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

// Restores the hooks whatever a test did to them.
struct HookGuard {
    ~HookGuard() {
        detail::WriteHook = nullptr;
        detail::SyncHook = nullptr;
        detail::ReadHook = nullptr;
    }
};

class HolidayFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        mTable.SetCell(0, 0, "Titel");
        mTable.SetCell(1, 1, "Ostern");
    }
    [[nodiscard]] std::string Path(const std::string& name) const { return mDir + "/" + name; }
    [[nodiscard]] std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(mDir)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    [[nodiscard]] std::string Saved() const {
        std::ostringstream out;
        SaveToStream(mTable, out);
        return out.str();
    }

    testsupport::TemporaryFolder mFolder{"holiday-test"};
    const std::string mDir = mFolder.Path().string();
    HolidayTable mTable;
    HookGuard mHooks;
};

// Runs body in a child process; returns its exit status (or 100 + signal).
int InChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int status = 99;
        try {
            status = body();
        } catch (...) {
        }
        ::_exit(status);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

// Saving replaces a longer file; opening empties the table first, hidden texts included.
TEST_F(HolidayFileSystemTest, SavedFileReadsBack) {
    WriteBytes(Path("a.hol"), std::string(1000, 'x'));
    SaveToFile(mTable, Path("a.hol"));
    EXPECT_EQ(ReadBytes(Path("a.hol")), Saved());
    HolidayTable back;
    back.SetFixedCols(1);
    back.SetCell(9, 9, "hidden");
    OpenHolidayFile(back, Path("a.hol"));
    EXPECT_EQ(back.ColCount(), 6);
    EXPECT_EQ(back.RowCount(), 5);
    EXPECT_EQ(back.GetCell(1, 1), "Ostern");
    EXPECT_EQ(back.FixedCols(), 0);
    EXPECT_EQ(back.FixedRows(), 0);
    EXPECT_EQ(back.GetCell(9, 9), "");
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.hol"});
}

TEST_F(HolidayFileSystemTest, ErrorMessagesNameTheAbsolutePathAndTheReason) {
    WriteBytes(Path("plain"), "x");
    ASSERT_EQ(::mkdir(Path("folder").c_str(), 0755), 0);
    const int socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    Path("socket").copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(socketFd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
    const std::string cwd = fs::current_path().string();
    fs::current_path(mDir);
    struct Case {
        const char* name;
        std::function<void()> act;
        std::string message;
    };
    const Case cases[] = {
        {"open missing, relative", [&] { HolidayFileReader reader("missing.hol"); },
         "Datei " + mDir + "/missing.hol kann nicht geöffnet werden. No such file or directory"},
        {"open folder", [&] { LoadFromFile(mTable, Path("folder")); },
         "Datei " + mDir + "/folder kann nicht geöffnet werden. Is a directory"},
        {"open a socket", [&] { LoadFromFile(mTable, Path("socket")); },
         "Datei " + mDir + "/socket kann nicht geöffnet werden. No such device or address"},
        // Never read as an empty table: a pipe without a writer, and devices without end.
        {"open a pipe", [&] { LoadFromFile(mTable, Path("fifo")); },
         "Datei " + mDir +
             "/fifo kann nicht geöffnet werden. Die Datei ist eine Pipe, keine "
             "gewöhnliche Datei"},
        {"open a device", [&] { LoadFromFile(mTable, "/dev/zero"); },
         "Datei /dev/zero kann nicht geöffnet werden. Die Datei ist ein Gerät, keine gewöhnliche "
         "Datei"},
        {"create over a pipe", [&] { SaveToFile(mTable, Path("fifo")); },
         "Datei \"" + mDir +
             "/fifo\" kann nicht erstellt werden. Das Ziel ist keine gewöhnliche "
             "Datei"},
        {"create under a file", [&] { SaveToFile(mTable, "plain/x.hol"); },
         "Datei \"" + mDir + "/plain/x.hol\" kann nicht erstellt werden. Not a directory"},
        {"create in a missing folder", [&] { SaveToFile(mTable, Path("none/x.hol")); },
         "Datei \"" + mDir + "/none/x.hol\" kann nicht erstellt werden. No such file or directory"},
        {"create over a folder", [&] { SaveToFile(mTable, Path("folder")); },
         "Datei \"" + mDir + "/folder\" kann nicht erstellt werden. Is a directory"},
        // The path is shown normalised, as a full path reads.
        {"open through dot parts", [&] { LoadFromFile(mTable, ".//f/../x.hol"); },
         "Datei " + mDir + "/x.hol kann nicht geöffnet werden. No such file or directory"},
        {"create through dot parts", [&] { SaveToFile(mTable, "folder/./../none//x.hol"); },
         "Datei \"" + mDir + "/none/x.hol\" kann nicht erstellt werden. No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.act();
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
    fs::current_path(cwd);
    ::close(socketFd);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"fifo", "folder", "plain", "socket"}));
    EXPECT_EQ(mTable.GetCell(1, 1), "Ostern");
}

TEST_F(HolidayFileSystemTest, OpenThatFailsLeavesTheTableAsItWas) {
    mTable.SetFixedCols(1);
    const auto before = test::Snapshot(mTable);
    EXPECT_THROW(OpenHolidayFile(mTable, Path("missing.hol")), EFOpenError);
    EXPECT_EQ(test::Snapshot(mTable), before);
}

TEST_F(HolidayFileSystemTest, LocksOfOtherProcessesAreRespected) {
    const std::string path = Path("locked.hol");
    WriteBytes(path, "old\x01");
    for (const auto kind : {ForeignLock::Kind::OpenFileDescription, ForeignLock::Kind::Flock}) {
        SCOPED_TRACE(kind == ForeignLock::Kind::Flock ? "flock" : "open file description lock");
        const ForeignLock lock(path, F_WRLCK, kind);
        ASSERT_TRUE(lock.Locked());
        try {
            OpenHolidayFile(mTable, path);
            ADD_FAILURE() << "read a file another process writes";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.what(), "Datei " + path +
                                    " kann nicht geöffnet werden. Die Datei wird von einem "
                                    "anderen Prozess verwendet");
        }
        EXPECT_EQ(mTable.GetCell(1, 1), "Ostern");
        try {
            SaveToFile(mTable, path);
            ADD_FAILURE() << "wrote a file another process writes";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.what(), "Datei \"" + path +
                                    "\" kann nicht erstellt werden. Die Datei wird von einem "
                                    "anderen Prozess verwendet");
        }
    }
    for (const auto kind : {ForeignLock::Kind::OpenFileDescription, ForeignLock::Kind::Flock}) {
        const ForeignLock lock(path, F_RDLCK, kind);
        ASSERT_TRUE(lock.Locked());
        EXPECT_THROW(SaveToFile(mTable, path), EFCreateError);
        HolidayTable t;
        EXPECT_NO_THROW(OpenHolidayFile(t, path));
        EXPECT_EQ(t.GetCell(0, 0), "old");
    }
    EXPECT_EQ(ReadBytes(path), "old\x01");
    EXPECT_EQ(Entries(), std::vector<std::string>{"locked.hol"});

    // While this process reads, another one cannot take a write lock, and saving waits too.
    HolidayFileReader reader(path);
    EXPECT_EQ(InChild([&] {
                  const int fd = ::open(path.c_str(), O_RDWR);
                  struct flock lock {};
                  lock.l_type = F_WRLCK;
                  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0 ? 1 : 0;
              }),
              0);
    EXPECT_EQ(InChild([&] {
                  const int fd = ::open(path.c_str(), O_RDWR);
                  return ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 1 : 0;
              }),
              0);
    EXPECT_THROW(SaveToFile(mTable, path), EFCreateError);
}

std::size_t gWritten = 0;
std::size_t gFailAfter = 0;
int gError = 0;

std::ptrdiff_t FailingWrite(int fd, const void* data, std::size_t size) {
    if (gWritten + size > gFailAfter) {
        errno = gError;
        return -1;
    }
    gWritten += size;
    return ::write(fd, data, size);
}

std::ptrdiff_t ShortWrite(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, std::min<std::size_t>(size, 7));
}

int FailingSync(int) {
    errno = EIO;
    return -1;
}

TEST_F(HolidayFileSystemTest, FailedSaveLeavesTheOldFileAndNoTemporaryFile) {
    struct Case {
        const char* name;
        detail::WriteFunction write;
        detail::SyncFunction sync;
        std::size_t failAfter;
        int error;
        const char* reason;
    };
    const Case cases[] = {
        {"disk full part way", FailingWrite, nullptr, 1 << 18, ENOSPC, "No space left on device"},
        {"first write fails", FailingWrite, nullptr, 0, EIO, "Input/output error"},
        {"sync fails", nullptr, FailingSync, 0, 0, "Input/output error"},
    };
    // Big enough for several chunks.
    mTable.SetColCount(50);
    mTable.SetRowCount(20'000);
    mTable.SetCell(49, 19'999, "last");
    for (const bool existed : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (existed ? ", old file" : ", new file"));
            const std::string path = Path("target.hol");
            if (existed) {
                WriteBytes(path, "old bytes\x01\x00\xFF"s);
            }
            gWritten = 0;
            gFailAfter = c.failAfter;
            gError = c.error;
            detail::WriteHook = c.write;
            detail::SyncHook = c.sync;
            try {
                SaveToFile(mTable, path);
                ADD_FAILURE() << "no error";
            } catch (const EFCreateError& e) {
                EXPECT_EQ(e.what(), "Datei \"" + path +
                                        "\" konnte nicht vollständig geschrieben werden. " +
                                        c.reason);
            }
            detail::WriteHook = nullptr;
            detail::SyncHook = nullptr;
            if (existed) {
                EXPECT_EQ(ReadBytes(path), "old bytes\x01\x00\xFF"s);
                EXPECT_EQ(Entries(), std::vector<std::string>{"target.hol"});
                fs::remove(path);
            } else {
                EXPECT_TRUE(Entries().empty());
            }
        }
    }
    detail::WriteHook = ShortWrite;
    SaveToFile(mTable, Path("short.hol"));
    detail::WriteHook = nullptr;
    EXPECT_EQ(ReadBytes(Path("short.hol")), Saved());
}

int gEndingSignal = 0;

std::ptrdiff_t SignalledWrite(int fd, const void* data, std::size_t size) {
    const std::ptrdiff_t n = ::write(fd, data, std::min<std::size_t>(size, 3));
    ::raise(gEndingSignal);
    return n;
}

// A signal that ends the process part way through a save removes the temporary file; the
// old file stays.
TEST_F(HolidayFileSystemTest, SignalDuringASaveLeavesNoTemporaryFile) {
    const std::string path = Path("a.hol");
    WriteBytes(path, "old\x01");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        gEndingSignal = signal;
        EXPECT_EQ(InChild([&] {
                      detail::WriteHook = SignalledWrite;
                      SaveToFile(mTable, path);
                      return 0;
                  }),
                  100 + signal);
        EXPECT_EQ(ReadBytes(path), "old\x01");
        EXPECT_EQ(Entries(), std::vector<std::string>{"a.hol"});
    }
    // A signal the program ignores stays ignored, and the save completes.
    EXPECT_EQ(InChild([&] {
                  ::signal(SIGHUP, SIG_IGN);
                  gEndingSignal = SIGHUP;
                  detail::WriteHook = SignalledWrite;
                  SaveToFile(mTable, path);
                  return 7;
              }),
              7);
    EXPECT_EQ(ReadBytes(path), Saved());
}

TEST_F(HolidayFileSystemTest, SaveKeepsPermissionsAndWritesThroughLinks) {
    const std::string real = Path("real.hol");
    WriteBytes(real, "old\x01");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real.hol", Path("link.hol").c_str()), 0);
    ASSERT_EQ(::symlink(Path("link.hol").c_str(), Path("chain.hol").c_str()), 0);
    ASSERT_EQ(::symlink("fresh.hol", Path("dangling.hol").c_str()), 0);

    SaveToFile(mTable, Path("chain.hol"));
    EXPECT_TRUE(fs::is_symlink(Path("chain.hol")));
    EXPECT_TRUE(fs::is_symlink(Path("link.hol")));
    EXPECT_EQ(ReadBytes(real), Saved());
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // ".." after a link leaves the link's target, whatever the path looks like.
    fs::create_directories(Path("deep/sub"));
    ASSERT_EQ(::symlink("deep/sub", Path("up").c_str()), 0);
    SaveToFile(mTable, Path("up/../deeper.hol"));
    EXPECT_EQ(ReadBytes(Path("deep/deeper.hol")), Saved());
    fs::remove_all(Path("deep"));
    fs::remove(Path("up"));

    SaveToFile(mTable, Path("dangling.hol"));
    EXPECT_TRUE(fs::is_symlink(Path("dangling.hol")));
    EXPECT_EQ(ReadBytes(Path("fresh.hol")), Saved());
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ASSERT_EQ(::stat(Path("fresh.hol").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666u & ~mask);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"chain.hol", "dangling.hol", "fresh.hol",
                                                   "link.hol", "real.hol"}));
}

TEST_F(HolidayFileSystemTest, SaveNeedsAWritableFileAndAWritableFolder) {
    struct Case {
        mode_t FileMode;
        mode_t FolderMode;
        std::string Reason;
    };
    const Case cases[] = {
        {0444, 0777, "Permission denied"},
        {0666, 0555, "Permission denied. Zum Speichern muss der Ordner beschreibbar sein"},
    };
    const std::string path = Path("target.hol");
    for (const Case& c : cases) {
        fs::remove(path);
        WriteBytes(path, "old\x01");
        ASSERT_EQ(::chmod(path.c_str(), c.FileMode), 0);
        ASSERT_EQ(::chmod(mDir.c_str(), c.FolderMode), 0);
        const std::string expected =
            "Datei \"" + path + "\" kann nicht erstellt werden. " + c.Reason;
        // As root every file is writable: the save runs as an ordinary user.
        const int status = InChild([&] {
            if (::geteuid() == 0 && ::setuid(65534) != 0) {
                return 3;
            }
            try {
                SaveToFile(mTable, path);
            } catch (const EFCreateError& e) {
                return e.what() == expected ? 0 : 2;
            }
            return 1;
        });
        EXPECT_EQ(status, 0) << c.Reason;
        EXPECT_EQ(ReadBytes(path), "old\x01");
        EXPECT_EQ(Entries(), std::vector<std::string>{"target.hol"});
        ASSERT_EQ(::chmod(mDir.c_str(), 0777), 0);
    }
}

TEST_F(HolidayFileSystemTest, SavesKeepOwnershipAndRespectStickyFolders) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to hand files to other users";
    }
    struct stat st {};
    // Root replacing another user's file keeps the owner and every mode bit.
    const std::string special = Path("special.hol");
    WriteBytes(special, "old\x01");
    ASSERT_EQ(::chown(special.c_str(), 1000, 1000), 0);
    ASSERT_EQ(::chmod(special.c_str(), 06755), 0);
    SaveToFile(mTable, special);
    ASSERT_EQ(::stat(special.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 1000u);
    EXPECT_EQ(st.st_mode & 07777, 06755u);

    // A member of the file's group keeps the group when it saves someone else's file.
    ASSERT_EQ(::chmod(mDir.c_str(), 0777), 0);
    const std::string shared = Path("shared.hol");
    WriteBytes(shared, "old\x01");
    ASSERT_EQ(::chown(shared.c_str(), 1000, 2000), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 0660), 0);
    auto asMemberOf2000 = [&](const std::string& path) {
        return InChild([&] {
            const gid_t groups[] = {2000};
            if (::setgroups(1, groups) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
                return 3;
            }
            try {
                SaveToFile(mTable, path);
            } catch (const EFCreateError& e) {
                const std::string early = "\" kann nicht erstellt werden. Operation not permitted";
                return std::string(e.what()).ends_with(early) ? 2 : 4;
            }
            return 0;
        });
    };
    EXPECT_EQ(asMemberOf2000(shared), 0);
    ASSERT_EQ(::stat(shared.c_str(), &st), 0);
    EXPECT_EQ(st.st_gid, 2000u);
    EXPECT_EQ(st.st_mode & 07777, 0660u);

    // In a sticky folder only the owners may replace a file, however writable it is: the save
    // fails before anything is written.
    ASSERT_EQ(::chmod(mDir.c_str(), 01777), 0);
    const std::string sticky = Path("sticky.hol");
    WriteBytes(sticky, "old\x01");
    ASSERT_EQ(::chown(sticky.c_str(), 1000, 2000), 0);
    ASSERT_EQ(::chmod(sticky.c_str(), 0666), 0);
    const std::vector<std::string> before = Entries();
    EXPECT_EQ(asMemberOf2000(sticky), 2);
    EXPECT_EQ(ReadBytes(sticky), "old\x01");
    EXPECT_EQ(Entries(), before);
}

int gReads = 0;
int gReadMode = 0; // 0: fail with EIO, 1: end early, 2: the file grows, 3: EAGAIN for ever
std::string gGrowPath;

std::ptrdiff_t TroubledRead(int fd, void* data, std::size_t size, std::int64_t offset) {
    if (gReads++ == 0) {
        if (gReadMode == 2) {
            std::ofstream(gGrowPath, std::ios::binary | std::ios::app) << "late\x01";
        }
        // A short first read: the trouble comes part way through the file.
        return ::pread(fd, data, std::min<std::size_t>(size, 4096), offset);
    }
    if (gReadMode == 0 || gReadMode == 3) {
        errno = gReadMode == 0 ? EIO : EAGAIN;
        return -1;
    }
    if (gReadMode == 1) {
        return 0;
    }
    return ::pread(fd, data, size, offset);
}

TEST_F(HolidayFileSystemTest, ReadTroubleStopsWithAMessageAndKeepsWhatWasRead) {
    const std::string path = Path("big.hol");
    std::string bytes;
    for (int r = 0; r < 1000; ++r) {
        bytes += "row" + std::to_string(r) + "\0x\x01"s;
    }
    WriteBytes(path, bytes);
    struct Case {
        int mode;
        const char* reason;
    };
    for (const Case c :
         {Case{0, "Input/output error"}, Case{1, "Die Datei endet vor ihrer ursprünglichen Größe"},
          Case{3, "Resource temporarily unavailable"}}) {
        SCOPED_TRACE(c.reason);
        gReads = 0;
        gReadMode = c.mode;
        detail::ReadHook = TroubledRead;
        HolidayTable t;
        try {
            OpenHolidayFile(t, path);
            ADD_FAILURE() << "no error";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.what(),
                      "Datei " + path + " konnte nicht vollständig gelesen werden. " + c.reason);
        }
        detail::ReadHook = nullptr;
        EXPECT_EQ(t.GetCell(0, 1), "row1");
        const std::int32_t rowsRead = t.RowCount();
        EXPECT_GT(rowsRead, 2);
        EXPECT_LT(rowsRead, 1000);
        EXPECT_EQ(t.GetCell(0, rowsRead - 2), "row" + std::to_string(rowsRead - 2));
    }

    // Bytes added while reading are not read.
    gReads = 0;
    gReadMode = 2;
    gGrowPath = path;
    detail::ReadHook = TroubledRead;
    HolidayTable t;
    OpenHolidayFile(t, path);
    detail::ReadHook = nullptr;
    EXPECT_EQ(t.RowCount(), 1000);
    EXPECT_EQ(t.GetCell(0, 999), "row999");
}

} // namespace
} // namespace holiday
