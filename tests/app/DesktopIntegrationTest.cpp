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

TEST_F(DesktopIntegration, AHolFileDroppedOnTheWindowOrGivenAtStartIsOpened) {
    const testsupport::TemporaryFolder folder("mirevo-drop");
    const std::string path = folder.At("Feier\"tage ä.hol");
    testsupport::WriteBytes(path, std::string("Titel\0Datum\x01Ostern\0Easter\x01", 26));
    RecordingMessageBox boxes;
    Form().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form()));

    // As Qt delivers a drag: the drop goes where the drag was accepted on entering.
    auto drop = [&](QWidget* target, const QMimeData& data) {
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &event);
        return event.isAccepted();
    };
    const QString url = QUrl::fromLocalFile(QString::fromStdString(path)).toString();
    Form().sg->OpenEditor(HolidayGrid::EditorOpening::SelectAll);
    // The window, the open cell editor and the report box.
    QWidget* const targets[] = {&Form(), Form().sg->Editor(), Form().Memo1->viewport()};
    const QString report = Form().Memo1->toPlainText();
    for (QWidget* target : targets) {
        EXPECT_FALSE(drop(target, *Drag({url, QStringLiteral("file:///tmp/other.hol")})));
        EXPECT_FALSE(drop(target, *Drag({}))); // text only
    }
    EXPECT_EQ(Table().GetCell(0, 1), "");
    EXPECT_EQ(Form().Memo1->toPlainText(), report);
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

} // namespace
