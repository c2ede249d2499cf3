// The window in a real X server: pastes from an empty clipboard into every text widget, the grid's
// copy, cut, paste and undo through the real clipboard, and a
// seeded soak test of random user actions. main() starts its own Xvfb (xcb platform, a clipboard
// nobody has filled); without Xvfb, with MIREVO_SOAK_OFFSCREEN set, or when only listing the
// tests, it runs offscreen, where the clipboard test is skipped.
// The soak runs a fixed list of seeds for MIREVO_SOAK_STEPS actions each (default 300), so that a
// failure replays exactly: MIREVO_SOAK_SEED=N runs seed N alone, MIREVO_SOAK_SEED=random draws
// one (and prints it).

#include "RecordingMessageBox.h"
#include "app/ApplicationFonts.h"
#include "app/GridCellEditor.h"
#include "app/HelpWindow.h"
#include "app/HolidayGrid.h"
#include "app/ReportMemo.h"
#include "app/TForm1.h"
#include "app/WindowShortcuts.h"
#include "tests/support/ByteFiles.h"
#include "tests/support/TemporaryFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <random>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace app;

namespace {

using namespace std::string_literals;

pid_t gXvfb = -1;
bool gOnXServer = false;

// The seeds the soak runs, one window each.
std::vector<std::uint64_t> SoakSeeds() {
    const char* text = std::getenv("MIREVO_SOAK_SEED");
    if (text == nullptr) {
        return {1, 2, 3, 4};
    }
    if (std::string(text) == "random") {
        return {std::random_device{}()};
    }
    return {std::strtoull(text, nullptr, 10)};
}

// Starts Xvfb on a display number of its own choice; true once it serves DISPLAY.
bool StartXvfb() {
    int fds[2];
    if (::pipe(fds) != 0) {
        return false;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Xvfb ends with this process, also when it crashes, and holds none of its output.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        const std::string fd = std::to_string(fds[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                 "-nolisten", "tcp", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    char c = 0;
    while (pid > 0 && ::poll(&wait, 1, 10'000) == 1 && ::read(fds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    ::close(fds[0]);
    if (pid > 0 && number.empty()) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    if (pid <= 0 || number.empty()) {
        return false;
    }
    gXvfb = pid;
    ::setenv("DISPLAY", (":" + number).c_str(), 1);
    return true;
}

class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        QGuiApplication::clipboard()->clear();
        form = std::make_unique<TForm1>();
        form->SetLocaleSettings(rules::LocaleDateSettings::German());
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        (void)QTest::qWaitForWindowActive(form.get());
    }

    [[nodiscard]] QWidget* Focused() const {
        QWidget* focused = QApplication::focusWidget();
        return focused != nullptr ? focused : form->sg;
    }

    RecordingMessageBox boxes;
    std::unique_ptr<TForm1> form;
};

TEST_F(WindowTest, PasteFromAnEmptyClipboardDoesNothingInEveryTextWidget) {
    if (!gOnXServer) {
        GTEST_SKIP() << "no X server (Xvfb missing or MIREVO_SOAK_OFFSCREEN set): the offscreen "
                        "platform's clipboard says nothing about a real one";
    }
    holiday::HolidayTable& table = form->Table();
    table.SetCell(0, 1, "Easter");
    const std::pair<QWidget*, std::function<QString()>> targets[] = {
        {form->Memo1, [&] { return form->Memo1->Text(); }},
        {form->sg->Editor(), [&] { return QString::fromStdString(table.GetCell(0, 1)); }},
    };
    for (const auto& [widget, text] : targets) {
        SCOPED_TRACE(widget->metaObject()->className());
        for (const auto& [key, mods] : {std::pair{Qt::Key_V, Qt::ControlModifier},
                                        std::pair{Qt::Key_Insert, Qt::ShiftModifier}}) {
            QGuiApplication::clipboard()->clear();
            form->sg->OpenEditor(HolidayGrid::EditorOpening::CaretAtEnd);
            widget->setFocus();
            const QString before = text();
            QTest::keyClick(widget, key, mods);
            QCoreApplication::processEvents();
            EXPECT_EQ(text(), before);
        }
        // A paste of text still works; the cell editor drops U+0000 and U+0001.
        QGuiApplication::clipboard()->setText(QString::fromUtf8("!\0?\x01", 4));
        QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
        EXPECT_TRUE(text().contains(u'!'));
    }
    EXPECT_EQ(table.GetCell(0, 1), "Easter!?");
}

// The window's keys run their commands wherever the focus is, closing an open cell editor as a
// click on the button does, and do nothing while a message box is up; each button's tooltip
// names its keys.
TEST_F(WindowTest, ShortcutsRunTheirCommandsFromEveryControlButNotUnderAModalBox) {
    int opens = 0;
    int saves = 0;
    form->OpenDialog1.Executor = [&](HolidayFileDialog&) -> std::optional<std::string> {
        ++opens;
        return std::nullopt;
    };
    form->SaveDialog1.Executor = [&](HolidayFileDialog&) -> std::optional<std::string> {
        ++saves;
        return std::nullopt;
    };
    const auto reported = [&] { return form->Memo1->Text().contains(u"Year 2015"); };
    const struct {
        const char* name;
        QKeySequence key;
        QPushButton* button; // null: the help window
        std::function<bool()> ran;
    } commands[] = {
        {"Ctrl+O", QKeySequence(Qt::CTRL | Qt::Key_O), form->Button8, [&] { return opens > 0; }},
        {"Ctrl+S", QKeySequence(Qt::CTRL | Qt::Key_S), form->Button1, [&] { return saves > 0; }},
        {"Ctrl+T", QKeySequence(Qt::CTRL | Qt::Key_T), form->Button3, reported},
        {"F9", QKeySequence(Qt::Key_F9), form->Button3, reported},
        {"F1", QKeySequence(Qt::Key_F1), nullptr,
         [&] { return form->Help() != nullptr && form->Help()->isVisible(); }},
    };
    const std::pair<const char*, std::function<QWidget*()>> places[] = {
        {"grid", [&] { return form->sg; }},
        {"cell editor",
         [&] {
             form->sg->setFocus();
             form->sg->OpenEditor(HolidayGrid::EditorOpening::CaretAtEnd);
             return form->sg->Editor();
         }},
        {"report box", [&] { return form->Memo1; }},
        {"check box", [&] { return form->CheckBox1; }},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.name);
        if (command.button != nullptr) {
            EXPECT_TRUE(
                command.button->toolTip().contains(command.key.toString(QKeySequence::NativeText)))
                << command.button->toolTip().toStdString();
        }
        for (const auto& [place, focus] : places) {
            SCOPED_TRACE(place);
            opens = saves = 0;
            form->Memo1->Clear();
            if (form->Help() != nullptr) {
                form->Help()->close();
            }
            form->activateWindow();
            (void)QTest::qWaitForWindowActive(form.get());
            QWidget* target = focus();
            target->setFocus();
            ASSERT_TRUE(command.ran != nullptr);
            // Under a modal box the key does nothing.
            QTimer::singleShot(0, [&] {
                QTest::keySequence(target, command.key);
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    box->accept();
                }
            });
            QMessageBox(QMessageBox::Information, "modal", "modal", QMessageBox::Ok, form.get())
                .exec();
            EXPECT_FALSE(command.ran());
            QTest::keySequence(target, command.key);
            EXPECT_TRUE(command.ran());
            if (command.button != nullptr) {
                EXPECT_FALSE(form->sg->IsEditorOpen());
            }
        }
    }
    EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Texts().join("\n").toStdString();
    EXPECT_TRUE(form->isVisible()); // no key closed the window
}

// "test" stops at a faulty rule far down the table: that cell becomes current and visible, and
// the grid has the keyboard focus once the real error box is closed, so typing corrects it.
TEST_F(WindowTest, TestMakesTheFaultyCellCurrentAndGivesTheGridTheFocusAfterTheBox) {
    holiday::HolidayTable& table = form->Table();
    table.SetRowCount(300);
    for (std::int32_t row = 1; row < 300; ++row) {
        table.SetCell(1, row, "01.05");
        table.SetCell(3, row, row == 250 ? "x" : "0");
    }
    QStringList shown;
    ErrorMessageBoxSeam() = [&](QWidget* owner, const QString& title, const QString& text) {
        shown.append(text);
        QTimer::singleShot(0, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        RunMessageBox(owner, QMessageBox::Critical, title, text, QMessageBox::Ok, QMessageBox::Ok,
                      QMessageBox::Ok);
    };
    QTest::mouseClick(form->Button3, Qt::LeftButton);
    ASSERT_EQ(shown, QStringList{QString::fromUtf8("''x'' ist kein gültiger Integer-Wert.")});
    EXPECT_EQ(table.CurrentCell(), (holiday::GridCoord{3, 250}));
    EXPECT_TRUE(form->sg->viewport()->rect().contains(form->sg->CellRect({3, 250})));
    EXPECT_EQ(QApplication::focusWidget(), form->sg);
    QTest::keyClicks(QApplication::focusWidget(), "+1");
    EXPECT_EQ(table.GetCell(3, 250), "+1");
}

// Copy, cut and paste through the X server's clipboard, with undo and redo of each over texts
// hidden beyond the counts.
TEST_F(WindowTest, ClipboardAndUndoOnTheRealWidget) {
    if (!gOnXServer) {
        GTEST_SKIP() << "no X server: the offscreen clipboard says nothing about a real one";
    }
    holiday::HolidayTable& table = form->Table();
    QWidget* grid = form->sg;
    grid->setFocus();
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(Focused(), k, mods);
        QCoreApplication::processEvents();
    };
    table.SetCell(0, 1, "Mariä \"Himmelfahrt\"");
    table.SetCell(1, 1, "15.08");
    table.SetCell(0, 2, "a\tb");
    table.SetCell(6, 1, "hidden");
    table.SetCurrentCell({0, 1});
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              "\"Mariä \"\"Himmelfahrt\"\"\"\t15.08\n\"a\tb\"\t\n");

    // Pasted at column 4: the table grows over the hidden text, which undo brings back.
    table.SetCurrentCell({4, 3});
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(table.ColCount(), 6);
    table.SetCurrentCell({5, 1});
    QGuiApplication::clipboard()->setText(QStringLiteral("x\ty\r\n"));
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(table.ColCount(), 7);
    EXPECT_EQ(table.GetCell(6, 1), "y");
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(table.ColCount(), 6);
    EXPECT_EQ(table.GetCell(6, 1), "hidden");
    EXPECT_EQ(table.GetCell(4, 3), "Mariä \"Himmelfahrt\"");
    EXPECT_EQ(table.GetCell(4, 4), "a\tb");

    // A single line fills the selected block; cut empties it; each undone in turn.
    QGuiApplication::clipboard()->setText(QStringLiteral("#"));
    table.SetCurrentCell({1, 1});
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(table.GetCell(1, 2), "#");
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(table.GetCell(1, 1), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("#\n#\n"));
    form->Button4->click(); // delete current row
    grid->setFocus();
    EXPECT_EQ(table.GetCell(0, 1), "a\tb");
    for (int i = 0; i < 3; ++i) {
        key(Qt::Key_Z, Qt::ControlModifier);
    }
    EXPECT_EQ(table.GetCell(0, 1), "Mariä \"Himmelfahrt\"");
    EXPECT_EQ(table.GetCell(1, 1), "15.08");
    key(Qt::Key_Y, Qt::ControlModifier);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(table.GetCell(1, 1), "");
    EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Texts().join("\n").toStdString();
}

// Answers the next modal file dialog of the real Qt widget once it shows: fills its name field
// with typed (when given) and presses Enter in it, as a user does.
void AnswerNextFileDialog(std::optional<QString> typed) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, typed] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* field = dialog != nullptr ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
        if (field == nullptr || !dialog->isVisible()) {
            return;
        }
        poll->deleteLater();
        poll->stop();
        if (typed) {
            field->setText(*typed);
        }
        QTest::keyClick(field, Qt::Key_Return);
        // A dialog that would not take the name must not hold the test.
        QTimer::singleShot(2000, dialog, [dialog] { dialog->reject(); });
    });
    poll->start(10);
}

// Every name a Linux file can have opens and saves exactly that file, through both real
// dialogs and the command line; Qt's dialog alone would read a"b.hol as b.hol.
TEST_F(WindowTest, EveryFileNameOpensAndSavesExactlyThatFile) {
    const testsupport::TemporaryFolder folder("names");
    const std::string decoy = folder.At("b.hol");
    const std::string decoyBytes = "decoy\x01";
    const std::string names[] = {
        "a\"b.hol",  "quo\"te$x`y.hol", "\"quoted\".hol", "it's.hol",        "with  space.hol",
        "-dash.hol", "new\nline.hol",   "Köln.hol",       "back\\slash.hol",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        testsupport::WriteBytes(decoy, decoyBytes);
        const std::string path = folder.At(name);
        testsupport::WriteBytes(path, "Titel\x01"
                                      "alt\x01");
        const auto entries = [&] {
            std::vector<std::string> all;
            for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
                all.push_back(entry.path().filename().string());
            }
            std::sort(all.begin(), all.end());
            return all;
        };
        const std::vector<std::string> before = entries();

        // The command line; then the save dialog offers the name, and Enter takes it.
        form->OpenFile(path);
        ASSERT_EQ(form->Table().GetCell(0, 1), "alt");
        form->Table().SetCell(0, 1, "neu");
        AnswerNextFileDialog(std::nullopt);
        form->Button1->click();
        EXPECT_EQ(testsupport::ReadBytes(path), "Titel\x01neu\x01");

        // The open dialog, the name typed into its field.
        form->OpenDialog1.SetInitialDir(folder.Path().string());
        testsupport::WriteBytes(path, "Titel\x01typed\x01");
        AnswerNextFileDialog(QString::fromStdString(name));
        form->Button8->click();
        EXPECT_EQ(form->Table().GetCell(0, 1), "typed");
        EXPECT_EQ(form->OpenDialog1.FileName(), path);

        EXPECT_EQ(testsupport::ReadBytes(decoy), decoyBytes);
        EXPECT_EQ(entries(), before);
        EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Texts().join("\n").toStdString();
        std::filesystem::remove(path);
    }
}

// The table's invariants, and an open cell editor holding exactly its cell's text.
std::string BrokenInvariant(TForm1& form) {
    const holiday::HolidayTable& t = form.Table();
    const holiday::GridCoord c = t.CurrentCell();
    if (t.ColCount() < 1 || t.RowCount() < 1) {
        return "a count below 1";
    }
    if (t.FixedCols() < 0 || t.FixedCols() >= t.ColCount() || t.FixedRows() < 0 ||
        t.FixedRows() >= t.RowCount()) {
        return "a fixed count outside 0 .. count - 1";
    }
    if (c.Col < t.FixedCols() || c.Col >= t.ColCount() || c.Row < t.FixedRows() ||
        c.Row >= t.RowCount()) {
        return "the current cell outside the non-fixed extent";
    }
    const auto* editor = static_cast<const GridCellEditor*>(form.sg->Editor());
    if (form.sg->IsEditorOpen() && editor->WholeText() != t.GetCell(c.Col, c.Row)) {
        return "the open cell editor's text differs from its cell";
    }
    return {};
}

class Soak : public WindowTest, public testing::WithParamInterface<std::uint64_t> {};

TEST_P(Soak, RandomUserActions) {
    const char* stepsText = std::getenv("MIREVO_SOAK_STEPS");
    const std::size_t stepCount =
        stepsText != nullptr ? std::strtoull(stepsText, nullptr, 10) : 300;
    const std::uint64_t seed = GetParam();
    std::printf("soak: %s platform, %zu steps, seed %llu (replay with MIREVO_SOAK_SEED=%llu)\n",
                qPrintable(QGuiApplication::platformName()), stepCount,
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
    std::fflush(stdout); // also a crash leaves the seed behind

    std::mt19937_64 random(seed);
    auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    const testsupport::TemporaryFolder folder("mirevo-soak");
    testsupport::WriteBytes(folder.At("huge.txt"), std::string(std::size_t{6} << 20, 'x') +
                                                       "\x01"
                                                       "01.02\0"s +
                                                       std::string(std::size_t{1} << 20, 'y'));
    testsupport::WriteBytes(folder.At("rules.hol"), "Title\0Start\0Dir\0Offset\0Note\0Bayern\x01"
                                                    "Easter Monday\0Easter\0"
                                                    "0\0+1\0\0"
                                                    "1\x01"
                                                    "Buß- und Bettag\0"
                                                    "30.11\0-We\0-7\0\0#\x01"s);
    form->OpenDialog1.Executor = [&](HolidayFileDialog&) -> std::optional<std::string> {
        if (pick(3) == 0) { // random bytes, many of them separators
            std::string bytes(pick(1 << 16), '\0');
            const std::size_t range = pick(2) == 0 ? 4 : 256;
            for (char& b : bytes) {
                b = static_cast<char>(pick(range));
            }
            testsupport::WriteBytes(folder.At("random.hol"), bytes);
            return folder.At("random.hol");
        }
        const char* names[] = {"huge.txt", "rules.hol", "saved.hol", "missing.hol"};
        return folder.At(names[pick(std::size(names))]);
    };
    form->SaveDialog1.Executor = [&](HolidayFileDialog&) -> std::optional<std::string> {
        return folder.At("saved.hol");
    };
    auto type = [&](const QString& text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, text);
        QCoreApplication::sendEvent(Focused(), &press);
    };
    const QString texts[] = {QStringLiteral("Ostern"),
                             QString::fromUtf8("Mariä Himmelfahrt Äß"),
                             QString::fromUtf8("a\0b\x01"
                                               "c",
                                               5),
                             QStringLiteral("30.11"),
                             QStringLiteral("-We"),
                             QString(100'000, u'w')};
    const Qt::Key keys[] = {Qt::Key_Up,     Qt::Key_Down,      Qt::Key_Left,   Qt::Key_Right,
                            Qt::Key_Home,   Qt::Key_End,       Qt::Key_PageUp, Qt::Key_PageDown,
                            Qt::Key_Return, Qt::Key_Enter,     Qt::Key_Escape, Qt::Key_F2,
                            Qt::Key_Tab,    Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Insert,
                            Qt::Key_A,      Qt::Key_C,         Qt::Key_X,      Qt::Key_Z};
    const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier,
                                          Qt::ControlModifier | Qt::ShiftModifier};
    QWidget* const clickable[] = {form->Button1,   form->Button2,   form->Button3,   form->Button4,
                                  form->Button5,   form->Button6,   form->Button7,   form->Button8,
                                  form->CheckBox1, form->CheckBox2, form->returndown};
    const struct {
        const char* name;
        int weight;
        std::function<void()> run;
    } actions[] = {
        {"click a cell", 12,
         [&] {
             QWidget* viewport = form->sg->viewport();
             const QPoint at(static_cast<int>(pick(static_cast<std::size_t>(viewport->width()))),
                             static_cast<int>(pick(static_cast<std::size_t>(viewport->height()))));
             QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
         }},
        {"drag in the grid", 3,
         [&] {
             // Near the left edge: a row border while the first column is fixed.
             QWidget* viewport = form->sg->viewport();
             const auto y = [&] {
                 return static_cast<int>(pick(static_cast<std::size_t>(viewport->height())));
             };
             const int x = static_cast<int>(pick(80));
             QTest::mousePress(viewport, Qt::LeftButton, {}, {x, y()});
             QMouseEvent move(QEvent::MouseMove, QPointF(x, y()),
                              viewport->mapToGlobal(QPointF(x, 0)), Qt::NoButton, Qt::LeftButton,
                              Qt::NoModifier);
             QCoreApplication::sendEvent(viewport, &move);
             QTest::mouseRelease(viewport, Qt::LeftButton, {}, {x, y()});
         }},
        {"click a button or a check box", 8,
         [&] { QTest::mouseClick(clickable[pick(std::size(clickable))], Qt::LeftButton); }},
        {"press a key in the grid", 24,
         [&] {
             if (!form->sg->isAncestorOf(Focused())) {
                 form->sg->setFocus();
             }
             QTest::keyClick(Focused(), keys[pick(std::size(keys))], mods[pick(std::size(mods))]);
         }},
        {"press a key", 6,
         [&] {
             QTest::keyClick(Focused(), keys[pick(std::size(keys))], mods[pick(std::size(mods))]);
         }},
        {"type a text", 10, [&] { type(texts[pick(std::size(texts) + 4) % std::size(texts)]); }},
        {"paste from an empty clipboard", 4,
         [&] {
             QGuiApplication::clipboard()->clear();
             QWidget* target = pick(2) == 0 ? Focused() : form->Memo1;
             QTest::keyClick(target, pick(2) == 0 ? Qt::Key_V : Qt::Key_Insert,
                             pick(2) == 0 ? Qt::ControlModifier : Qt::ShiftModifier);
         }},
        {"paste a text", 4,
         [&] {
             QGuiApplication::clipboard()->setText(texts[pick(std::size(texts))]);
             QTest::keyClick(Focused(), Qt::Key_V, Qt::ControlModifier);
         }},
        {"scroll", 3,
         [&] {
             QScrollBar* bar =
                 pick(2) == 0 ? form->sg->verticalScrollBar() : form->sg->horizontalScrollBar();
             bar->setValue(bar->minimum() + static_cast<int>(pick(static_cast<std::size_t>(
                                                bar->maximum() - bar->minimum() + 1))));
         }},
    };
    int total = 0;
    for (const auto& action : actions) {
        total += action.weight;
    }

    std::size_t steps = 0;
    while (steps < stepCount) {
        auto chosen = static_cast<int>(pick(static_cast<std::size_t>(total)));
        const auto* action = std::begin(actions);
        for (; chosen >= action->weight; ++action) {
            chosen -= action->weight;
        }
        action->run();
        QCoreApplication::processEvents();
        ++steps;
        const std::string broken = BrokenInvariant(*form);
        ASSERT_TRUE(broken.empty())
            << broken << " after step " << steps << " (" << action->name << "); replay with "
            << "MIREVO_SOAK_SEED=" << seed << " MIREVO_SOAK_STEPS=" << stepCount;
    }
    std::printf("soak: %zu actions, %zu error boxes\n", steps, boxes.Boxes().size());
}

INSTANTIATE_TEST_SUITE_P(Seeds, Soak, testing::ValuesIn(SoakSeeds()),
                         [](const testing::TestParamInfo<std::uint64_t>& seed) {
                             return "seed" + std::to_string(seed.param);
                         });

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const bool x = !GTEST_FLAG_GET(list_tests) && std::getenv("MIREVO_SOAK_OFFSCREEN") == nullptr &&
                   StartXvfb();
    gOnXServer = x;
    ::setenv("QT_QPA_PLATFORM", x ? "xcb" : "offscreen", 1);
    int status = 1;
    {
        QApplication app(argc, argv);
        RegisterApplicationFonts();
        status = RUN_ALL_TESTS();
    }
    if (gXvfb > 0) {
        ::kill(gXvfb, SIGTERM);
        ::waitpid(gXvfb, nullptr, 0);
    }
    return status;
}
