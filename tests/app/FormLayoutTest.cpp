#include "FormTestSupport.h"
#include "app/HolidayGrid.h"
#include "app/ReportMemo.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>

using namespace app;

namespace {

struct ControlRow {
    const char* Name;
    const char* Caption;
    int Left;
    int Top;
    int Width;
    int Height;
    int TabOrder;
};

// clang-format off
const std::array<ControlRow, 8> ExpectedButtons{{
    {"Button8", "open hol file",        22, 31,  83, 25, 11},
    {"Button1", "save hol file",        22, 62,  83, 25,  0},
    {"Button2", "add row",             168, 31,  57, 25,  1},
    {"Button5", "add col",             168, 62,  57, 25,  8},
    {"Button4", "delete current row",  231, 31, 130, 25,  5},
    {"Button6", "delete last col",     231, 62, 130, 25,  9},
    {"Button7", "autosize col width",  367, 62, 122, 25, 10},
    {"Button3", "test",                735, 14,  45, 25,  2},
}};
const std::array<ControlRow, 3> ExpectedCheckBoxes{{
    {"CheckBox1",  "Fixed 1st column",                      24, 8,  97, 17, 4},
    {"returndown", "On Return keypress: down",             128, 8, 161, 17, 6},
    {"CheckBox2",  "edit Configurations/states/provinces", 295, 8, 242, 17, 7},
}};

enum class Face { Window, Bold, Large };
struct LabelRow {
    const char* Name;
    const char* Text;
    int Left;
    int Top;
    int Width;  // of the design; the label takes the width of its text
    int Height;
    Face Font;
};
const std::array<LabelRow, 21> ExpectedLabels{{
    {"Label9",  "Feast day / holiday title",   24, 103, 134, 13, Face::Bold},
    {"Label10", "Start Date",                 208, 103,  59, 13, Face::Bold},
    {"Label11", "Direction &",                284, 103,  63, 13, Face::Bold},
    {"Label13", "DayOfWeek",                  284, 113,  66, 13, Face::Bold},
    {"Label12", "Offset",                     362, 103,  34, 13, Face::Bold},
    {"Label15", "Easter Monday",               25, 127,  72, 13, Face::Window},
    {"Label16", "Easter",                     233, 127,  31, 13, Face::Window},
    {"Label17", "0",                          312, 127,   6, 13, Face::Window},
    {"Label18", "+1",                         364, 127,  14, 13, Face::Window},
    {"Label5",  "Last Wednesday in November",  25, 146, 143, 13, Face::Window},
    {"Label6",  "30.11",                      233, 146,  28, 13, Face::Window},
    {"Label7",  "-We",                        308, 146,  20, 13, Face::Window},
    {"Label8",  "0",                          368, 146,   6, 13, Face::Window},
    {"Label4",  "Third Sunday in March",       25, 165, 106, 13, Face::Window},
    {"Label1",  "01.03",                      233, 165,  28, 13, Face::Window},
    {"Label2",  "+Su",                        308, 165,  20, 13, Face::Window},
    {"Label3",  "+14",                        364, 165,  20, 13, Face::Window},
    {"Label14", "A",                          243, 184,  13, 25, Face::Large},
    {"Label20", "B",                          310, 184,  13, 25, Face::Large},
    {"Label21", "C",                          362, 184,  13, 25, Face::Large},
    {"Label19", "1: only show title    *: set saturday's color    #:set sunday's color",
                                              424, 184, 311, 13, Face::Window},
}};
// clang-format on

// Text sizes differ by a few pixels between font renderers: per-glyph rounding adds up over a
// long text, and this Tahoma's line height is one em.
int WidthTolerance(int width) {
    return std::max(4, width * 3 / 100);
}
constexpr int HeightTolerance = 3;

using FormLayout = FormTest;

QString Caption(const char* text) {
    return QString::fromUtf8(text);
}

TEST_F(FormLayout, ButtonsStandWhereTheDesignPutsThem) {
    for (const ControlRow& row : ExpectedButtons) {
        SCOPED_TRACE(row.Name);
        auto* button = Form().findChild<QPushButton*>(Caption(row.Name));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->parentWidget(), Form().Panel1);
        EXPECT_EQ(button->geometry(), QRect(row.Left, row.Top, row.Width, row.Height));
        EXPECT_EQ(button->text(), Caption(row.Caption));
        EXPECT_FALSE(button->autoDefault());
        EXPECT_FALSE(button->isDefault());
        EXPECT_TRUE(button->isEnabled());
        EXPECT_EQ(button->focusPolicy(), Qt::StrongFocus); // a click takes the focus
    }
}

TEST_F(FormLayout, CheckBoxesStandWhereTheDesignPutsThemUnchecked) {
    for (const ControlRow& row : ExpectedCheckBoxes) {
        SCOPED_TRACE(row.Name);
        auto* box = Form().findChild<QCheckBox*>(Caption(row.Name));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->parentWidget(), Form().Panel1);
        EXPECT_EQ(box->geometry(), QRect(row.Left, row.Top, row.Width, row.Height));
        EXPECT_EQ(box->text(), Caption(row.Caption));
        EXPECT_FALSE(box->isChecked());
        EXPECT_FALSE(box->isTristate());
    }
}

TEST_F(FormLayout, LegendLabelsShowTheirTextsInTheirFontsAndSizeThemselves) {
    for (const LabelRow& row : ExpectedLabels) {
        SCOPED_TRACE(row.Name);
        auto* label = Form().findChild<QLabel*>(Caption(row.Name));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->parentWidget(), Form().Panel1);
        EXPECT_EQ(label->text(), Caption(row.Text));
        EXPECT_EQ(label->pos(), QPoint(row.Left, row.Top));
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
        const QFontInfo font(label->font());
        EXPECT_EQ(font.family(), WindowFontFamily());
        EXPECT_EQ(font.pixelSize(), row.Font == Face::Large ? 21 : 11);
        EXPECT_EQ(font.bold(), row.Font == Face::Bold);
        EXPECT_NEAR(label->width(), row.Width, WidthTolerance(row.Width));
        if (font.family() == u"Tahoma") {
            EXPECT_EQ(label->height(), row.Height); // the design's text height, not Qt's 11
        } else {
            EXPECT_NEAR(label->height(), row.Height, HeightTolerance);
        }
    }
}

// The ink of a label's text drawn black on white: the sum of every pixel's darkness.
int Ink(const QFont& font, const QString& text) {
    QLabel label(text);
    label.setTextFormat(Qt::PlainText);
    label.setFont(font);
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    label.setPalette(palette);
    label.adjustSize();
    const QImage image = label.grab().toImage();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ink += 255 - qGray(image.pixel(x, y));
        }
    }
    return ink;
}

TEST_F(FormLayout, BoldHeadingsPutVisiblyMoreInkOnTheScreenThanRegularText) {
    for (const LabelRow& row : ExpectedLabels) {
        if (row.Font != Face::Bold) {
            continue;
        }
        SCOPED_TRACE(row.Name);
        QLabel* label = Form().findChild<QLabel*>(Caption(row.Name));
        ASSERT_NE(label, nullptr);
        const int bold = Ink(label->font(), label->text());
        const int regular = Ink(WindowFont(), label->text());
        // Bold strokes carry about half as much ink again; a regular face that is only
        // flagged bold differs by a few stray pixels.
        EXPECT_GE(bold * 4, regular * 5) << bold << " ink against " << regular;
    }
    Form().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form()));
    const QString folder = QStringLiteral(MIREVO_BINARY_DIR "/screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(Form().Panel1->grab(QRect(0, 95, 420, 114)).save(folder + "/legend.png"));
}

TEST_F(FormLayout, TheAmpersandOfTheDirectionHeadingIsACharacter) {
    EXPECT_EQ(Form().Label11->textFormat(), Qt::PlainText);
    EXPECT_EQ(Form().Label11->buddy(), nullptr); // a label without buddy underlines nothing
    EXPECT_EQ(Form().Label11->text().count(u'&'), 1);
    EXPECT_TRUE(Form().Label19->text().contains(u"title    *: set saturday's color    #:set"));
}

TEST_F(FormLayout, TabOrderRunsFromTheGridThroughThePanelInItsOrder) {
    std::map<int, QString> panel;
    for (const ControlRow& row : ExpectedButtons) {
        panel[row.TabOrder] = Caption(row.Name);
    }
    for (const ControlRow& row : ExpectedCheckBoxes) {
        panel[row.TabOrder] = Caption(row.Name);
    }
    panel[3] = QStringLiteral("Memo1");
    QStringList expected{QStringLiteral("sg")};
    for (const auto& [order, name] : panel) {
        expected.append(name);
    }

    QStringList actual;
    QWidget* widget = Form().sg;
    do {
        if (expected.contains(widget->objectName()) && widget->focusPolicy() & Qt::TabFocus) {
            actual.append(widget->objectName());
        }
        widget = widget->nextInFocusChain();
    } while (widget != Form().sg);
    EXPECT_EQ(actual, expected);
}

TEST_F(FormLayout, ReportBoxScrollsWrapsTakesReturnAndPassesTab) {
    ReportMemo& memo = *Form().Memo1;
    EXPECT_EQ(memo.parentWidget(), Form().Panel1);
    EXPECT_EQ(memo.geometry(), QRect(504, 41, 282, 137));
    EXPECT_EQ(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo.lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_TRUE(memo.tabChangesFocus());
    EXPECT_FALSE(memo.isReadOnly());
    EXPECT_EQ(memo.toPlainText(), u"\n"); // one empty line
    EXPECT_EQ(memo.Lines(), QStringList{QString()});
}

TEST_F(FormLayout, WindowCarriesCaptionIconFontAndButtonFace) {
    EXPECT_EQ(Form().objectName(), u"Form1");
    EXPECT_TRUE(Form().windowTitle().startsWith(u"Mirevo Holiday Generator - "));
    EXPECT_FALSE(Form().windowIcon().isNull());
    EXPECT_FALSE(Form().windowIcon().pixmap(32, 32).isNull());
    EXPECT_EQ(QFontInfo(Form().font()).family(), WindowFontFamily());
    EXPECT_EQ(Form().font().pixelSize(), 11);
    EXPECT_EQ(Form().palette().color(QPalette::Window), Form().palette().color(QPalette::Button));
    EXPECT_EQ(Form().Panel1->frameStyle(), QFrame::Panel | QFrame::Raised);
    EXPECT_EQ(Form().Panel1->lineWidth(), 1);
}

TEST_F(FormLayout, PanelKeepsItsHeightAndTheGridFillsTheRest) {
    Form().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form()));
    EXPECT_EQ(Form().size(), QSize(1061, 662));
    EXPECT_EQ(Form().Panel1->geometry(), QRect(0, 0, 1061, 209));
    EXPECT_EQ(Form().sg->geometry(), QRect(0, 209, 1061, 453));

    Form().resize(1400, 900);
    QCoreApplication::processEvents();
    EXPECT_EQ(Form().Panel1->geometry(), QRect(0, 0, 1400, 209));
    EXPECT_EQ(Form().sg->geometry(), QRect(0, 209, 1400, 691));
    EXPECT_EQ(Form().Button3->geometry(), QRect(735, 14, 45, 25)); // nothing reflows

    Form().resize(400, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(Form().Panel1->height(), 209);
    EXPECT_EQ(Form().Button3->geometry(), QRect(735, 14, 45, 25)); // clipped, not moved
}

TEST_F(FormLayout, StartsWithTheEmptyTableFocusedOnItsFirstOrdinaryCell) {
    const holiday::HolidayTable& table = Table();
    EXPECT_EQ(table.ColCount(), 6);
    EXPECT_EQ(table.RowCount(), 5);
    EXPECT_EQ(table.FixedRows(), 1);
    EXPECT_EQ(table.FixedCols(), 0);
    EXPECT_EQ(table.CurrentCell(), (holiday::GridCoord{0, 1}));
    const std::array<int, 6> widths{204, 85, 53, 47, 15, 64};
    for (int col = 0; col < 6; ++col) {
        EXPECT_EQ(table.ColWidth(col), widths[static_cast<std::size_t>(col)]) << col;
        for (int row = 0; row < 5; ++row) {
            EXPECT_EQ(table.GetCell(col, row), "");
        }
    }
    EXPECT_EQ(Form().focusWidget(), Form().sg);
    EXPECT_FALSE(Form().sg->IsEditorOpen());
    EXPECT_EQ(QFontInfo(Form().sg->CellFont()).family(), WindowFontFamily());
    EXPECT_EQ(Form().sg->CellFont().pixelSize(), 11);
    EXPECT_EQ(Form().sg->FixedFont().family(), u"Arial");
    EXPECT_EQ(Form().sg->FixedFont().pixelSize(), 11);
}

TEST_F(FormLayout, ScreenshotOfTheStartWindow) {
    Form().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form()));
    const QPixmap shot = Form().grab();
    EXPECT_EQ(shot.size() / shot.devicePixelRatio(), QSize(1061, 662));
    const QString folder = QStringLiteral(MIREVO_BINARY_DIR "/screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(shot.save(folder + QStringLiteral("/start-window.png")));
}

} // namespace
