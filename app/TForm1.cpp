#include "app/TForm1.h"

#include "app/ApplicationFonts.h"
#include "app/DroppedFile.h"
#include "app/ErrorDisplay.h"
#include "app/FileCommands.h"
#include "app/HelpWindow.h"
#include "app/HolidayGrid.h"
#include "app/ImportCommand.h"
#include "app/LegendHeading.h"
#include "app/LongWork.h"
#include "app/PathText.h"
#include "app/ReportMemo.h"
#include "app/ShownText.h"
#include "app/TextWidthMeter.h"
#include "app/WindowShortcuts.h"
#include "app/YearViewDialog.h"
#include "rules/Easter.h"
#include "rules/RuleColumns.h"
#include "rules/RuleWalk.h"
#include "rules/TestReport.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

// The icon lives in the program's resources, which a static library only brings along when
// asked for.
static void InitMirevoResources() {
    Q_INIT_RESOURCE(MirevoResources);
}

namespace app {

namespace {

using Handler = void (TForm1::*)(QObject*);

// Positions are relative to the panel's top-left corner, in pixels at 96 pixels per inch.
constexpr int ButtonHeight = 25;
constexpr int CheckBoxHeight = 17;
constexpr qsizetype MaxMeasuredHeader = 10'000;

// One row of a control table: a button or a check box of the panel.
template <typename Widget> struct ControlRow {
    Widget* TForm1::*Control;
    const char* Name;
    const char* Caption;
    int Left;
    int Top;
    int Width;
    int TabOrder;
    Handler OnClick; // null: the control runs no command
};
using ButtonRow = ControlRow<QPushButton>;
using CheckBoxRow = ControlRow<QCheckBox>;

// clang-format off
const std::array<ButtonRow, 8> Buttons{{
    //  control           name       caption                 left  top  width  tab  on click
    {&TForm1::Button8, "Button8", "open hol file",        22,  31,  83,  11, &TForm1::Button8Click},
    {&TForm1::Button1, "Button1", "save hol file",        22,  62,  83,   0, &TForm1::Button1Click},
    {&TForm1::Button2, "Button2", "add row",             168,  31,  57,   1, &TForm1::Button2Click},
    {&TForm1::Button5, "Button5", "add col",             168,  62,  57,   8, &TForm1::Button5Click},
    {&TForm1::Button4, "Button4", "delete current row",  231,  31, 130,   5, &TForm1::Button4Click},
    {&TForm1::Button6, "Button6", "delete last col",     231,  62, 130,   9, &TForm1::Button6Click},
    {&TForm1::Button7, "Button7", "autosize col width",  367,  62, 122,  10, &TForm1::ConfExit},
    {&TForm1::Button3, "Button3", "test",                735,  14,  45,   2, &TForm1::Button3Click},
}};
// clang-format on

using Keys = QList<QKeySequence> (*)();

// What each button does, in its tooltip, with the keys that run it from anywhere in the window.
struct ButtonTip {
    QPushButton* TForm1::*Control;
    const char* Text;
    Keys Shortcut; // null: no key of its own
};
// clang-format off
const std::array<ButtonTip, 8> ButtonTips{{
    {&TForm1::Button8, "Open a holiday file",                                   OpenKeys},
    {&TForm1::Button1, "Save the table as a holiday file",                      SaveKeys},
    {&TForm1::Button2, "Add a row at the end of the table",                     nullptr},
    {&TForm1::Button5, "Add a configuration column at the end",                 nullptr},
    {&TForm1::Button4, "Delete the row of the current cell",                    nullptr},
    {&TForm1::Button6, "Delete the last configuration column",                  nullptr},
    {&TForm1::Button7, "Make each configuration column as wide as its header",  nullptr},
    {&TForm1::Button3, "Show the date of every rule in the years 2005 to 2015", TestKeys},
}};
// clang-format on

// clang-format off
const std::array<CheckBoxRow, 3> CheckBoxes{{
    //  control               name          caption                                 left top width tab on click
    {&TForm1::CheckBox1,  "CheckBox1",  "Fixed 1st column",                       24,  8,  97,  4, &TForm1::CheckBox1Click},
    {&TForm1::returndown, "returndown", "On Return keypress: down",              128,  8, 161,  6, nullptr},
    {&TForm1::CheckBox2,  "CheckBox2",  "edit Configurations/states/provinces",  295,  8, 242,  7, &TForm1::CheckBox2Click},
}};
// clang-format on

// The report box.
struct MemoRow {
    int Left;
    int Top;
    int Width;
    int Height;
    int TabOrder;
};
constexpr MemoRow Memo{504, 41, 282, 137, 3};

enum class LabelFont { Window, Bold, Large };

struct LabelRow {
    QLabel* TForm1::*Control;
    const char* Name;
    const char* Text;
    int Left;
    int Top;
    LabelFont Font;
};

// The legend: a heading row, three example rules, the letters A, B, C and the key to the marks
// of the configuration columns. Labels take the size of their text.
// clang-format off
const std::array<LabelRow, 21> Labels{{
    //  control           name       text                                   left  top  font
    {&TForm1::Label9,  "Label9",  "Feast day / holiday title",             24, 103, LabelFont::Bold},
    {&TForm1::Label10, "Label10", "Start Date",                           208, 103, LabelFont::Bold},
    {&TForm1::Label11, "Label11", "Direction &",                          284, 103, LabelFont::Bold},
    {&TForm1::Label13, "Label13", "DayOfWeek",                            284, 113, LabelFont::Bold},
    {&TForm1::Label12, "Label12", "Offset",                               362, 103, LabelFont::Bold},
    {&TForm1::Label15, "Label15", "Easter Monday",                         25, 127, LabelFont::Window},
    {&TForm1::Label16, "Label16", "Easter",                               233, 127, LabelFont::Window},
    {&TForm1::Label17, "Label17", "0",                                    312, 127, LabelFont::Window},
    {&TForm1::Label18, "Label18", "+1",                                   364, 127, LabelFont::Window},
    {&TForm1::Label5,  "Label5",  "Last Wednesday in November",            25, 146, LabelFont::Window},
    {&TForm1::Label6,  "Label6",  "30.11",                                233, 146, LabelFont::Window},
    {&TForm1::Label7,  "Label7",  "-We",                                  308, 146, LabelFont::Window},
    {&TForm1::Label8,  "Label8",  "0",                                    368, 146, LabelFont::Window},
    {&TForm1::Label4,  "Label4",  "Third Sunday in March",                 25, 165, LabelFont::Window},
    {&TForm1::Label1,  "Label1",  "01.03",                                233, 165, LabelFont::Window},
    {&TForm1::Label2,  "Label2",  "+Su",                                  308, 165, LabelFont::Window},
    {&TForm1::Label3,  "Label3",  "+14",                                  364, 165, LabelFont::Window},
    {&TForm1::Label14, "Label14", "A",                                    243, 184, LabelFont::Large},
    {&TForm1::Label20, "Label20", "B",                                    310, 184, LabelFont::Large},
    {&TForm1::Label21, "Label21", "C",                                    362, 184, LabelFont::Large},
    {&TForm1::Label19, "Label19", "1: only show title    *: set saturday's color    #:set sunday's color",
                                                                          424, 184, LabelFont::Window},
}};
// clang-format on

// The grid's columns at start.
constexpr std::array<std::int32_t, 6> InitialColWidths{204, 85, 53, 47, 15, 64};

QFont FontOf(LabelFont font) {
    switch (font) {
    case LabelFont::Bold:
        return WindowFontBold();
    case LabelFont::Large:
        return LargeLetterFont();
    case LabelFont::Window:
        break;
    }
    return WindowFont();
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent), mLocaleSettings(rules::ReadUserLocaleDateSettings()) {
    InitMirevoResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Mirevo Holiday Generator - © 2026 Mirevo holiday tools team"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/mirevo-holidays.svg")));
    setFont(WindowFont());
    QPalette buttonFace = palette();
    buttonFace.setColor(QPalette::Window, buttonFace.color(QPalette::Button));
    setPalette(buttonFace);
    setAutoFillBackground(true);

    BuildPanel();
    BuildGrid();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(sg, 1);

    SetTabOrder();
    BuildShortcuts();
    // A .hol file dropped anywhere on the window opens it and an .ics file is imported, also
    // over the two text boxes; nothing else can be dropped anywhere: the text boxes would
    // take it as text.
    setAcceptDrops(true);
    Memo1->installEventFilter(this);
    Memo1->viewport()->installEventFilter(this);
    sg->Editor()->installEventFilter(this);
    resize(DesignWidth, DesignHeight);
    sg->setFocus(Qt::OtherFocusReason);
}

TForm1::~TForm1() {
    // The grid and the year view observe the table, which is a member and would go before
    // the children.
    delete mYearView.data();
    delete sg;
    sg = nullptr;
}

void TForm1::BuildPanel() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    Panel1->setFixedHeight(PanelHeight);

    for (const ButtonRow& row : Buttons) {
        auto* button = new QPushButton(QString::fromUtf8(row.Caption), Panel1);
        button->setObjectName(QString::fromUtf8(row.Name));
        button->setGeometry(row.Left, row.Top, row.Width, ButtonHeight);
        button->setAutoDefault(false);
        button->setDefault(false);
        this->*row.Control = button;
        const Handler onClick = row.OnClick;
        connect(button, &QPushButton::clicked, this,
                Guarded(button, [this, onClick, button] { (this->*onClick)(button); }));
    }

    for (const ButtonTip& tip : ButtonTips) {
        QString text = QString::fromUtf8(tip.Text);
        if (tip.Shortcut != nullptr) {
            text += QStringLiteral(" (%1)").arg(KeysText(tip.Shortcut()));
        }
        (this->*tip.Control)->setToolTip(text);
    }

    for (const CheckBoxRow& row : CheckBoxes) {
        auto* box = new QCheckBox(QString::fromUtf8(row.Caption), Panel1);
        box->setObjectName(QString::fromUtf8(row.Name));
        box->setGeometry(row.Left, row.Top, row.Width, CheckBoxHeight);
        box->setTristate(false);
        // The classic 13-pixel box close to its text, so that each caption fits the width
        // the panel gives it.
        box->setStyleSheet(QStringLiteral(
            "QCheckBox { spacing: 2px; } QCheckBox::indicator { width: 13px; height: 13px; }"));
        this->*row.Control = box;
        if (const Handler onClick = row.OnClick) {
            // clicked comes after the box took its new state.
            connect(box, &QCheckBox::clicked, this,
                    Guarded(box, [this, onClick, box] { (this->*onClick)(box); }));
        }
    }

    Memo1 = new ReportMemo(Panel1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(Memo.Left, Memo.Top, Memo.Width, Memo.Height);
    Memo1->AppendLine(QString()); // one empty line
    Memo1->setAccessibleName(QStringLiteral("report"));

    for (const LabelRow& row : Labels) {
        // The headings stay bold at every scale of the screen.
        auto* label = row.Font == LabelFont::Bold ? new LegendHeading(Panel1) : new QLabel(Panel1);
        label->setObjectName(QString::fromUtf8(row.Name));
        label->setTextFormat(Qt::PlainText); // "&" is a character, not a mnemonic
        label->setText(QString::fromUtf8(row.Text));
        label->setFont(FontOf(row.Font));
        label->setFocusPolicy(Qt::NoFocus);
        label->move(row.Left, row.Top);
        label->adjustSize();
        // As high as the font's text height in the design, which Qt counts lower.
        label->resize(label->width(), std::max(label->height(), TextHeight(label->font())));
        this->*row.Control = label;
    }
}

void TForm1::BuildGrid() {
    sg = new HolidayGrid(mTable, this);
    sg->setObjectName(QStringLiteral("sg"));
    sg->setAccessibleName(QStringLiteral("holiday table"));
    for (std::size_t col = 0; col < InitialColWidths.size(); ++col) {
        mTable.SetColWidth(static_cast<std::int32_t>(col), InitialColWidths[col]);
    }
    sg->OnKeyDown = [this](int& key, Qt::KeyboardModifiers modifiers) {
        RunGuarded(sg, [&] { sgKeyDown(sg, key, modifiers); });
    };
    sg->SetHistory(&mHistory);
    // The context menu's row commands are the buttons'; its entries run guarded.
    sg->OnAddRow = [this] { Button2Click(sg); };
    sg->OnDeleteCurrentRow = [this] { Button4Click(sg); };
    sg->OnYearView = [this](std::int32_t col) { ShowYearView(col); };
}

void TForm1::BuildShortcuts() {
    const struct {
        const char* Name;
        Keys Shortcut;
        Handler Command; // null: the help window
    } shortcuts[] = {
        {"OpenShortcut", OpenKeys, &TForm1::Button8Click},
        {"SaveShortcut", SaveKeys, &TForm1::Button1Click},
        {"TestShortcut", TestKeys, &TForm1::Button3Click},
        {"HelpShortcut", HelpKeys, nullptr},
    };
    for (const auto& row : shortcuts) {
        auto* shortcut = new QShortcut(this);
        shortcut->setObjectName(QString::fromUtf8(row.Name));
        shortcut->setKeys(row.Shortcut());
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(false);
        const Handler command = row.Command;
        connect(shortcut, &QShortcut::activated, this, Guarded(shortcut, [this, command, shortcut] {
                    // The window takes no keys while a dialog or message box is up.
                    if (QApplication::activeModalWidget() != nullptr) {
                        return;
                    }
                    if (command == nullptr) {
                        ShowHelp();
                        return;
                    }
                    // As a click on the button would, the command closes an open cell editor
                    // (the cell already holds its text).
                    sg->CloseEditor();
                    (this->*command)(shortcut);
                }));
    }
}

HelpWindow* TForm1::Help() const noexcept {
    return mHelp;
}

void TForm1::ShowHelp() {
    if (mHelp == nullptr) {
        mHelp = new HelpWindow(this);
    }
    mHelp->show();
    mHelp->raise();
    mHelp->activateWindow();
}

void TForm1::SetTabOrder() {
    // The grid first, then the panel's controls in their tab order.
    std::vector<std::pair<int, QWidget*>> panel;
    for (const ButtonRow& row : Buttons) {
        panel.emplace_back(row.TabOrder, this->*row.Control);
    }
    for (const CheckBoxRow& row : CheckBoxes) {
        panel.emplace_back(row.TabOrder, this->*row.Control);
    }
    panel.emplace_back(Memo.TabOrder, Memo1);
    std::sort(panel.begin(), panel.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QWidget* previous = sg;
    for (const auto& [order, widget] : panel) {
        setTabOrder(previous, widget);
        previous = widget;
    }
}

void TForm1::showEvent(QShowEvent* event) {
    if (!mShown) {
        mShown = true;
        RunGuarded(this, [this] { FormShow(this); });
        if (!mOpenWhenShown.empty()) {
            // After the window is on the screen, so that an error box has its owner.
            QTimer::singleShot(0, this, [this, path = std::move(mOpenWhenShown)] {
                RunGuarded(this, [this, &path] { OpenFile(path); });
            });
            mOpenWhenShown.clear();
        }
    }
    QWidget::showEvent(event);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

namespace {

bool TakesDrop(const QMimeData* data) {
    return DroppedHolidayFile(data) || DroppedCalendarFile(data);
}

} // namespace

void TForm1::dragMoveEvent(QDragMoveEvent* event) {
    event->ignore();
    RunGuarded(this, [event] {
        if (TakesDrop(event->mimeData())) {
            event->acceptProposedAction();
        }
    });
}

void TForm1::dropEvent(QDropEvent* event) {
    event->ignore();
    RunGuarded(this, [this, event] {
        if (const auto path = DroppedHolidayFile(event->mimeData())) {
            event->acceptProposedAction();
            OpenFile(*path);
        } else if (const auto calendar = DroppedCalendarFile(event->mimeData())) {
            event->acceptProposedAction();
            ImportCalendar(*calendar);
        }
    });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        dragMoveEvent(static_cast<QDragMoveEvent*>(event));
        return true;
    case QEvent::Drop:
        dropEvent(static_cast<QDropEvent*>(event));
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LocaleChange) {
        RunGuarded(this, [this] { mLocaleSettings = rules::ReadUserLocaleDateSettings(); });
    }
    QWidget::changeEvent(event);
}

void TForm1::FormShow(QObject* /*sender*/) {
    FormShowCommand(OpenDialog1, PathToStdString(QCoreApplication::applicationFilePath()),
                    PathToStdString(QDir::homePath()));
}

WorkWindow TForm1::FileWork(const QPushButton* button) {
    return {this, button->text()};
}

void TForm1::OpenFile(const std::string& path) {
    OpenPathCommand(
        mTable, OpenDialog1, SaveDialog1, path,
        [this](holiday::HolidayTable& table, holiday::WorkProgress* progress) {
            SizeConfigColumns(table, progress);
        },
        mLossyFile, FileWork(Button8));
}

void TForm1::ImportCalendar(const std::string& path) {
    const holiday::TableHistory::Step step(mHistory);
    ImportCalendarCommand(mTable, *Memo1, path);
}

void TForm1::Button8Click(QObject* /*sender*/) {
    OpenCommand(
        mTable, OpenDialog1, SaveDialog1,
        [this](holiday::HolidayTable& table, holiday::WorkProgress* progress) {
            SizeConfigColumns(table, progress);
        },
        mLossyFile, FileWork(Button8));
}

void TForm1::Button1Click(QObject* /*sender*/) {
    SaveCommand(mTable, SaveDialog1, mLossyFile, FileWork(Button1));
}

void TForm1::Button2Click(QObject* /*sender*/) {
    const holiday::TableHistory::Step step(mHistory);
    mTable.AddRow();
}

void TForm1::Button4Click(QObject* /*sender*/) {
    const holiday::TableHistory::Step step(mHistory);
    mTable.DeleteTableRow(mTable.CurrentCell().Row);
}

void TForm1::Button5Click(QObject* /*sender*/) {
    const holiday::TableHistory::Step step(mHistory);
    mTable.AddColumn();
}

void TForm1::Button6Click(QObject* /*sender*/) {
    // The rule columns stay.
    const holiday::TableHistory::Step step(mHistory);
    if (mTable.ColCount() > rules::RuleColumnCount) {
        mTable.SetColCount(mTable.ColCount() - 1);
    }
}

void TForm1::ConfExit(QObject* /*sender*/) {
    LongWork work(this, Button7->text());
    SizeConfigColumns(mTable, &work);
}

void TForm1::SizeConfigColumns(holiday::HolidayTable& table,
                               holiday::WorkProgress* progress) const {
    // Measured in the ordinary cell font also while row 0 is fixed and drawn in Arial.
    TextWidthMeter metrics(sg->CellFont());
    // The widths are set in slices of about SliceTime, each told to the view at once; progress
    // hears of each slice.
    constexpr qint64 SliceTime = 20;
    constexpr int ColumnsPerCheck = 64;
    QElapsedTimer slice;
    slice.start();
    std::optional<holiday::HolidayTable::NotificationBatch> batch;
    batch.emplace(table);
    int unchecked = 0;
    const std::int32_t cols = table.ColCount();
    auto set = [&](std::int32_t col, int width) {
        table.SetColWidth(col, width);
        if (++unchecked < ColumnsPerCheck) {
            return;
        }
        unchecked = 0;
        if (progress != nullptr && slice.elapsed() >= SliceTime) {
            batch.reset();
            holiday::AdvanceOrAbort(progress, col, cols);
            batch.emplace(table);
            slice.start();
        }
    };
    // One walk along the header row: a wide row costs its length, not its square.
    const int emptyWidth = metrics.Width(QString()) + AutosizePadding;
    std::int32_t next = rules::RuleColumnCount;
    std::int32_t col = 0;
    std::string_view header;
    for (auto entries = table.Cells().Entries(0); entries.Next(col, header) && col < cols;) {
        if (col < rules::RuleColumnCount) {
            continue;
        }
        for (; next < col; ++next) {
            set(next, emptyWidth);
        }
        // A header longer than MaxMeasuredHeader characters measures as its start: wider than
        // any screen already, and a huge one would take seconds to lay out.
        const QString text = Utf8Prefix(header, MaxMeasuredHeader);
        next = col + 1;
        set(col, metrics.Width(text) + AutosizePadding);
    }
    for (; next < cols; ++next) {
        set(next, emptyWidth);
    }
}

void TForm1::CheckBox1Click(QObject* /*sender*/) {
    mTable.SetFixedCols(CheckBox1->isChecked() ? 1 : 0);
}

void TForm1::CheckBox2Click(QObject* /*sender*/) {
    mTable.SetFixedRows(CheckBox2->isChecked() ? 0 : 1);
}

void TForm1::Button3Click(QObject* /*sender*/) {
    try {
        RunTestReport();
    } catch (const rules::ERuleError& error) {
        // The faulty rule leaves "test" here, its progress closed and every line before it in
        // Memo1; the error display shows its message, and the faulty cell is current.
        ShowFaultyCell(error);
        throw;
    }
}

void TForm1::RunTestReport() {
    Memo1->Clear();
    // The settings as the report starts: a change of the locale while it runs counts from the
    // next report on.
    const rules::LocaleDateSettings settings = mLocaleSettings;
    LongWork work(this, Button3->text());
    // Each line goes into the box at once; the box lays the text out when the report ends.
    const ReportMemo::AppendScope appending(*Memo1);
    rules::BuildTestReport(
        mTable, settings,
        [this](std::string_view lead, std::string_view title) {
            Memo1->AppendReportLine(lead, title);
        },
        rules::FirstReportYear, rules::LastReportYear, &work);
}

void TForm1::ShowFaultyCell(const rules::ERuleError& error) {
    const holiday::GridCoord cell{error.Col(), error.Row()};
    if (cell.Col < 0 || cell.Row < 0 || cell.Col >= mTable.ColCount() ||
        cell.Row >= mTable.RowCount()) {
        return;
    }
    mTable.SetCurrentCell(cell); // closes the editor when the current cell moves
    sg->ScrollToCell(mTable.CurrentCell());
    // An open editor on that very cell takes the focus from the grid.
    sg->setFocus(Qt::OtherFocusReason);
}

void TForm1::sgKeyDown(QObject* /*sender*/, int& key, Qt::KeyboardModifiers /*shift*/) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) {
        return;
    }
    // The move only: the grid's own handling of the same key press then opens or closes the
    // editor.
    sg->MoveByEnter(returndown->isChecked() ? EnterMove::Down : EnterMove::Right);
}

void TForm1::ShowYearView(std::int32_t col) {
    if (mYearView == nullptr) {
        mYearView = new YearViewDialog(mTable, mLocaleSettings, this);
    }
    mYearView->ShowColumn(col);
}

void TForm1::Ostern(std::uint16_t& oday, std::uint16_t& omon, std::int32_t year) const {
    const rules::EasterDate easter = rules::Ostern(year);
    oday = easter.Day;
    omon = easter.Month;
}

} // namespace app
