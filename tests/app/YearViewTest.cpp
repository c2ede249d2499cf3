// The year view on the real widgets (in app_WindowInXServer, whose main starts Xvfb): the German
// example opened in the window, DE-SL and DE-BY in 2026.

#include "RecordingMessageBox.h"
#include "app/TForm1.h"
#include "app/YearViewDialog.h"
#include "app/YearViewMonths.h"
#include "tests/support/ByteFiles.h"
#include "tests/support/TemporaryFolder.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

using namespace app;

namespace {

constexpr std::int32_t DeBy = 6;
constexpr std::int32_t DeSl = 16;
constexpr std::int32_t Martinstag = 30;  // 11.11., marked "1" everywhere
constexpr std::int32_t Heiligabend = 39; // 24.12., marked "1" everywhere
constexpr std::int32_t Neujahr = 1;

enum class Ink { Sunday, Saturday, Plain };

class YearView : public testing::Test {
protected:
    void SetUp() override {
        form.SetLocaleSettings(rules::LocaleDateSettings::German());
        form.OpenFile(MIREVO_SOURCE_DIR "/data/examples/de.hol");
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.ShowYearView(DeSl);
        view = form.findChild<YearViewDialog*>();
        ASSERT_NE(view, nullptr);
        view->YearBox->setValue(2026);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
        Settle();
    }

    // Lets the view work out the table's changes.
    static void Settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
        }
    }

    // The ink of a day's number as drawn on the screen.
    [[nodiscard]] Ink InkOn(int month, int day) const {
        const QImage shot = view->Months->grab().toImage();
        const QRect cell = view->Months->DayRect(rules::CalendarDate::FromYmd(2026, month, day));
        int sunday = 0;
        int saturday = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                const auto near = [&c](const QColor& to) {
                    return std::abs(c.red() - to.red()) + std::abs(c.green() - to.green()) +
                               std::abs(c.blue() - to.blue()) <
                           90;
                };
                sunday += near(SundayColour) ? 1 : 0;
                saturday += near(SaturdayColour) ? 1 : 0;
            }
        }
        return sunday > 5 ? Ink::Sunday : saturday > 5 ? Ink::Saturday : Ink::Plain;
    }

    RecordingMessageBox boxes;
    TForm1 form;
    YearViewDialog* view = nullptr;
};

TEST_F(YearView, DaysTakeTheColoursOfTheirMarksAndFollowEdits) {
    // Mariä Himmelfahrt, a Saturday in 2026, marked "#" in DE-SL.
    form.Table().SetCell(DeSl, Martinstag, "*");
    Settle();
    const struct {
        const char* Name;
        int Month;
        int Day;
        Ink Expected;
    } cases[] = {
        {"Mariä Himmelfahrt #", 8, 15, Ink::Sunday},
        {"Martinstag * on a Wednesday", 11, 11, Ink::Saturday},
        {"Heiligabend 1 on a Thursday", 12, 24, Ink::Plain},
        {"a plain Friday", 8, 14, Ink::Plain},
        {"a plain Sunday", 8, 16, Ink::Sunday},
        {"a plain Saturday", 8, 22, Ink::Saturday},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InkOn(c.Month, c.Day), c.Expected) << c.Name;
    }
    const QString tip = view->Months->DayText(rules::CalendarDate::FromYmd(2026, 8, 15));
    EXPECT_EQ(tip, QString::fromUtf8("15.08.2026\nMariä Himmelfahrt"));

    // An edit of the shown column shows once its events are done.
    form.Table().SetCell(DeSl, Heiligabend, "#");
    Settle();
    EXPECT_EQ(InkOn(12, 24), Ink::Sunday);
    // In DE-BY the same day is only a title.
    form.ShowYearView(DeBy);
    EXPECT_EQ(form.findChildren<YearViewDialog*>().size(), 1);
    EXPECT_EQ(view->Configuration->currentText(), "DE-BY");
    EXPECT_EQ(InkOn(8, 15), Ink::Saturday);
}

TEST_F(YearView, AFaultyRuleAndALostColumnShowWhatTheyAre) {
    form.Table().SetCell(1, Neujahr, "31.04");
    Settle();
    EXPECT_EQ(view->Message(), QString::fromUtf8("'31.04.2026' ist kein gültiges Datum."));
    form.Table().SetCell(1, Neujahr, "01.01");
    Settle();
    EXPECT_TRUE(view->Message().isEmpty());

    // Shrunk below the shown column: the first configuration; without any: a clear message.
    form.Table().SetColCount(8);
    Settle();
    EXPECT_EQ(view->Column(), 5);
    EXPECT_EQ(view->Configuration->count(), 3);
    form.Table().SetColCount(5);
    Settle();
    EXPECT_EQ(view->Column(), -1);
    EXPECT_TRUE(view->Message().contains("no configuration column"));
    form.Table().SetColCount(21);
    Settle();
    EXPECT_EQ(view->Column(), 5);

    // The view closes with the window.
    form.close();
    EXPECT_FALSE(view->isVisible());
}

TEST_F(YearView, ExportsAPdfAndAPngOfTheSheetsSize) {
    testsupport::TemporaryFolder folder("year-view");
    for (const char* name : {"sheet.pdf", "sheet.png"}) {
        SCOPED_TRACE(name);
        const std::string path = folder.At(name);
        QString proposed;
        view->ExportDialog().Executor = [&](QFileDialog& dialog) -> std::optional<std::string> {
            proposed = dialog.selectedFiles().value(0);
            return path;
        };
        view->Export();
        EXPECT_TRUE(proposed.endsWith("DE-SL 2026.pdf")) << proposed.toStdString();
        const std::string bytes = testsupport::ReadBytes(path);
        if (std::string(name).ends_with(".pdf")) {
            EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
            EXPECT_GT(bytes.size(), 2000U);
        } else {
            const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                                                  static_cast<int>(bytes.size()), "PNG");
            EXPECT_EQ(image.size(), YearViewPngSize);
        }
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(YearView, ScreenshotOfTheGermanExampleInBavaria) {
    form.ShowYearView(DeBy);
    view->Months->SelectDate(rules::CalendarDate::FromYmd(2026, 8, 15));
    view->Months->OnSelected(rules::CalendarDate::FromYmd(2026, 8, 15));
    Settle();
    const QString shots = QStringLiteral(MIREVO_BINARY_DIR "/screenshots");
    ASSERT_TRUE(QDir().mkpath(shots));
    EXPECT_TRUE(view->grab().save(shots + QStringLiteral("/year-view.png")));
}

} // namespace
