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
#include <climits>
#include <utility>
#include <vector>

using namespace app;

namespace {

// What the user reads on each control, by its designer name.
const std::vector<std::pair<const char*, const char*>> ButtonCaptions{
    {"Button8", "open hol file"},
    {"Button1", "save hol file"},
    {"Button2", "add row"},
    {"Button5", "add col"},
    {"Button4", "delete current row"},
    {"Button6", "delete last col"},
    {"Button7", "autosize col width"},
    {"Button3", "test"},
};
const std::vector<std::pair<const char*, const char*>> CheckBoxCaptions{
    {"CheckBox1", "Fixed 1st column"},
    {"returndown", "On Return keypress: down"},
    {"CheckBox2", "edit Configurations/states/provinces"},
};

// The legend as the user reads it: a row of bold headings over the four rule columns, three
// example rules, the large letters A, B and C under the last three columns, and the marks.
// An empty name leaves a column empty in that row.
const std::vector<std::array<const char*, 4>> LegendRows{
    {"Label9", "Label10", "Label11", "Label12"},  {"", "", "Label13", ""},
    {"Label15", "Label16", "Label17", "Label18"}, {"Label5", "Label6", "Label7", "Label8"},
    {"Label4", "Label1", "Label2", "Label3"},     {"", "Label14", "Label20", "Label21"},
};
const std::vector<std::pair<const char*, const char*>> LegendTexts{
    {"Label9", "Feast day / holiday title"},
    {"Label10", "Start Date"},
    {"Label11", "Direction &"},
    {"Label13", "DayOfWeek"},
    {"Label12", "Offset"},
    {"Label15", "Easter Monday"},
    {"Label16", "Easter"},
    {"Label17", "0"},
    {"Label18", "+1"},
    {"Label5", "Last Wednesday in November"},
    {"Label6", "30.11"},
    {"Label7", "-We"},
    {"Label8", "0"},
    {"Label4", "Third Sunday in March"},
    {"Label1", "01.03"},
    {"Label2", "+Su"},
    {"Label3", "+14"},
    {"Label14", "A"},
    {"Label20", "B"},
    {"Label21", "C"},
    {"Label19", "1: only show title    *: set saturday's color    #:set sunday's color"},
};
const QStringList BoldLabels{"Label9", "Label10", "Label11", "Label12", "Label13"};
const QStringList LargeLabels{"Label14", "Label20", "Label21"};

using FormLayout = FormTest;

QString Caption(const char* text) {
    return QString::fromUtf8(text);
}

template <typename Widget> Widget* Control(TForm1& form, const char* name) {
    auto* widget = form.findChild<Widget*>(Caption(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

TEST_F(FormLayout, ButtonsAndCheckBoxesShowTheirCaptions) {
    for (const auto& [name, caption] : ButtonCaptions) {
        SCOPED_TRACE(name);
        auto* button = Control<QPushButton>(Form(), name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->parentWidget(), Form().Panel1);
        EXPECT_EQ(button->text(), Caption(caption));
        EXPECT_FALSE(button->autoDefault());
        EXPECT_FALSE(button->isDefault());
        EXPECT_TRUE(button->isEnabled());
        EXPECT_EQ(button->focusPolicy(), Qt::StrongFocus); // a click takes the focus
    }
    for (const auto& [name, caption] : CheckBoxCaptions) {
        SCOPED_TRACE(name);
        auto* box = Control<QCheckBox>(Form(), name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->parentWidget(), Form().Panel1);
        EXPECT_EQ(box->text(), Caption(caption));
        EXPECT_FALSE(box->isChecked());
        EXPECT_FALSE(box->isTristate());
    }
}

TEST_F(FormLayout, NoTwoControlsOverlapAndAllLieInThePanel) {
    Form().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form()));
    const QList<QWidget*> controls =
        Form().Panel1->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(controls.size(), 8 + 3 + 21 + 1);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        const QRect rect = controls[i]->geometry();
        EXPECT_TRUE(Form().Panel1->rect().contains(rect))
            << controls[i]->objectName().toStdString();
        EXPECT_FALSE(rect.isEmpty()) << controls[i]->objectName().toStdString();
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            // "Direction &" over "DayOfWeek" is one heading in two lines, set closer than
            // the lines' boxes.
            const QStringList pair{controls[i]->objectName(), controls[j]->objectName()};
            if (pair.contains(u"Label11") && pair.contains(u"Label13")) {
                continue;
            }
            EXPECT_FALSE(rect.intersects(controls[j]->geometry()))
                << controls[i]->objectName().toStdString() << " overlaps "
                << controls[j]->objectName().toStdString();
        }
    }
}

TEST_F(FormLayout, LegendLabelsShowTheirTextsInTheirFonts) {
    for (const auto& [name, text] : LegendTexts) {
        SCOPED_TRACE(name);
        auto* label = Control<QLabel>(Form(), name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->parentWidget(), Form().Panel1);
        EXPECT_EQ(label->text(), Caption(text));
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
        const QFontInfo font(label->font());
        EXPECT_EQ(font.family(), WindowFontFamily());
        EXPECT_EQ(font.pixelSize(), LargeLabels.contains(Caption(name)) ? 21 : 11);
        EXPECT_EQ(font.bold(), BoldLabels.contains(Caption(name)));
        // The label takes the size of its text; in Tahoma, a line is the design's 13 pixels high
        // (not Qt's 11).
        const QFontMetrics metrics(label->font());
        EXPECT_GE(label->width(), metrics.horizontalAdvance(label->text()) - 1);
        if (font.family() == u"Tahoma" && !LargeLabels.contains(Caption(name))) {
            EXPECT_EQ(label->height(), 13);
        }
    }
}

TEST_F(FormLayout, TheLegendReadsAsColumnsAndRowsInOrder) {
    // Each column starts where its heading starts or right of it and ends before the next
    // heading; each row lies below the one before it (the heading's second line only starts
    // below its first).
    const std::array<const char*, 4>& headings = LegendRows.front();
    int previousTop = -1;
    int previousBottom = -1;
    for (std::size_t r = 0; r < LegendRows.size(); ++r) {
        const auto& row = LegendRows[r];
        int top = INT_MAX;
        int bottom = -1;
        for (std::size_t col = 0; col < row.size(); ++col) {
            if (*row[col] == '\0') {
                continue;
            }
            SCOPED_TRACE(row[col]);
            const QLabel* label = Control<QLabel>(Form(), row[col]);
            const QLabel* heading = Control<QLabel>(Form(), headings[col]);
            ASSERT_TRUE(label != nullptr && heading != nullptr);
            EXPECT_GE(label->x(), heading->x());
            if (col + 1 < row.size()) {
                EXPECT_LT(label->geometry().right(),
                          Control<QLabel>(Form(), headings[col + 1])->x());
            }
            top = std::min(top, label->y());
            bottom = std::max(bottom, label->geometry().bottom());
        }
        EXPECT_GT(top, r == 1 ? previousTop : previousBottom) << "row " << r;
        previousTop = top;
        previousBottom = bottom;
    }
    // The marks follow the letters on their line, right of the offset column's letter.
    EXPECT_EQ(Form().Label19->y(), Form().Label14->y());
    EXPECT_GT(Form().Label19->x(), Form().Label21->geometry().right());
}

// The ink of a label's text as the label paints itself black on white at scale device pixels
// per pixel: the sum of every pixel's darkness, in units of a pixel of the label.
double Ink(QLabel& label, qreal scale) {
    const QPalette saved = label.palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    label.setPalette(palette);
    QImage image((QSizeF(label.size()) * scale).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    label.render(&image);
    label.setPalette(saved);
    double ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ink += 255 - qGray(image.pixel(x, y));
        }
    }
    return ink / (scale * scale);
}

TEST_F(FormLayout, BoldHeadingsPutVisiblyMoreInkOnTheScreenThanRegularTextAtEveryScale) {
    // The screen's own scale (QT_SCALE_FACTOR) comes on top of these.
    for (const qreal scale : {1.0, 1.5, 2.0, 3.0}) {
        for (const QString& name : BoldLabels) {
            SCOPED_TRACE(name.toStdString() + " at " + std::to_string(scale));
            QLabel* label = Form().findChild<QLabel*>(name);
            ASSERT_NE(label, nullptr);
            QLabel regular(label->text());
            regular.setTextFormat(Qt::PlainText);
            regular.setFont(WindowFont());
            regular.resize(label->size());
            const double bold = Ink(*label, scale);
            const double plain = Ink(regular, scale);
            // Bold strokes carry about half as much ink again; a regular face that is only
            // flagged bold, or emboldened for a smaller size, differs by a few stray pixels.
            EXPECT_GE(bold * 4, plain * 5) << bold << " ink against " << plain;
        }
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
    const QStringList expected{"sg",        "Button1", "Button2",    "Button3",   "Memo1",
                               "CheckBox1", "Button4", "returndown", "CheckBox2", "Button5",
                               "Button6",   "Button7", "Button8"};
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
    // At the top right: right of the commands, below the "test" button.
    EXPECT_GT(memo.x(), Form().Button7->geometry().right());
    EXPECT_GT(memo.y(), Form().Button3->geometry().bottom());
    EXPECT_EQ(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo.Text(), u"\n"); // one empty line
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
    // Every column is in view in the window as it opens.
    int widths = 0;
    for (int col = 0; col < 6; ++col) {
        EXPECT_GT(table.ColWidth(col), 0) << col;
        widths += table.ColWidth(col);
        for (int row = 0; row < 5; ++row) {
            EXPECT_EQ(table.GetCell(col, row), "");
        }
    }
    EXPECT_LT(widths, Form().width());
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
