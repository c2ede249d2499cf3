#include "app/LongWork.h"

#include "FormTestSupport.h"
#include "RecordingMessageBox.h"
#include "app/ReportMemo.h"
#include "tests/support/ByteFiles.h"
#include "tests/support/TableSnapshot.h"
#include "tests/support/TemporaryFolder.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <string>

using namespace app;
using namespace std::chrono_literals;

namespace {

// A file of rows rules of about 26 bytes each: title, "Easter", "0", "+1", a mark.
std::string RuleFile(int rows) {
    std::string bytes("Title\0Start\0Move\0Offset\0x\0Bayern\x01", 33);
    for (int row = 1; row < rows; ++row) {
        bytes += "Rule " + std::to_string(row);
        bytes.append("\0Easter\0"
                     "0\0+1\0\0*\x01",
                     16);
    }
    return bytes;
}

// The commands of the window as long work that turns at every step, with a cancel at the turn
// a test asks for; the progress dialog never shows.
class LongWorkTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        mSettings = LongWork::TestSettings();
        LongWork::TestSettings().TurnInterval = 0ms;
        LongWork::TestSettings().ShowDelay = 1h;
    }
    void TearDown() override {
        LongWork::TestSettings() = mSettings;
        FormTest::TearDown();
    }
    static void CancelAtTurn(int turn) { LongWork::TestSettings().CancelAtTurn = turn; }
    [[nodiscard]] std::string At(const std::string& name) const { return mFolder.At(name); }
    void SetRules(int rows) {
        for (int row = 1; row < rows; ++row) {
            Table().SetCell(0, row, "Rule " + std::to_string(row));
            Table().SetCell(1, row, "Easter");
            Table().SetCell(2, row, "0");
            Table().SetCell(3, row, "+1");
        }
    }
    [[nodiscard]] QStringList FullReport() {
        Form().Button3Click(nullptr);
        return Form().Memo1->Lines();
    }

    RecordingMessageBox mBoxes;

private:
    LongWork::Settings mSettings;
    testsupport::TemporaryFolder mFolder{"mirevo-longwork"};
};

// Cancelled while reading (the file is read in steps of 1 MiB, each a turn), the open leaves
// the table, its fixed counts, current cell and widths, and the save dialog as they were, and
// shows nothing.
TEST_F(LongWorkTest, CancelledOpenLeavesEverythingAsItWas) {
    testsupport::WriteBytes(At("first.hol"), RuleFile(10));
    testsupport::WriteBytes(At("large.hol"), RuleFile(80'000)); // two steps of reading
    Form().OpenFile(At("first.hol"));
    Table().SetFixedCols(1);
    Table().SetCurrentCell({3, 4});
    Table().SetColWidth(2, 120);
    for (const int turn : {1, 2}) {
        SCOPED_TRACE(turn);
        const testsupport::TableState before = testsupport::Snapshot(Table());
        CancelAtTurn(turn);
        RunGuarded(&Form(), [this] { Form().OpenFile(At("large.hol")); });
        EXPECT_EQ(testsupport::Snapshot(Table()), before);
        EXPECT_EQ(Form().SaveDialog1.FileName(), "first.hol");
        EXPECT_TRUE(mBoxes.Boxes().empty());
    }
    CancelAtTurn(0);
    Form().OpenFile(At("large.hol"));
    EXPECT_EQ(Table().RowCount(), 80'000);
    EXPECT_EQ(Form().SaveDialog1.FileName(), "large.hol");
}

// The window's events run while a file is read: a timer due before the open fires inside it.
TEST_F(LongWorkTest, EventsRunWhileAFileIsRead) {
    testsupport::WriteBytes(At("large.hol"), RuleFile(80'000));
    bool firedInsideTheWork = false;
    QTimer::singleShot(0, &Form(), [&] { firedInsideTheWork = LongWork::Running(); });
    Form().OpenFile(At("large.hol"));
    EXPECT_TRUE(firedInsideTheWork);
    EXPECT_FALSE(LongWork::Running());
}

// A cancelled save keeps the old file byte for byte and leaves no temporary file beside it.
TEST_F(LongWorkTest, CancelledSaveKeepsTheOldFile) {
    const std::string old = RuleFile(3);
    testsupport::WriteBytes(At("de.hol"), old);
    SetRules(10'000);
    Form().SaveDialog1.Executor = [this](HolidayFileDialog&) { return At("de.hol"); };
    for (const int turn : {1, 2}) {
        SCOPED_TRACE(turn);
        CancelAtTurn(turn);
        RunGuarded(&Form(), [this] { Form().Button1Click(nullptr); });
        EXPECT_EQ(testsupport::ReadBytes(At("de.hol")), old);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(At("")),
                                std::filesystem::directory_iterator()),
                  1);
    }
    EXPECT_TRUE(mBoxes.Boxes().empty());
}

// A cancelled "test" keeps the lines it wrote, without a message.
TEST_F(LongWorkTest, CancelledTestKeepsTheLinesSoFar) {
    SetRules(3'000);
    const QStringList full = FullReport();
    CancelAtTurn(6);
    RunGuarded(&Form(), [this] { Form().Button3Click(nullptr); });
    const QStringList lines = Form().Memo1->Lines();
    ASSERT_GT(lines.size(), 1);
    ASSERT_LT(lines.size(), full.size());
    EXPECT_EQ(lines, full.mid(0, lines.size()));
    EXPECT_TRUE(mBoxes.Boxes().empty());
}

// Nothing the user does reaches the window while the work runs: a click on "add row" is
// dropped, and a close cancels the work and closes the window once the command has ended.
TEST_F(LongWorkTest, InputIsDroppedAndACloseWaitsForTheEnd) {
    SetRules(3'000);
    const QStringList full = FullReport();
    Form().show();
    const QPoint centre = Form().Button2->rect().center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QCoreApplication::postEvent(
            Form().Button2, new QMouseEvent(type, centre, Form().Button2->mapToGlobal(centre),
                                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    }
    QCoreApplication::postEvent(&Form(), new QCloseEvent);
    const std::int32_t rows = Table().RowCount();
    RunGuarded(&Form(), [this] { Form().Button3Click(nullptr); });
    EXPECT_EQ(Table().RowCount(), rows);
    EXPECT_LT(Form().Memo1->Lines().size(), full.size());
    EXPECT_TRUE(Form().isVisible());
    QCoreApplication::processEvents();
    EXPECT_FALSE(Form().isVisible());
    EXPECT_TRUE(mBoxes.Boxes().empty());
}

} // namespace
