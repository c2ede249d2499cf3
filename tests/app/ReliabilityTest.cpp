#include "FormTestSupport.h"
#include "RecordingMessageBox.h"
#include "app/ErrorDisplay.h"
#include "app/FileCommands.h"
#include "app/HolidayFileDialog.h"
#include "holiday/HolidayFile.h"
#include "holiday/HolidayTable.h"
#include "tests/support/ByteFiles.h"
#include "tests/support/TemporaryFolder.h"

#include <QSettings>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace app;

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Cells = std::map<std::pair<std::int32_t, std::int32_t>, std::string>;

using testsupport::ReadBytes;
using testsupport::WriteBytes;

// A fresh folder, memory-backed where the system offers one (saves sync every file).
struct ScratchFolder : testsupport::TemporaryFolder {
    ScratchFolder() : TemporaryFolder("mirevo-rel", MemoryBacked()) {}
    static fs::path MemoryBacked() {
        std::error_code error;
        return fs::is_directory("/dev/shm", error) ? "/dev/shm" : fs::temp_directory_path();
    }
};

// Well-formed UTF-8 as the Unicode standard defines it: no overlong forms, no surrogates,
// nothing above U+10FFFF.
bool IsWellFormedUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i++]);
        const std::size_t more = b < 0x80   ? 0
                                 : b < 0xC2 ? 9
                                 : b < 0xE0 ? 1
                                 : b < 0xF0 ? 2
                                 : b < 0xF5 ? 3
                                            : 9;
        if (more == 9 || more > text.size() - i) {
            return false;
        }
        // The second byte's range rules out the overlong forms, surrogates and U+110000 on.
        const unsigned low = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
        const unsigned high = b == 0xED ? 0x9F : b == 0xF4 ? 0x8F : 0xBF;
        for (std::size_t k = 0; k < more; ++k, ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c < (k == 0 ? low : 0x80u) || c > (k == 0 ? high : 0xBFu)) {
                return false;
            }
        }
    }
    return true;
}

// What a file read after the open reset must leave: the counts and every stored text (hidden
// ones included), worked out from the format's rules alone.
struct Expected {
    std::int32_t Cols = 1;
    std::int32_t Rows = 1;
    Cells Texts;
    int IllFormed = 0;
    int MultiByte = 0;
};

bool IsAscii(char ch) {
    return static_cast<unsigned char>(ch) < 0x80;
}

Expected ReadReference(const std::string& bytes) {
    Expected e;
    std::int32_t i = 0;
    std::int32_t j = 1;
    std::string pending;
    auto commit = [&] {
        const bool ok = IsWellFormedUtf8(pending);
        e.IllFormed += ok ? 0 : 1;
        e.MultiByte += ok && !std::all_of(pending.begin(), pending.end(), IsAscii) ? 1 : 0;
        if (ok && !pending.empty()) {
            e.Texts[{i - 1, j - 1}] = pending;
        } else {
            e.Texts.erase({i - 1, j - 1});
        }
        pending.clear();
    };
    for (const char ch : bytes) {
        if (ch == '\0' || ch == '\1') {
            e.Cols = std::max(e.Cols, ++i);
            e.Rows = std::max(e.Rows, j);
            commit();
            if (ch == '\1') {
                e.Rows = std::max(e.Rows, ++j);
                i = 0;
            }
        } else {
            pending += ch;
        }
    }
    e.Rows = std::max(1, e.Rows - 1);
    return e;
}

Cells StoredTexts(const holiday::HolidayTable& table) {
    Cells texts;
    for (std::int64_t row = 0; row < table.Cells().RowEnd(); ++row) {
        auto entries = table.Cells().Entries(static_cast<std::int32_t>(row));
        std::int32_t col = 0;
        std::string_view text;
        while (entries.Next(col, text)) {
            texts[{col, static_cast<std::int32_t>(row)}] = std::string(text);
        }
    }
    return texts;
}

// The bytes a save must produce for what the grid shows, from GetCell alone.
std::string EncodeGrid(const holiday::HolidayTable& table) {
    std::string bytes;
    for (std::int32_t r = 0; r < table.RowCount(); ++r) {
        for (std::int32_t c = 0; c < table.ColCount(); ++c) {
            bytes += table.GetCell(c, r);
            bytes += c + 1 < table.ColCount() ? '\0' : '\1';
        }
    }
    return bytes;
}

// The file dialogs that the commands build store their state in the user's Qt settings, synced
// each time a dialog closes; for these tests they go to a throw-away, memory-backed folder.
class ThrowAwayQtSettings : public testing::Environment {
public:
    void SetUp() override {
        mFolder = std::make_unique<ScratchFolder>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(mFolder->Path().string()));
    }
    void TearDown() override { mFolder.reset(); }

private:
    std::unique_ptr<ScratchFolder> mFolder;
};

[[maybe_unused]] testing::Environment* const QtSettings =
    testing::AddGlobalTestEnvironment(new ThrowAwayQtSettings);

// A file of random bytes, weighted towards the delimiters and towards UTF-8 sequences, both
// well-formed and not.
std::string RandomFile(std::mt19937& rng, std::size_t length) {
    static const std::array<std::string, 10> Broken = {
        "\xC3",     "\x80",         "\xC0\xAF",         "\xE0\x80\xAF", "\xED\xA0\x80",
        "\xE2\x82", "\xF4\x90\x80", "\xF4\x90\x80\x80", "\xFF",         "\xEF\xBB\xBF"};
    auto uniform = [&rng](std::uint32_t lo, std::uint32_t hi) {
        return std::uniform_int_distribution<std::uint32_t>(lo, hi)(rng);
    };
    const std::uint32_t delimiters = uniform(2, 30); // percent, per file
    std::string bytes;
    while (bytes.size() < length) {
        const std::uint32_t k = uniform(0, 99);
        if (k < delimiters) {
            bytes += uniform(0, 9) < 7 ? '\0' : '\1';
        } else if (k < delimiters + 30) {
            std::uint32_t cp = uniform(0, 2) == 0   ? uniform(0x80, 0x7FF)
                               : uniform(0, 1) == 0 ? uniform(0x800, 0xFFFF)
                                                    : uniform(0x10000, 0x10FFFF);
            cp = cp >= 0xD800 && cp <= 0xDFFF ? cp + 0x800 : cp;
            const int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
            bytes += static_cast<char>(((0xFF00u >> (extra + 1)) & 0xFFu) | (cp >> (6 * extra)));
            for (int s = extra - 1; s >= 0; --s) {
                bytes += static_cast<char>(0x80u | ((cp >> (6 * s)) & 0x3Fu));
            }
        } else if (k < delimiters + 40) {
            bytes += Broken[uniform(0, static_cast<std::uint32_t>(Broken.size() - 1))];
        } else if (k < delimiters + 65) {
            bytes += static_cast<char>(uniform(0x20, 0x7E));
        } else {
            bytes += static_cast<char>(uniform(0, 255));
        }
    }
    bytes.resize(length);
    return bytes;
}

// The window's two file commands on its table, each run the way the window's handler wrapper
// runs it: an escaping error goes to the error display, whose boxes are recorded.
class FileCommandRunner {
public:
    FileCommandRunner(TForm1* form, holiday::HolidayTable& table) : mForm(form), mTable(table) {}

    // The number of error boxes the open of path showed.
    std::size_t Open(const fs::path& path) {
        mOpen.Executor = [path](HolidayFileDialog&) { return path.string(); };
        const std::size_t before = mBoxes.Boxes().size();
        RunGuarded(mForm, [this] {
            OpenCommand(
                mTable, mOpen, mSave, [](holiday::HolidayTable&, holiday::WorkProgress*) {},
                mLossy);
            // The autosize of the open, on the table as opened.
            if (mForm != nullptr) {
                mForm->ConfExit(nullptr);
            }
        });
        return mBoxes.Boxes().size() - before;
    }
    std::size_t Save(const fs::path& path) {
        mSave.Executor = [path](HolidayFileDialog&) { return path.string(); };
        const std::size_t before = mBoxes.Boxes().size();
        RunGuarded(mForm, [this] { SaveCommand(mTable, mSave, mLossy); });
        return mBoxes.Boxes().size() - before;
    }
    [[nodiscard]] const RecordingMessageBox& Boxes() const { return mBoxes; }

private:
    TForm1* mForm;
    holiday::HolidayTable& mTable;
    HolidayFileDialog mOpen{HolidayFileDialog::Mode::Open, mForm};
    LossyFile mLossy;
    HolidayFileDialog mSave{HolidayFileDialog::Mode::Save, mForm};
    RecordingMessageBox mBoxes;
};

class ReliabilityTest : public FormTest {
protected:
    ScratchFolder mScratch;
    const fs::path& mFolder = mScratch.Path();
};

TEST_F(ReliabilityTest, RandomFilesOpenIntoTheGridAndSaveBackWhatItShows) {
    FileCommandRunner commands(&Form(), Table());
    std::mt19937 rng(20240611);
    int illFormed = 0;
    int multiByte = 0;
#ifdef MIREVO_SANITIZED
    constexpr int Files = 200;
#else
    constexpr int Files = 1000;
#endif
    for (int n = 0; n < Files; ++n) {
        SCOPED_TRACE("file " + std::to_string(n));
        const std::size_t length =
            n % 100 == 99 ? std::uniform_int_distribution<std::size_t>(20000, 60000)(rng)
            : n % 50 == 0 ? 0
                          : std::uniform_int_distribution<std::size_t>(0, 4096)(rng);
        const std::string bytes = RandomFile(rng, length);
        const fs::path input = mFolder / ("in" + std::to_string(n) + ".hol");
        WriteBytes(input, bytes);
        const Expected expected = ReadReference(bytes);
        illFormed += expected.IllFormed;
        multiByte += expected.MultiByte;

        ASSERT_EQ(commands.Open(input), 0u) << commands.Boxes().Texts().join('\n').toStdString();
        ASSERT_EQ(Table().ColCount(), expected.Cols);
        ASSERT_EQ(Table().RowCount(), expected.Rows);
        // Every text the table holds, hidden ones included, compared entry by entry.
        const Cells stored = StoredTexts(Table());
        for (auto got = stored.begin(), want = expected.Texts.begin();
             got != stored.end() && want != expected.Texts.end(); ++got, ++want) {
            ASSERT_EQ(*got, *want);
            ASSERT_TRUE(IsWellFormedUtf8(got->second));
        }
        ASSERT_EQ(stored.size(), expected.Texts.size());

        const fs::path output = mFolder / "out.hol";
        ASSERT_EQ(commands.Save(output), 0u);
        const std::string saved = ReadBytes(output);
        const std::string shown = EncodeGrid(Table());
        ASSERT_TRUE(saved == shown)
            << saved.size() << " bytes saved, " << shown.size() << " shown, first difference at "
            << std::mismatch(saved.begin(), saved.end(), shown.begin(), shown.end()).first -
                   saved.begin();

        // The open command's own sequence, without building its dialog a third time.
        holiday::HolidayTable reread;
        ASSERT_NO_THROW(holiday::OpenHolidayFile(reread, output.string()));
        ASSERT_EQ(reread.ColCount(), Table().ColCount());
        ASSERT_EQ(reread.RowCount(), Table().RowCount());
        ASSERT_TRUE(EncodeGrid(reread) == shown);
        fs::remove(input);
    }
    // The generator really produced both kinds of non-ASCII cells.
    EXPECT_GT(illFormed, Files * 10);
    EXPECT_GT(multiByte, Files * 10);
}

// A table whose file takes about 400 KiB.
void FillLargeTable(holiday::HolidayTable& table) {
    table.SetColCount(8);
    table.SetRowCount(2000);
    for (std::int32_t r = 0; r < 2000; ++r) {
        for (std::int32_t c = 0; c < 8; ++c) {
            table.SetCell(c, r, "Feiertag äöü " + std::to_string(r * 8 + c));
        }
    }
}

class ReliabilitySaveTest : public testing::Test {
protected:
    void TearDown() override {
        holiday::detail::WriteHook = nullptr;
        holiday::detail::SyncHook = nullptr;
        if (mMounted) {
            ::umount2(mFolder.c_str(), MNT_DETACH);
        }
    }

    // Saves the large table onto an old file; the save must fail with one box and keep it.
    void ExpectFailedSaveKeepsOldFile() {
        const fs::path old = mFolder / "old.hol";
        const std::string oldBytes = "Titel\0Datum\x01Ostern\0Easter\x01"s;
        WriteBytes(old, oldBytes);
        const std::vector<fs::path> before = Listing();
        holiday::HolidayTable table;
        FillLargeTable(table);
        FileCommandRunner commands(nullptr, table);

        ASSERT_EQ(commands.Save(old), 1u);
        const QString text = commands.Boxes().Texts().front();
        EXPECT_TRUE(text.startsWith(QStringLiteral("Datei \""))) << text.toStdString();
        EXPECT_TRUE(text.contains(u'"' + QString::fromStdString(old.string()) + u'"'))
            << text.toStdString();
        EXPECT_EQ(ReadBytes(old), oldBytes);
        EXPECT_EQ(Listing(), before) << "a temporary file was left behind";
        EXPECT_EQ(table.GetCell(7, 1999), "Feiertag äöü 15999");
    }

    [[nodiscard]] std::vector<fs::path> Listing() const {
        std::vector<fs::path> names(fs::directory_iterator{mFolder}, fs::directory_iterator{});
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchFolder mScratch;
    const fs::path& mFolder = mScratch.Path();
    bool mMounted = false;
};

TEST_F(ReliabilitySaveTest, FullFileSystemKeepsTheOldFile) {
    if (::mount("tmpfs", mFolder.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs (needs root): " << std::strerror(errno)
                     << "; InjectedWriteFailuresKeepTheOldFile covers the failure path";
    }
    mMounted = true;
    struct statvfs fsInfo {};
    ASSERT_EQ(::statvfs(mFolder.c_str(), &fsInfo), 0);
    // Leaves two blocks free beside the old file.
    const auto free = static_cast<std::size_t>(fsInfo.f_bavail) * fsInfo.f_frsize;
    WriteBytes(mFolder / "filler", std::string(free - 3 * fsInfo.f_frsize, 'x'));
    ExpectFailedSaveKeepsOldFile();
}

std::ptrdiff_t WriteSomeThenFull(int fd, const void* data, std::size_t size) {
    static std::size_t written = 0;
    if (written > 100'000) {
        written = 0;
        errno = ENOSPC;
        return -1;
    }
    const std::ptrdiff_t n = ::write(fd, data, std::min<std::size_t>(size, 7'000));
    written += n > 0 ? static_cast<std::size_t>(n) : 0;
    return n;
}

int SyncFails(int /*fd*/) {
    errno = EIO;
    return -1;
}

TEST_F(ReliabilitySaveTest, InjectedWriteFailuresKeepTheOldFile) {
    {
        SCOPED_TRACE("write fails part way");
        holiday::detail::WriteHook = WriteSomeThenFull;
        ExpectFailedSaveKeepsOldFile();
        holiday::detail::WriteHook = nullptr;
    }
    {
        SCOPED_TRACE("sync fails");
        holiday::detail::SyncHook = SyncFails;
        ExpectFailedSaveKeepsOldFile();
        holiday::detail::SyncHook = nullptr;
    }
}

} // namespace
