#include "app/FileCommands.h"

#include "RecordingMessageBox.h"
#include "app/HolidayFileDialog.h"
#include "holiday/Exception.h"
#include "holiday/HolidayTable.h"
#include "tests/support/ByteFiles.h"
#include "tests/support/ForeignLock.h"
#include "tests/support/TableSnapshot.h"
#include "tests/support/TemporaryFolder.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFont>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

using namespace app;

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using holiday::GridCoord;
using holiday::HolidayTable;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

// The bytes of a file of the header row and two rules, 6 columns.
const std::string SixColumnFile = "Feiertag\0Datum\0Richtung\0Offset\0x\0Bayern\x01"
                                  "Ostermontag\0Easter\0"
                                  "0\0+1\0\0"
                                  "1\x01"
                                  "Buß- und Bettag\0"
                                  "23.11\0-We\0"
                                  "0\0\0*\x01"s;

using testsupport::TableState;

TableState StateOf(const HolidayTable& table) {
    return testsupport::Snapshot(table);
}

struct DialogState {
    std::string InitialDir, FileName;
    friend bool operator==(const DialogState&, const DialogState&) = default;
};

DialogState StateOf(const HolidayFileDialog& dialog) {
    return {dialog.InitialDir(), dialog.FileName()};
}

class FileCommandsTest : public testing::Test {
protected:
    void SetUp() override {
        // Qt's dialog keeps its view state in the user's settings; tests keep theirs apart.
        QStandardPaths::setTestModeEnabled(true);
    }

    [[nodiscard]] std::string At(const std::string& name) const { return mFolder.At(name); }

    // The dialog answers with path (nullopt: a cancel) instead of waiting for a person.
    static void Answer(HolidayFileDialog& dialog, std::optional<std::string> path) {
        dialog.Executor = [path](HolidayFileDialog&) { return path; };
    }

    void Open(const std::optional<std::string>& path) {
        Answer(mOpenDialog, path);
        OpenCommand(
            mTable, mOpenDialog, mSaveDialog,
            [this](HolidayTable&, holiday::WorkProgress*) { ++mConfExitRuns; }, mLossy);
    }

    void Save(const std::optional<std::string>& path) {
        Answer(mSaveDialog, path);
        SaveCommand(mTable, mSaveDialog, mLossy);
    }

    // A table that differs from a freshly opened one in every respect the open resets.
    void FillTable() {
        mTable.SetColCount(8);
        mTable.SetRowCount(9);
        mTable.SetFixedCols(1);
        mTable.SetFixedRows(1);
        mTable.SetCurrentCell({3, 4});
        mTable.SetColWidth(2, 120);
        for (std::int32_t row = 0; row < 9; ++row) {
            for (std::int32_t col = 0; col < 8; ++col) {
                mTable.SetCell(col, row, std::to_string(100 * row + col));
            }
        }
    }

    testsupport::TemporaryFolder mFolder{"mirevo-files"};
    const fs::path& mDir = mFolder.Path();
    QWidget mWindow;
    HolidayTable mTable;
    HolidayFileDialog mOpenDialog{HolidayFileDialog::Mode::Open, &mWindow};
    HolidayFileDialog mSaveDialog{HolidayFileDialog::Mode::Save, &mWindow};
    int mConfExitRuns = 0;
    LossyFile mLossy;
    RecordingMessageBox mBoxes;
};

// --- The dialogs ---

TEST_F(FileCommandsTest, DialogSettings) {
    for (HolidayFileDialog* dialog : {&mOpenDialog, &mSaveDialog}) {
        const bool save = dialog == &mSaveDialog;
        SCOPED_TRACE(save ? "save" : "open");
        bool ran = false;
        dialog->Executor = [&](HolidayFileDialog& owner) -> std::optional<std::string> {
            ran = true;
            const QFileDialog* qt = owner.Dialog();
            EXPECT_EQ(qt->parentWidget(), &mWindow);
            EXPECT_TRUE(qt->testOption(QFileDialog::DontUseNativeDialog));
            EXPECT_EQ(qt->acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
            EXPECT_EQ(qt->fileMode(), QFileDialog::AnyFile);
            EXPECT_EQ(qt->nameFilters(), QStringList{"Mirevo Holiday Format (*.hol)"});
            // The list shows *.hol files (and folders); the filter box shows only the name.
            const auto* model = qt->findChild<QFileSystemModel*>();
            EXPECT_TRUE(model != nullptr && model->nameFilters() == QStringList{"*.hol"} &&
                        !model->nameFilterDisables() && model->filter().testFlag(QDir::AllDirs));
            const auto* types = qt->findChild<QComboBox*>("fileTypeCombo");
            EXPECT_TRUE(types != nullptr && types->currentText() == "Mirevo Holiday Format");
            EXPECT_EQ(qt->defaultSuffix(), "hol");
            EXPECT_FALSE(qt->testOption(QFileDialog::ReadOnly));
            EXPECT_EQ(qt->testOption(QFileDialog::DontConfirmOverwrite), save);
            EXPECT_TRUE(qt->isSizeGripEnabled());
            return std::nullopt;
        };
        EXPECT_FALSE(dialog->Execute());
        EXPECT_TRUE(ran);
        EXPECT_EQ(dialog->Dialog(), nullptr);
    }
}

TEST_F(FileCommandsTest, InitialDirDropsOneTrailingSeparator) {
    const struct {
        const char* Given;
        const char* Kept;
    } cases[] = {{"/data/", "/data"}, {"/data", "/data"}, {"/", "/"},     {"", ""},
                 {"//", "/"},         {"a/", "a"},        {"/x//", "/x/"}};
    for (const auto& c : cases) {
        mOpenDialog.SetInitialDir(c.Given);
        EXPECT_EQ(mOpenDialog.InitialDir(), c.Kept) << c.Given;
    }
}

TEST_F(FileCommandsTest, ExecutePresetsFolderAndName) {
    fs::create_directory(At("sub"));
    mSaveDialog.SetInitialDir(At("sub") + "/");
    mSaveDialog.SetFileName("de.hol");
    QString folder;
    QString name;
    mSaveDialog.Executor = [&](HolidayFileDialog& owner) -> std::optional<std::string> {
        folder = owner.Dialog()->directory().absolutePath();
        name = owner.Dialog()->findChild<QLineEdit*>("fileNameEdit")->text();
        return At("sub/other.hol");
    };
    EXPECT_TRUE(mSaveDialog.Execute());
    EXPECT_EQ(folder.toStdString(), At("sub"));
    EXPECT_EQ(name, "de.hol");
    EXPECT_EQ(mSaveDialog.FileName(), At("sub/other.hol"));
    EXPECT_EQ(mSaveDialog.InitialDir(), At("sub"));
}

// Qt's own dialog driven like a user would, without a modal loop: the executor opens it, types
// into its name field and presses its accept button.
class TypedAnswer {
public:
    explicit TypedAnswer(QString typed) : mTyped(std::move(typed)) {}

    std::optional<std::string> operator()(HolidayFileDialog& owner) {
        QFileDialog& dialog = *owner.Dialog();
        dialog.open();
        dialog.activateWindow();
        if (!QTest::qWaitForWindowActive(&dialog)) {
            ADD_FAILURE() << "the dialog did not become active";
        }
        auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
        auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
        if (edit == nullptr || buttons == nullptr) {
            ADD_FAILURE() << "the dialog's name field or buttons are missing";
            return std::nullopt;
        }
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, mTyped);
        QPushButton* accept = buttons->button(dialog.acceptMode() == QFileDialog::AcceptOpen
                                                  ? QDialogButtonBox::Open
                                                  : QDialogButtonBox::Save);
        accept->click();
        QCoreApplication::processEvents();
        StayedOpen = dialog.isVisible();
        for (QMessageBox* box : dialog.findChildren<QMessageBox*>()) {
            if (box->isVisible()) {
                Notices.push_back(box->text());
                box->close();
            }
        }
        if (StayedOpen) {
            dialog.reject();
        }
        return HolidayFileDialog::ConfirmedPath(dialog);
    }

    bool StayedOpen = false;
    QStringList Notices;

private:
    QString mTyped;
};

TEST_F(FileCommandsTest, TypedNameWithoutExtensionIsSavedAsHol) {
    mTable.SetCell(0, 0, "Feiertag");
    mSaveDialog.SetInitialDir(mDir.string());
    TypedAnswer typed("notes");
    mSaveDialog.Executor = std::ref(typed);
    SaveCommand(mTable, mSaveDialog, mLossy);

    EXPECT_EQ(mSaveDialog.FileName(), At("notes.hol"));
    EXPECT_FALSE(fs::exists(At("notes")));
    std::string expected = "Feiertag" + std::string(5, '\0') + "\x01";
    for (int row = 1; row < 5; ++row) {
        expected += std::string(5, '\0') + "\x01";
    }
    EXPECT_EQ(ReadBytes(At("notes.hol")), expected);
}

TEST_F(FileCommandsTest, SaveDialogReplacesWithoutAsking) {
    WriteBytes(At("old.hol"), "old");
    mSaveDialog.SetInitialDir(mDir.string());
    TypedAnswer typed("old.hol");
    mSaveDialog.Executor = std::ref(typed);
    EXPECT_TRUE(mSaveDialog.Execute());
    EXPECT_FALSE(typed.StayedOpen);
    EXPECT_TRUE(typed.Notices.isEmpty());
    EXPECT_EQ(mSaveDialog.FileName(), At("old.hol"));
}

TEST_F(FileCommandsTest, OpenDialogNeedsTheFolderButNotTheFile) {
    mOpenDialog.SetInitialDir(mDir.string());

    TypedAnswer inMissingFolder(QString::fromStdString(At("missing/de.hol")));
    mOpenDialog.Executor = std::ref(inMissingFolder);
    EXPECT_FALSE(mOpenDialog.Execute());
    EXPECT_TRUE(inMissingFolder.StayedOpen);
    ASSERT_EQ(inMissingFolder.Notices.size(), 1);
    EXPECT_TRUE(inMissingFolder.Notices.front().contains(QString::fromStdString(At("missing"))));
    EXPECT_EQ(mOpenDialog.FileName(), "");

    TypedAnswer missingFile("missing.hol");
    mOpenDialog.Executor = std::ref(missingFile);
    EXPECT_TRUE(mOpenDialog.Execute());
    EXPECT_TRUE(missingFile.Notices.isEmpty());
    EXPECT_EQ(mOpenDialog.FileName(), At("missing.hol"));
}

// --- The commands ---

TEST_F(FileCommandsTest, FormShowPointsOnlyTheOpenDialogAtTheProgramFolder) {
    mSaveDialog.SetInitialDir("/keep");
    fs::create_directory(At("bin"));
    FormShowCommand(mOpenDialog, At("bin/mirevo-holidays"), "/home/user");
    EXPECT_EQ(StateOf(mOpenDialog), (DialogState{At("bin"), ""}));
    EXPECT_EQ(StateOf(mSaveDialog), (DialogState{"/keep", ""}));
}

TEST_F(FileCommandsTest, FormShowTakesTheHomeFolderWhenTheProgramFolderIsNotWritable) {
    // As installed in /usr/bin; a missing folder is as unwritable for the test's user, root
    // included.
    FormShowCommand(mOpenDialog, At("missing/bin/mirevo-holidays"), "/home/user");
    EXPECT_EQ(mOpenDialog.InitialDir(), "/home/user");
    FormShowCommand(mOpenDialog, At("missing/bin/mirevo-holidays"), "");
    EXPECT_EQ(mOpenDialog.InitialDir(), At("missing/bin"));
}

TEST_F(FileCommandsTest, OpenPathRunsAsIfTheOpenDialogHadReturnedIt) {
    WriteBytes(At("de.hol"), SixColumnFile);
    FillTable();
    const TableState table = StateOf(mTable);
    OpenPathCommand(
        mTable, mOpenDialog, mSaveDialog, At("missing.hol"),
        [this](HolidayTable&, holiday::WorkProgress*) { ++mConfExitRuns; }, mLossy);
    EXPECT_EQ(StateOf(mOpenDialog), (DialogState{"", At("missing.hol")}));
    EXPECT_EQ(StateOf(mSaveDialog), (DialogState{"", ""}));
    EXPECT_EQ(StateOf(mTable), table);

    OpenPathCommand(
        mTable, mOpenDialog, mSaveDialog, At("de.hol"),
        [this](HolidayTable&, holiday::WorkProgress*) { ++mConfExitRuns; }, mLossy);
    EXPECT_EQ(StateOf(mOpenDialog), (DialogState{"", At("de.hol")}));
    EXPECT_EQ(StateOf(mSaveDialog), (DialogState{mDir.string(), "de.hol"}));
    EXPECT_EQ(mTable.GetCell(0, 2), "Buß- und Bettag");
    EXPECT_EQ(mConfExitRuns, 1);
}

TEST_F(FileCommandsTest, CancelChangesNothing) {
    FillTable();
    WriteBytes(At("de.hol"), SixColumnFile);
    mOpenDialog.SetFileName(At("before.hol"));
    mSaveDialog.SetInitialDir(mDir.string());
    mSaveDialog.SetFileName("before.hol");
    const TableState table = StateOf(mTable);
    const DialogState open = StateOf(mOpenDialog);
    const DialogState save = StateOf(mSaveDialog);

    Open(std::nullopt);
    Save(std::nullopt);

    EXPECT_EQ(StateOf(mTable), table);
    EXPECT_EQ(StateOf(mOpenDialog), open);
    EXPECT_EQ(StateOf(mSaveDialog), save);
    EXPECT_EQ(mConfExitRuns, 0);
    EXPECT_FALSE(fs::exists(At("before.hol")));
}

TEST_F(FileCommandsTest, NoFileAtTheNameChangesOnlyTheOpenDialogsName) {
    FillTable();
    fs::create_directory(At("folder.hol"));
    mSaveDialog.SetFileName("before.hol");
    const TableState table = StateOf(mTable);
    const DialogState save = StateOf(mSaveDialog);

    for (const std::string& path : {At("missing.hol"), At("folder.hol"), At("gone/x.hol")}) {
        Open(path);
        EXPECT_EQ(mOpenDialog.FileName(), path);
        EXPECT_EQ(StateOf(mTable), table) << path;
        EXPECT_EQ(StateOf(mSaveDialog), save) << path;
    }
    EXPECT_EQ(mConfExitRuns, 0);
}

TEST_F(FileCommandsTest, EmptyFileLeavesOneEmptyCell) {
    FillTable();
    WriteBytes(At("empty.hol"), "");
    Open(At("empty.hol"));

    EXPECT_EQ(mTable.ColCount(), 1);
    EXPECT_EQ(mTable.RowCount(), 1);
    EXPECT_EQ(mTable.GetCell(0, 0), "");
    EXPECT_EQ(StateOf(mSaveDialog), (DialogState{mDir.string(), "empty.hol"}));
    EXPECT_EQ(mConfExitRuns, 1);
}

TEST_F(FileCommandsTest, ConfExitSizesTheConfigurationColumnsOfTheOpenedFile) {
    const std::string file = "T\0D\0R\0O\0x\0Bayern\0Nordrhein-Westfalen\0\x01"
                             "a\0b\x01"s;
    WriteBytes(At("wide.hol"), file);
    mTable.SetColCount(7);
    for (std::int32_t col = 0; col < 7; ++col) {
        mTable.SetColWidth(col, 100 + col);
    }
    const QFontMetrics metrics(QFont("Tahoma", 8));
    std::vector<std::string> headersSeen;
    Answer(mOpenDialog, At("wide.hol"));
    OpenCommand(
        mTable, mOpenDialog, mSaveDialog,
        [&](HolidayTable& read, holiday::WorkProgress*) {
            for (std::int32_t col = 5; col < read.ColCount(); ++col) {
                const std::string header = read.GetCell(col, 0);
                headersSeen.push_back(header);
                read.SetColWidth(col,
                                 metrics.horizontalAdvance(QString::fromStdString(header)) + 10);
            }
        },
        mLossy);

    ASSERT_EQ(mTable.ColCount(), 8);
    EXPECT_EQ(headersSeen, (std::vector<std::string>{"Bayern", "Nordrhein-Westfalen", ""}));
    EXPECT_EQ(mTable.ColWidth(0), 100);
    for (std::int32_t col = 1; col <= 4; ++col) {
        EXPECT_EQ(mTable.ColWidth(col), HolidayTable::DefaultColWidth) << col;
    }
    EXPECT_EQ(mTable.ColWidth(5), metrics.horizontalAdvance("Bayern") + 10);
    EXPECT_EQ(mTable.ColWidth(6), metrics.horizontalAdvance("Nordrhein-Westfalen") + 10);
    EXPECT_EQ(mTable.ColWidth(7), 10);
}

TEST_F(FileCommandsTest, DialogsFollowOpensAndSaves) {
    fs::create_directory(At("a"));
    fs::create_directory(At("b"));
    WriteBytes(At("a/first.hol"), SixColumnFile);
    WriteBytes(At("b/second.hol"), SixColumnFile);
    const std::string program = At("bin/mirevo-holidays");

    FormShowCommand(mOpenDialog, program, "");
    EXPECT_EQ(StateOf(mSaveDialog), (DialogState{"", ""}));

    Open(At("a/first.hol"));
    EXPECT_EQ(StateOf(mOpenDialog), (DialogState{At("bin"), At("a/first.hol")}));
    EXPECT_EQ(StateOf(mSaveDialog), (DialogState{At("a"), "first.hol"}));

    // The save dialog opens on the opened file.
    QString shownFolder;
    QString shownName;
    mSaveDialog.Executor = [&](HolidayFileDialog& owner) -> std::optional<std::string> {
        shownFolder = owner.Dialog()->directory().absolutePath();
        shownName = owner.Dialog()->findChild<QLineEdit*>("fileNameEdit")->text();
        return At("b/saved.hol");
    };
    SaveCommand(mTable, mSaveDialog, mLossy);
    EXPECT_EQ(shownFolder.toStdString(), At("a"));
    EXPECT_EQ(shownName, "first.hol");
    EXPECT_EQ(StateOf(mSaveDialog), (DialogState{At("a"), At("b/saved.hol")}));
    EXPECT_EQ(StateOf(mOpenDialog), (DialogState{At("bin"), At("a/first.hol")}));

    Open(At("b/second.hol"));
    EXPECT_EQ(StateOf(mOpenDialog), (DialogState{At("bin"), At("b/second.hol")}));
    EXPECT_EQ(StateOf(mSaveDialog), (DialogState{At("b"), "second.hol"}));
    EXPECT_EQ(mConfExitRuns, 2);
}

TEST_F(FileCommandsTest, SaveThatCannotCreateTheFileThrowsAndKeepsTheName) {
    const std::string path = At("missing/x.hol");
    EXPECT_THROW(Save(path), holiday::EFCreateError);
    EXPECT_EQ(mSaveDialog.FileName(), path);
}

// A file that exists but cannot be opened leaves everything as it was.
TEST_F(FileCommandsTest, OpenThatCannotOpenTheFileChangesNothing) {
    WriteBytes(At("locked.hol"), SixColumnFile);
    const testsupport::ForeignLock lock(At("locked.hol"), F_WRLCK);
    ASSERT_TRUE(lock.Locked());
    FillTable();
    mSaveDialog.SetInitialDir("/before");
    mSaveDialog.SetFileName("before.hol");
    const TableState table = StateOf(mTable);
    const DialogState save = StateOf(mSaveDialog);
    EXPECT_THROW(Open(At("locked.hol")), holiday::EFOpenError);
    EXPECT_EQ(StateOf(mTable), table);
    EXPECT_EQ(StateOf(mSaveDialog), save);
    EXPECT_EQ(mOpenDialog.FileName(), At("locked.hol"));
    EXPECT_EQ(mConfExitRuns, 0);
}

// Whatever the table was, it holds the opened file alone, with nothing fixed, and saves back
// byte for byte.
TEST_F(FileCommandsTest, OpenedFileSavesBackByteForByte) {
    FillTable();
    WriteBytes(At("de.hol"), SixColumnFile);
    Open(At("de.hol"));
    EXPECT_EQ((GridCoord{mTable.ColCount(), mTable.RowCount()}), (GridCoord{6, 3}));
    EXPECT_EQ((GridCoord{mTable.FixedCols(), mTable.FixedRows()}), (GridCoord{0, 0}));
    EXPECT_EQ(mTable.CurrentCell(), (GridCoord{0, 0}));
    Save(At("same.hol"));
    EXPECT_EQ(ReadBytes(At("same.hol")), SixColumnFile);
}

// A file the table cannot hold whole is named once after the open, and a save over that very
// file asks first; every other save replaces without asking.
TEST_F(FileCommandsTest, FileReadWithLossesWarnsOnceAndItsSaveAsks) {
    struct Case {
        const char* name;
        std::string bytes;
        QString notice; // empty: none
    };
    const Case cases[] = {
        {"well-formed", SixColumnFile, ""},
        {"a log file", "2026-12-01 server started\n",
         "wurde nicht vollständig gelesen.\nDie Datei enthält kein Zeilenende, ihre 26 Bytes "
         "wurden nicht gelesen.\nBeim Speichern wird die Datei ohne sie geschrieben."},
        {"Windows-1252", "K\xf6ln\0x\x01"s,
         "wurde nicht vollständig gelesen.\n1 Zelle ist kein gültiges UTF-8 und wurde leer "
         "gelesen: Zeile 0, Spalte 0.\nBeim Speichern wird die Datei ohne sie geschrieben."},
        {"unended last row", "a\0b\x01"s + "c\0d"s,
         "wurde nicht vollständig gelesen.\n3 Bytes nach dem letzten Zeilenende wurden nicht "
         "gelesen.\nBeim Speichern wird die Datei ohne sie geschrieben."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = At("file.hol");
        WriteBytes(path, c.bytes);
        const std::size_t warnings = mBoxes.Warnings().size();
        Open(path);
        ASSERT_EQ(mBoxes.Warnings().size() - warnings, c.notice.isEmpty() ? 0u : 1u);
        if (!c.notice.isEmpty()) {
            EXPECT_EQ(mBoxes.Warnings().back().Text,
                      "Datei " + QString::fromStdString(path) + " " + c.notice);
        }
        const bool lossy = !c.notice.isEmpty();

        // Another file is replaced without a question.
        const std::size_t questions = mBoxes.Questions().size();
        Save(At("other.hol"));
        EXPECT_EQ(mBoxes.Questions().size(), questions);

        // No keeps the file and the table; Yes replaces it, and the next save asks nothing.
        const TableState table = StateOf(mTable);
        mBoxes.AnswerQuestions(false);
        Save(path);
        EXPECT_EQ(mBoxes.Questions().size() - questions, lossy ? 1u : 0u);
        EXPECT_EQ(ReadBytes(path), lossy ? c.bytes : ReadBytes(At("other.hol")));
        EXPECT_EQ(StateOf(mTable), table);
        if (lossy) {
            EXPECT_EQ(mBoxes.Questions().back().Text,
                      "Datei " + QString::fromStdString(path) +
                          " wurde beim Öffnen nicht vollständig gelesen. Beim Speichern gehen die "
                          "nicht gelesenen Daten verloren.\nDatei trotzdem ersetzen?");
        }
        mBoxes.AnswerQuestions(true);
        Save(path);
        Save(path);
        EXPECT_EQ(mBoxes.Questions().size() - questions, lossy ? 2u : 0u);
        EXPECT_EQ(ReadBytes(path), ReadBytes(At("other.hol")));
    }

    // Once another file stands at the path, its save asks nothing.
    WriteBytes(At("file.hol"), "x\x01y");
    Open(At("file.hol"));
    fs::remove(At("file.hol"));
    WriteBytes(At("file.hol"), "new\x01");
    const std::size_t questions = mBoxes.Questions().size();
    Save(At("file.hol"));
    EXPECT_EQ(mBoxes.Questions().size(), questions);
}

} // namespace
