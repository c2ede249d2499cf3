// The window in a real X server: pastes from an empty clipboard into every text widget, and a
// seeded soak test of random user actions. main() starts its own Xvfb (xcb platform, a clipboard
// that nobody has filled) and falls back to the offscreen platform where Xvfb is missing.
//
// MIREVO_SOAK_SECONDS sets the soak's duration, MIREVO_SOAK_SEED replays a seed.

#include "../support/TemporaryFolder.h"
#include "RecordingMessageBox.h"
#include "app/ApplicationFonts.h"
#include "app/GridCellEditor.h"
#include "app/HolidayGrid.h"
#include "app/ReportMemo.h"
#include "app/TForm1.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <random>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using holiday::GridCoord;
using namespace std::string_view_literals;

pid_t gXvfb = -1;

// Starts Xvfb on a display number of its own choice; true once it serves DISPLAY.
bool StartXvfb() {
    int fds[2];
    if (::pipe(fds) != 0) {
        return false;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        // Xvfb ends with this process, also when it crashes, and holds none of its output.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
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
    if (pid <= 0 || number.empty()) {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
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
        mForm = std::make_unique<TForm1>();
        mForm->SetLocaleSettings(rules::LocaleDateSettings::German());
        mForm->show();
        mForm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(mForm.get()));
        (void)QTest::qWaitForWindowActive(mForm.get());
    }
    void TearDown() override { mForm.reset(); }

    [[nodiscard]] TForm1& Form() { return *mForm; }
    [[nodiscard]] GridCellEditor& Editor() {
        return *static_cast<GridCellEditor*>(mForm->sg->Editor());
    }

    RecordingMessageBox mBoxes;
    std::unique_ptr<TForm1> mForm;
};

// --- Paste ---------------------------------------------------------------------------------------

TEST_F(WindowTest, PasteFromAnEmptyClipboardDoesNothingInEveryTextWidget) {
    holiday::HolidayTable& table = Form().Table();
    table.SetCell(0, 1, "Easter");
    struct Target {
        const char* name;
        std::function<QWidget*()> focus; // gives the focus to the widget and returns it
        std::function<QString()> text;
    };
    const Target targets[] = {
        {"report box",
         [&]() -> QWidget* {
             Form().Memo1->setFocus();
             return Form().Memo1;
         },
         [&] { return Form().Memo1->toPlainText(); }},
        {"cell editor",
         [&]() -> QWidget* {
             Form().sg->setFocus();
             Form().sg->OpenEditor(HolidayGrid::EditorOpening::CaretAtEnd);
             return &Editor();
         },
         [&] { return QString::fromStdString(table.GetCell(0, 1)); }},
    };
    const std::pair<Qt::Key, Qt::KeyboardModifiers> pasteKeys[] = {
        {Qt::Key_V, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ShiftModifier}};
    for (const Target& target : targets) {
        for (const auto& [key, mods] : pasteKeys) {
            SCOPED_TRACE(target.name);
            QGuiApplication::clipboard()->clear();
            QWidget* widget = target.focus();
            const QString before = target.text();
            QTest::keyClick(widget, key, mods);
            QCoreApplication::processEvents();
            EXPECT_EQ(target.text(), before);
        }
        // A paste of text still works; the cell editor drops U+0000 and U+0001.
        QGuiApplication::clipboard()->setText(QString::fromUtf8("!\0?\x01", 4));
        QTest::keyClick(target.focus(), Qt::Key_V, Qt::ControlModifier);
        EXPECT_TRUE(target.text().contains(u'!')) << target.name;
    }
    EXPECT_EQ(table.GetCell(0, 1), "Easter!?");
}

// --- Soak ----------------------------------------------------------------------------------------

std::string Repeated(char c, std::size_t n) {
    return std::string(n, c);
}

// A seeded random sequence of user actions on the whole window. After every action the table's
// invariants hold and an open cell editor holds exactly the text of its cell.
class Soak {
public:
    Soak(TForm1& form, std::uint64_t seed, const testsupport::TemporaryFolder& folder)
        : mForm(form), mRandom(seed), mFolder(folder) {
        mForm.OpenDialog1.Executor = [this](HolidayFileDialog&) { return NextFile(); };
        mForm.SaveDialog1.Executor = [this](HolidayFileDialog&) -> std::optional<std::string> {
            return mFolder.At("saved.hol");
        };
        std::ofstream(mFolder.At("huge.txt"), std::ios::binary)
            << Repeated('x', std::size_t{6} << 20)
            << "\x01"
               "01.02\0"sv
            << Repeated('y', std::size_t{1} << 20);
        std::ofstream(mFolder.At("rules.hol"), std::ios::binary)
            << "Title\0Start\0Dir\0Offset\0Note\0Bayern\x01"
               "Easter Monday\0Easter\0"
               "0\0+1\0\0"
               "1\x01"
               "Buß- und Bettag\0"
               "30.11\0-We\0-7\0\0#\x01"sv;
    }

    // Runs one random action; returns its name.
    const char* Step();
    // The first broken invariant, or empty.
    [[nodiscard]] std::string BrokenInvariant() const;

private:
    struct Action {
        const char* Name;
        int Weight;
        void (Soak::*Run)();
    };
    static const std::vector<Action> Actions;

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(mRandom); }
    QWidget* Focused() {
        QWidget* focused = QApplication::focusWidget();
        return focused != nullptr ? focused : mForm.sg;
    }
    void Type(const QString& text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, text);
        QCoreApplication::sendEvent(Focused(), &press);
    }
    std::optional<std::string> NextFile();

    void ClickCell();
    void ClickButton();
    void ClickCheckBox();
    void PressKey();
    void TypeText();
    void PasteEmpty();
    void PasteText();
    void Open();
    void Test();
    void Scroll();

    TForm1& mForm;
    std::mt19937_64 mRandom;
    const testsupport::TemporaryFolder& mFolder;
};

const std::vector<Soak::Action> Soak::Actions{{
    {"click a cell", 12, &Soak::ClickCell},
    {"click a button", 6, &Soak::ClickButton},
    {"click a check box", 4, &Soak::ClickCheckBox},
    {"press a key", 30, &Soak::PressKey},
    {"type a text", 10, &Soak::TypeText},
    {"paste from an empty clipboard", 4, &Soak::PasteEmpty},
    {"paste a text", 4, &Soak::PasteText},
    {"open a file", 2, &Soak::Open},
    {"test", 2, &Soak::Test},
    {"scroll", 3, &Soak::Scroll},
}};

const char* Soak::Step() {
    int total = 0;
    for (const Action& action : Actions) {
        total += action.Weight;
    }
    int pick = Pick(total);
    for (const Action& action : Actions) {
        if (pick < action.Weight) {
            (this->*action.Run)();
            QCoreApplication::processEvents();
            return action.Name;
        }
        pick -= action.Weight;
    }
    return "";
}

std::string Soak::BrokenInvariant() const {
    const holiday::HolidayTable& t = mForm.Table();
    const GridCoord c = t.CurrentCell();
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
    if (mForm.sg->IsEditorOpen()) {
        const auto& editor = *static_cast<const GridCellEditor*>(mForm.sg->Editor());
        if (editor.WholeText() != t.GetCell(c.Col, c.Row)) {
            return "the open cell editor's text differs from its cell";
        }
    }
    return {};
}

void Soak::ClickCell() {
    QWidget* viewport = mForm.sg->viewport();
    const QPoint at(Pick(viewport->width()), Pick(viewport->height()));
    if (Pick(4) == 0) {
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    } else {
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    }
}

void Soak::ClickButton() {
    // "open hol file" has an action of its own.
    QPushButton* const buttons[] = {mForm.Button1, mForm.Button2, mForm.Button3, mForm.Button4,
                                    mForm.Button5, mForm.Button6, mForm.Button7};
    QTest::mouseClick(buttons[Pick(std::size(buttons))], Qt::LeftButton);
}

void Soak::ClickCheckBox() {
    QCheckBox* const boxes[] = {mForm.CheckBox1, mForm.CheckBox2, mForm.returndown};
    QTest::mouseClick(boxes[Pick(std::size(boxes))], Qt::LeftButton);
}

void Soak::PressKey() {
    static constexpr int Keys[] = {
        Qt::Key_Up,     Qt::Key_Down,   Qt::Key_Left,     Qt::Key_Right,     Qt::Key_Home,
        Qt::Key_End,    Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Return,    Qt::Key_Enter,
        Qt::Key_Escape, Qt::Key_F2,     Qt::Key_Tab,      Qt::Key_Backspace, Qt::Key_Delete,
        Qt::Key_Insert, Qt::Key_A,      Qt::Key_C,        Qt::Key_X,         Qt::Key_Z};
    static const Qt::KeyboardModifiers Mods[] = {Qt::NoModifier, Qt::ShiftModifier,
                                                 Qt::ControlModifier,
                                                 Qt::ControlModifier | Qt::ShiftModifier};
    // Keys go to the grid most of the time, else wherever the focus is.
    QWidget* target = Focused();
    if (Pick(3) != 0 && !mForm.sg->isAncestorOf(target) && target != mForm.sg) {
        mForm.sg->setFocus();
        target = Focused();
    }
    QTest::keyClick(target, static_cast<Qt::Key>(Keys[Pick(std::size(Keys))]),
                    Mods[Pick(std::size(Mods))]);
}

void Soak::TypeText() {
    switch (Pick(5)) {
    case 0:
        Type(QStringLiteral("Ostern"));
        break;
    case 1:
        Type(QString::fromUtf8("Mariä Himmelfahrt Äß"));
        break;
    case 2:
        Type(QString::fromUtf8("a\0b\x01"
                               "c",
                               5));
        break;
    case 3:
        Type(QString::number(Pick(32)) + u'.' + QString::number(Pick(13)));
        break;
    default:
        Type(QString(100'000, u'w'));
        break;
    }
}

void Soak::PasteEmpty() {
    QGuiApplication::clipboard()->clear();
    QWidget* const targets[] = {Focused(), mForm.Memo1, mForm.sg->Editor()};
    QWidget* target = targets[Pick(std::size(targets))];
    if (target == mForm.sg->Editor() && !mForm.sg->IsEditorOpen()) {
        target = mForm.sg;
    }
    QTest::keyClick(target, Pick(2) == 0 ? Qt::Key_V : Qt::Key_Insert,
                    Pick(2) == 0 ? Qt::ControlModifier : Qt::ShiftModifier);
}

void Soak::PasteText() {
    const QString texts[] = {QStringLiteral("+Su"), QString::fromUtf8("x\0y\x01z", 5),
                             QString(20'000, u'p')};
    QGuiApplication::clipboard()->setText(texts[Pick(std::size(texts))]);
    QTest::keyClick(Focused(), Qt::Key_V, Qt::ControlModifier);
}

std::optional<std::string> Soak::NextFile() {
    switch (Pick(4)) {
    case 0: {
        std::string bytes(static_cast<std::size_t>(Pick(1 << 16)), '\0');
        for (char& b : bytes) {
            b = static_cast<char>(Pick(Pick(2) == 0 ? 4 : 256));
        }
        std::ofstream(mFolder.At("random.hol"), std::ios::binary) << bytes;
        return mFolder.At("random.hol");
    }
    case 1:
        return mFolder.At("huge.txt");
    case 2:
        return mFolder.At("rules.hol");
    default:
        return mFolder.At(Pick(2) == 0 ? "missing.hol" : "saved.hol");
    }
}

void Soak::Open() {
    QTest::mouseClick(mForm.Button8, Qt::LeftButton);
}

void Soak::Test() {
    QTest::mouseClick(mForm.Button3, Qt::LeftButton);
}

void Soak::Scroll() {
    QScrollBar* bar =
        Pick(2) == 0 ? mForm.sg->verticalScrollBar() : mForm.sg->horizontalScrollBar();
    bar->setValue(bar->minimum() + Pick(bar->maximum() - bar->minimum() + 1));
}

std::uint64_t SoakSeed() {
    if (const char* seed = std::getenv("MIREVO_SOAK_SEED")) {
        return std::strtoull(seed, nullptr, 10);
    }
    return std::random_device{}();
}

TEST_F(WindowTest, SoakOfRandomUserActions) {
    const char* secondsText = std::getenv("MIREVO_SOAK_SECONDS");
    const double seconds = secondsText != nullptr ? std::atof(secondsText) : 5.0;
    const std::uint64_t seed = SoakSeed();
    std::printf("soak: %s platform, %.0f s, seed %llu (replay with MIREVO_SOAK_SEED=%llu)\n",
                qPrintable(QGuiApplication::platformName()), seconds,
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
    std::fflush(stdout);
    const testsupport::TemporaryFolder folder("mirevo-soak");
    Soak soak(Form(), seed, folder);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::size_t steps = 0;
    while (std::chrono::steady_clock::now() < end) {
        const char* action = soak.Step();
        ++steps;
        const std::string broken = soak.BrokenInvariant();
        ASSERT_TRUE(broken.empty())
            << broken << " after step " << steps << " (" << action << "); seed " << seed;
    }
    std::printf("soak: %zu actions, %zu error boxes\n", steps, mBoxes.Boxes().size());
}

} // namespace

int main(int argc, char** argv) {
    // MIREVO_SOAK_OFFSCREEN (or a system without Xvfb) runs on the offscreen platform.
    const bool x = std::getenv("MIREVO_SOAK_OFFSCREEN") == nullptr && StartXvfb();
    ::setenv("QT_QPA_PLATFORM", x ? "xcb" : "offscreen", 1);
    int status = 1;
    {
        QApplication app(argc, argv);
        RegisterApplicationFonts();
        testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    if (gXvfb > 0) {
        ::kill(gXvfb, SIGTERM);
        ::waitpid(gXvfb, nullptr, 0);
    }
    return status;
}
