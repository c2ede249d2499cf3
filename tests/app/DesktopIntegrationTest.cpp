#include "FormTestSupport.h"
#include "RecordingMessageBox.h"
#include "app/CommandLine.h"
#include "app/DroppedFile.h"
#include "app/HolidayGrid.h"
#include "app/ReportMemo.h"
#include "tests/support/ByteFiles.h"
#include "tests/support/TemporaryFolder.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <optional>

using namespace app;

namespace {

using Action = CommandLine::Action;

TEST(CommandLineTest, ArgumentsGiveOneActionAndAtMostOneFile) {
    const struct {
        std::vector<std::string> Arguments;
        Action What;
        std::string File;
    } cases[] = {
        {{}, Action::Run, ""},
        {{"de.hol"}, Action::Run, "de.hol"},
        {{"--", "-odd.hol"}, Action::Run, "-odd.hol"},
        {{"-"}, Action::Run, "-"},
        {{"--help"}, Action::Help, ""},
        {{"de.hol", "--version"}, Action::Version, ""},
        {{"a.hol", "b.hol"}, Action::Error, ""},
        {{"-style", "fusion"}, Action::Error, ""}, // Qt's own options are not taken
        {{"--reverse"}, Action::Error, ""},
        {{""}, Action::Error, ""},
    };
    for (const auto& c : cases) {
        const CommandLine command = ParseCommandLine("mirevo-holidays", c.Arguments);
        EXPECT_EQ(command.What, c.What) << testing::PrintToString(c.Arguments);
        EXPECT_EQ(command.File, c.File) << testing::PrintToString(c.Arguments);
        if (c.What == Action::Error) {
            EXPECT_EQ(std::count(command.Text.begin(), command.Text.end(), '\n'), 1);
        }
    }
}

std::unique_ptr<QMimeData> Drag(const QStringList& urls) {
    auto data = std::make_unique<QMimeData>();
    data->setText(QStringLiteral("x.hol"));
    if (!urls.isEmpty()) {
        data->setUrls(QList<QUrl>(urls.begin(), urls.end()));
    }
    return data;
}

TEST(DroppedFileTest, OnlyOneLocalHolFileIsTaken) {
    const struct {
        QStringList Urls;
        std::optional<std::string> Path;
    } cases[] = {
        {{"file:///data/Bayern%20%C3%A4.hol"}, "/data/Bayern ä.hol"},
        {{"file:///data/DE.HOL"}, "/data/DE.HOL"},
        {{"file:///data/a.hol", "file:///data/b.hol"}, std::nullopt},
        {{"https://example.org/de.hol"}, std::nullopt},
        {{"file:///data/de.txt"}, std::nullopt},
        {{"file:///data/folder.hol/"}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DroppedHolidayFile(Drag(c.Urls).get()), c.Path)
            << c.Urls.join(u' ').toStdString();
    }
}

using DesktopIntegration = FormTest;

// As Qt delivers a drag: the drop goes where the drag was accepted on entering.
bool DropOn(QWidget* target, const QMimeData& data) {
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &event);
    return event.isAccepted();
}

TEST_F(DesktopIntegration, AHolFileDroppedOnTheWindowOrGivenAtStartIsOpened) {
    const testsupport::TemporaryFolder folder("mirevo-drop");
    const std::string path = folder.At("Feier\"tage ä.hol");
    testsupport::WriteBytes(path, std::string("Titel\0Datum\x01Ostern\0Easter\x01", 26));
    RecordingMessageBox boxes;
    Form().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form()));

    const auto drop = DropOn;
    const QString url = QUrl::fromLocalFile(QString::fromStdString(path)).toString();
    Form().sg->OpenEditor(HolidayGrid::EditorOpening::SelectAll);
    // The window, the open cell editor and the report box.
    QWidget* const targets[] = {&Form(), Form().sg->Editor(), Form().Memo1->viewport()};
    const QString report = Form().Memo1->Text();
    for (QWidget* target : targets) {
        EXPECT_FALSE(drop(target, *Drag({url, QStringLiteral("file:///tmp/other.hol")})));
        EXPECT_FALSE(drop(target, *Drag({}))); // text only
    }
    EXPECT_EQ(Table().GetCell(0, 1), "");
    EXPECT_EQ(Form().Memo1->Text(), report);
    EXPECT_TRUE(boxes.Texts().isEmpty());
    for (QWidget* target : {targets[1], targets[2], targets[0]}) {
        Table().SetCell(0, 1, "");
        EXPECT_TRUE(drop(target, *Drag({url}))) << target->metaObject()->className();
        EXPECT_EQ(Table().GetCell(0, 1), "Ostern");
    }
    EXPECT_EQ(Form().OpenDialog1.FileName(), path);
    EXPECT_EQ(Form().SaveDialog1.FileName(), "Feier\"tage ä.hol");

    // Started as `mirevo-holidays ./sub/../NAME` in the file's folder: the open command gets
    // the clean absolute path, as from the dialog.
    const std::filesystem::path working = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    const std::string given = PathToOpen("./sub/../Feier\"tage ä.hol");
    const std::string cwd = std::filesystem::current_path().string();
    std::filesystem::current_path(working);
    TForm1 started;
    started.OpenWhenShown(given);
    started.show();
    EXPECT_EQ(started.Table().GetCell(1, 1), "") << "opened after FormShow, not in it";
    EXPECT_FALSE(started.OpenDialog1.InitialDir().empty()) << "FormShow ran first";
    QTRY_COMPARE(started.Table().GetCell(1, 1), std::string("Easter"));
    EXPECT_EQ(started.OpenDialog1.FileName(), cwd + "/Feier\"tage ä.hol");
    EXPECT_EQ(started.SaveDialog1.InitialDir(), cwd);
    EXPECT_EQ(started.SaveDialog1.FileName(), "Feier\"tage ä.hol");
    EXPECT_TRUE(boxes.Texts().isEmpty());
}

TEST_F(DesktopIntegration, AnIcsFileDroppedOnTheWindowIsImportedIntoTheOpenTable) {
    const testsupport::TemporaryFolder folder("mirevo-drop");
    const std::string hol = folder.At("us.hol"), ics = folder.At("Feiertage.ics");
    testsupport::WriteBytes(hol, std::string("Title\0Start\0D\0O\0\0US\x01"
                                             "Christmas\0"
                                             "25.12\0"
                                             "0\0"
                                             "0\0\0#\x01",
                                             43));
    testsupport::WriteBytes(ics, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n"
                                 "X-WR-CALNAME:Bayern\r\n"
                                 "BEGIN:VEVENT\r\nUID:1\r\nDTSTART;VALUE=DATE:20200101\r\n"
                                 "RRULE:FREQ=YEARLY;UNTIL=20291231\r\nSUMMARY:Neujahr\r\n"
                                 "END:VEVENT\r\n"
                                 "BEGIN:VEVENT\r\nUID:2\r\nDTSTART;VALUE=DATE:20201225\r\n"
                                 "RRULE:FREQ=YEARLY;COUNT=10\r\nSUMMARY:Weihnachten\r\n"
                                 "END:VEVENT\r\nEND:VCALENDAR\r\n");
    RecordingMessageBox boxes;
    Form().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form()));
    Form().OpenFile(hol);
    const QString url = QUrl::fromLocalFile(QString::fromStdString(ics)).toString();
    const QString other =
        QUrl::fromLocalFile(QString::fromStdString(folder.At("x.txt"))).toString();
    EXPECT_FALSE(DropOn(&Form(), *Drag({other})));
    EXPECT_FALSE(DropOn(&Form(), *Drag({url, url})));
    EXPECT_EQ(Table().ColCount(), 6);

    // Christmas is the row that is there; New Year is a new row; the rest stays.
    const std::vector<std::vector<std::string>> expected = {
        {"Title", "Start", "D", "O", "", "US", "Bayern"},
        {"Christmas", "25.12", "0", "0", "", "#", "#"},
        {"Neujahr", "01.01", "0", "0", "", "", "#"},
    };
    for (int round = 0; round < 2; ++round) { // a second drop marks the same column
        EXPECT_TRUE(DropOn(Form().Memo1->viewport(), *Drag({url})));
        ASSERT_EQ(Table().ColCount(), 7);
        ASSERT_EQ(Table().RowCount(), 3);
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 7; ++col) {
                EXPECT_EQ(Table().GetCell(col, row),
                          expected[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)])
                    << col << "," << row;
            }
        }
        const QStringList lines = Form().Memo1->Lines();
        ASSERT_EQ(lines.size(), 3);
        EXPECT_EQ(lines[0], "Calendar \"Bayern\", 2020-2029: 2 titles, 2 rules, 0 ambiguous, 0 "
                            "without a rule");
        EXPECT_EQ(lines[1],
                  round == 0 ? "  Neujahr: 01.01 0 0 (new row 2)" : "  Neujahr: 01.01 0 0 (row 2)");
        EXPECT_EQ(lines[2], "  Weihnachten: 25.12 0 0 (row 1)");
    }
    EXPECT_TRUE(boxes.Texts().isEmpty());
}

} // namespace
