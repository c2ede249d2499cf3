#include "app/YearViewDialog.h"

#include "app/ErrorDisplay.h"
#include "app/ShownText.h"
#include "app/YearViewListModel.h"
#include "app/YearViewMonths.h"
#include "holiday/HolidayFile.h"
#include "holiday/HolidayTable.h"
#include "rules/RuleColumns.h"

#include <QComboBox>
#include <QDate>
#include <QElapsedTimer>
#include <QEvent>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace app {

namespace {

// The combo box names at most this many configurations (a file may have millions of columns);
// a column beyond them that is asked for is added at the end.
constexpr std::int32_t MaxListedColumns = 10'000;
// A configuration's name shows at most this many characters.
constexpr qsizetype MaxNameShown = 80;
// A work-out that took longer than this makes later changes wait for a pause in the editing.
constexpr qint64 CheapMs = 30;
constexpr qint64 MaxPauseMs = 1'000;

QString ConfigurationName(const holiday::HolidayTable& table, std::int32_t col) {
    const QString name = ElidedLine(table.Cells().View(col, 0), MaxNameShown);
    return name.isEmpty() ? QStringLiteral("(column %1)").arg(col) : name;
}

// A name for a file: characters a file name should not hold become "-".
QString FileNameOf(QString text) {
    for (QChar& c : text) {
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control) {
            c = u'-';
        }
    }
    return text.trimmed();
}

} // namespace

YearViewDialog::YearViewDialog(holiday::HolidayTable& table,
                               const rules::LocaleDateSettings& settings, QWidget* parent)
    : QDialog(parent), mTable(table), mSettings(settings), mWalk(table), mExportDialog(this) {
    setObjectName(QStringLiteral("YearView"));
    setWindowTitle(QStringLiteral("Year view"));
    setModal(false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    Configuration = new QComboBox(this);
    Configuration->setObjectName(QStringLiteral("Configuration"));
    Configuration->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Configuration->setMinimumContentsLength(12);
    YearBox = new QSpinBox(this);
    YearBox->setObjectName(QStringLiteral("YearBox"));
    YearBox->setRange(1, 9999);
    YearBox->setValue(std::clamp(QDate::currentDate().year(), 1, 9999));
    YearBox->setKeyboardTracking(false);
    ExportButton = new QPushButton(QStringLiteral("Export…"), this);
    ExportButton->setObjectName(QStringLiteral("ExportButton"));
    ExportButton->setAutoDefault(false);
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setAutoDefault(false);

    auto* configurationLabel = new QLabel(QStringLiteral("&Configuration:"), this);
    configurationLabel->setBuddy(Configuration);
    auto* yearLabel = new QLabel(QStringLiteral("&Year:"), this);
    yearLabel->setBuddy(YearBox);
    auto* bar = new QHBoxLayout;
    bar->addWidget(configurationLabel);
    bar->addWidget(Configuration, 1);
    bar->addSpacing(12);
    bar->addWidget(yearLabel);
    bar->addWidget(YearBox);
    bar->addStretch(2);
    bar->addWidget(ExportButton);
    bar->addWidget(CloseButton);

    Months = new YearViewMonths(this);
    Months->setObjectName(QStringLiteral("Months"));
    DayLine = new QLabel(this);
    DayLine->setObjectName(QStringLiteral("DayLine"));
    DayLine->setTextFormat(Qt::PlainText);
    DayLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mMonthsPage = new QWidget(this);
    auto* monthsLayout = new QVBoxLayout(mMonthsPage);
    monthsLayout->setContentsMargins(0, 0, 0, 0);
    monthsLayout->addWidget(Months, 1);
    monthsLayout->addWidget(DayLine);

    MessageLabel = new QLabel(this);
    MessageLabel->setObjectName(QStringLiteral("MessageLabel"));
    MessageLabel->setTextFormat(Qt::PlainText);
    MessageLabel->setWordWrap(true);
    MessageLabel->setAlignment(Qt::AlignCenter);
    MessageLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mPages = new QStackedWidget(this);
    mPages->addWidget(mMonthsPage);
    mPages->addWidget(MessageLabel);

    mListModel = new YearViewListModel(this);
    List = new QListView(this);
    List->setObjectName(QStringLiteral("List"));
    List->setAccessibleName(QStringLiteral("holidays of the year"));
    List->setModel(mListModel);
    List->setUniformItemSizes(true);
    List->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(mPages);
    splitter->addWidget(List);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    List->setMinimumWidth(200);
    splitter->setSizes({780, 300});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(splitter, 1);
    resize(1100, 620);

    mTimer.setSingleShot(true);
    connect(&mTimer, &QTimer::timeout, this, Guarded(this, [this] { Update(); }));
    connect(Configuration, &QComboBox::currentIndexChanged, this, Guarded(this, [this] {
                const QVariant col = Configuration->currentData();
                if (col.isValid() && col.toInt() != mColumn) {
                    mColumn = col.toInt();
                    mYearDirty = true;
                    Update();
                }
            }));
    connect(YearBox, &QSpinBox::valueChanged, this, Guarded(this, [this] {
                mYearDirty = true;
                Update();
            }));
    connect(ExportButton, &QPushButton::clicked, this, Guarded(this, [this] { Export(); }));
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);
    connect(List->selectionModel(), &QItemSelectionModel::currentChanged, this,
            Guarded(this, [this] {
                if (const rules::YearHoliday* holiday =
                        mListModel->HolidayAt(List->currentIndex().row())) {
                    Months->SelectDate(holiday->Date);
                    ShowDay(holiday->Date);
                }
            }));
    Months->OnSelected = [this](rules::CalendarDate date) {
        const int row = mListModel->FirstRowOn(date);
        {
            const QSignalBlocker quiet(List->selectionModel());
            List->setCurrentIndex(row >= 0 ? mListModel->index(row) : QModelIndex());
        }
        if (row >= 0) {
            List->scrollTo(mListModel->index(row));
        }
        ShowDay(date);
    };

    mTable.AddObserver(this);
    if (parent != nullptr) {
        parent->installEventFilter(this);
    }
}

YearViewDialog::~YearViewDialog() {
    mTable.RemoveObserver(this);
}

void YearViewDialog::ShowColumn(std::int32_t col) {
    if (mColumnsDirty) {
        FillConfigurations();
    }
    if (col >= rules::FirstConfigCol && col < mTable.ColCount() && col != mColumn) {
        int index = Configuration->findData(col);
        if (index < 0) {
            Configuration->addItem(ConfigurationName(mTable, col), col);
            index = Configuration->count() - 1;
        }
        const QSignalBlocker quiet(Configuration);
        Configuration->setCurrentIndex(index);
        mColumn = col;
        mYearDirty = true;
    }
    show();
    Update();
    raise();
    activateWindow();
}

const rules::YearHolidays& YearViewDialog::Holidays() {
    mTimer.stop();
    if (mColumnsDirty) {
        FillConfigurations();
    }
    if (mYearDirty) {
        ComputeYear();
    }
    return mHolidays;
}

QString YearViewDialog::Message() const {
    return mPages->currentWidget() == MessageLabel ? MessageLabel->text() : QString();
}

void YearViewDialog::CellsChanged(holiday::GridCoord first, holiday::GridCoord last) {
    bool changed = false;
    if (first.Row == 0 && last.Col >= rules::FirstConfigCol) {
        mColumnsDirty = true;
        changed = true;
    }
    if (last.Row >= rules::FirstRuleRow &&
        (first.Col <= rules::OffsetCol || (first.Col <= mColumn && mColumn <= last.Col))) {
        mYearDirty = true;
        changed = true;
    }
    if (changed) {
        Schedule();
    }
}

void YearViewDialog::ExtentChanged(holiday::GridCoord /*oldExtent*/) {
    mColumnsDirty = true;
    mYearDirty = true;
    Schedule();
}

void YearViewDialog::Schedule() {
    if (mLastCostMs <= CheapMs) {
        if (!mTimer.isActive()) {
            mTimer.start(0);
        }
        return;
    }
    // Every change while the editing goes on puts the work-out off again.
    mTimer.start(static_cast<int>(std::min(MaxPauseMs, 4 * mLastCostMs)));
}

void YearViewDialog::Update() {
    mTimer.stop();
    if (!isVisible()) {
        return; // showEvent catches up
    }
    if (mColumnsDirty) {
        FillConfigurations();
    }
    if (mYearDirty) {
        ComputeYear();
    }
}

void YearViewDialog::FillConfigurations() {
    mColumnsDirty = false;
    const std::int32_t cols = mTable.ColCount();
    const std::int32_t end = std::min(cols, rules::FirstConfigCol + MaxListedColumns);
    const QSignalBlocker quiet(Configuration);
    Configuration->clear();
    for (std::int32_t col = rules::FirstConfigCol; col < end; ++col) {
        Configuration->addItem(ConfigurationName(mTable, col), col);
    }
    // The column shown stays while the table has it, else the first configuration.
    std::int32_t shown = mColumn >= rules::FirstConfigCol && mColumn < cols ? mColumn : -1;
    if (shown < 0 && cols > rules::FirstConfigCol) {
        shown = rules::FirstConfigCol;
    }
    if (shown >= end) {
        Configuration->addItem(ConfigurationName(mTable, shown), shown);
    }
    Configuration->setCurrentIndex(Configuration->findData(shown));
    if (shown != mColumn) {
        mColumn = shown;
        mYearDirty = true;
    }
    if (mPages->currentWidget() == mMonthsPage && mColumn >= 0) {
        setWindowTitle(QStringLiteral("Year view - ") + Caption());
    }
}

void YearViewDialog::ComputeYear() {
    mYearDirty = false;
    if (mColumn < 0) {
        ShowMessage(QStringLiteral("The table has no configuration column: \"add col\" adds "
                                   "one after the rule columns."));
        return;
    }
    QElapsedTimer clock;
    clock.start();
    try {
        mHolidays = rules::YearHolidays::Compute(mWalk, mTable, mColumn, YearBox->value());
    } catch (const rules::ERuleError&) {
        mLastCostMs = clock.elapsed();
        ShowMessage(DisplayMessage(std::current_exception()));
        return;
    }
    mLastCostMs = clock.elapsed();
    const std::optional<rules::CalendarDate> selected = Months->SelectedDate();
    Months->SetYear(mHolidays, mSettings);
    mListModel->SetHolidays(&mHolidays, &mSettings);
    ExportButton->setEnabled(true);
    mPages->setCurrentWidget(mMonthsPage);
    setWindowTitle(QStringLiteral("Year view - ") + Caption());
    ShowDay(Months->SelectedDate());
    if (selected && Months->SelectedDate()) {
        const int row = mListModel->FirstRowOn(*selected);
        const QSignalBlocker quiet(List->selectionModel());
        List->setCurrentIndex(row >= 0 ? mListModel->index(row) : QModelIndex());
    }
}

void YearViewDialog::ShowMessage(const QString& text) {
    mListModel->SetHolidays(nullptr, nullptr);
    MessageLabel->setText(text);
    mPages->setCurrentWidget(MessageLabel);
    ExportButton->setEnabled(false);
    DayLine->clear();
    setWindowTitle(QStringLiteral("Year view"));
}

void YearViewDialog::ShowDay(std::optional<rules::CalendarDate> date) {
    if (!date) {
        DayLine->setText(QStringLiteral("Click a day or a holiday of the list to see its titles."));
        return;
    }
    DayLine->setText(Months->DayText(*date).replace(u'\n', QStringLiteral(" · ")));
}

QString YearViewDialog::Caption() const {
    return ConfigurationName(mTable, mColumn) + u' ' + QString::number(mHolidays.Year());
}

void YearViewDialog::Export() {
    const rules::YearHolidays& holidays = Holidays();
    if (mPages->currentWidget() != mMonthsPage) {
        return;
    }
    const QString caption = Caption();
    const std::optional<std::string> path =
        mExportDialog.Execute(FileNameOf(caption) + QStringLiteral(".pdf"));
    if (!path) {
        return;
    }
    const YearViewSheet sheet(holidays, mSettings, caption);
    const QByteArray bytes = FormatOfPath(*path) == YearViewFormat::Png
                                 ? YearViewPng(sheet)
                                 : YearViewPdf(sheet, holidays, mSettings, caption);
    holiday::SaveBytesToFile(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), *path);
}

void YearViewDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (mColumnsDirty || mYearDirty) {
        mTimer.start(0);
    }
}

void YearViewDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LocaleChange) {
        // The names and the dates follow the user's settings, which the window reads anew.
        mYearDirty = true;
        Schedule();
    }
    QDialog::changeEvent(event);
}

bool YearViewDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Close) {
        close();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace app
