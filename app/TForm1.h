#pragma once

#include "app/FileCommands.h"
#include "app/HolidayFileDialog.h"
#include "holiday/HolidayTable.h"
#include "holiday/TableHistory.h"
#include "rules/LocaleDateSettings.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <string>

class QCheckBox;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QFrame;
class QLabel;
class QPushButton;

namespace rules {
class ERuleError;
}

namespace app {

class HelpWindow;
class HolidayGrid;
class ReportMemo;
class YearViewDialog;

// The program's one window `Form1`: the panel `Panel1` with the command buttons, the option
// check boxes, the report box `Memo1` and the legend, and below it the grid `sg` over the one
// HolidayTable the window owns for its whole life.
//
// Every command is a public handler that takes the sender of its event and ignores it, so
// tests run the commands without a screen. Handlers throw the table's and the report's errors;
// the connections made by the window hand them to the error display.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    // The client size the window is laid out for; it opens maximised.
    static constexpr int DesignWidth = 1061;
    static constexpr int DesignHeight = 662;
    static constexpr int PanelHeight = 209;
    // Pixels added to each measured header width by "autosize col width".
    static constexpr int AutosizePadding = 10;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    [[nodiscard]] holiday::HolidayTable& Table() noexcept { return mTable; }
    // The table's undo history: the grid's edits, the row and column commands and a dropped
    // calendar record into it; opening a file voids it.
    [[nodiscard]] holiday::TableHistory& History() noexcept { return mHistory; }
    [[nodiscard]] const rules::LocaleDateSettings& LocaleSettings() const noexcept {
        return mLocaleSettings;
    }
    // Replaces the date settings read from the user's locale (until the locale changes).
    void SetLocaleSettings(const rules::LocaleDateSettings& settings) {
        mLocaleSettings = settings;
    }

    // --- Handlers ---
    // The window became visible for the first time: points the open dialog at the program's
    // folder.
    void FormShow(QObject* sender);
    // Opens path (absolute) as if the open dialog had returned it: from the command line or a
    // file dropped on the window. Throws what the open command throws.
    void OpenFile(const std::string& path);
    // Opens path with OpenFile once the window has been shown for the first time, after
    // FormShow; an error goes to the error display.
    void OpenWhenShown(std::string path) { mOpenWhenShown = std::move(path); }
    // Imports the calendar at path (an .ics file dropped on the window) into the open table
    // and shows the summary in Memo1 (ImportCalendarCommand). Throws what that throws.
    void ImportCalendar(const std::string& path);
    void Button8Click(QObject* sender); // open hol file
    void Button1Click(QObject* sender); // save hol file
    void Button2Click(QObject* sender); // add row: RowCount + 1
    void Button4Click(QObject* sender); // delete current row: DeleteTableRow(CurrentCell.Row)
    void Button5Click(QObject* sender); // add col: ColCount + 1
    void Button6Click(QObject* sender); // delete last col: ColCount - 1 while above 5
    // autosize col width: each column from 5 on becomes as wide as its header text (row 0)
    // in the ordinary cell font, plus 10 pixels. Also run after a file was opened. A cancel of
    // its progress keeps the widths set before it.
    void ConfExit(QObject* sender);
    // Fixed 1st column: FixedCols 1 when checked, else 0. Throws EInvalidGridOperation when
    // the table has a single column; the box keeps its new tick.
    void CheckBox1Click(QObject* sender);
    // edit Configurations/states/provinces: FixedRows 0 when checked, else 1. Throws
    // EInvalidGridOperation when the table has a single row; the box keeps its new tick.
    void CheckBox2Click(QObject* sender);
    // test: empties Memo1 and appends the report line by line. Throws EConvertError at the
    // first faulty rule, after every line before it was appended. A cancel of its progress
    // ends it silently (EAbort), the lines so far in Memo1.
    void Button3Click(QObject* sender);
    // Runs before the grid's own handling of every key that reaches the grid or its cell
    // editor. On Enter it moves CurrentCell one row down (returndown ticked) or one column to
    // the right, never beyond the last row or column. key is left unchanged.
    void sgKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift);

    // The help window (F1), beside the window and not modal; a second call brings it to the
    // front.
    void ShowHelp();
    [[nodiscard]] HelpWindow* Help() const noexcept;
    // After "test" stopped at a faulty rule: the faulty cell becomes the current cell, scrolled
    // into view, and the grid takes the keyboard focus, which the error box gives back to it
    // once it is closed, so that typing corrects the cell.
    void ShowFaultyCell(const rules::ERuleError& error);
    // Opens the year view of configuration column col (5 on), one for the window: a second
    // call raises it and switches it to col.
    void ShowYearView(std::int32_t col);

    // Easter Sunday of year.
    void Ostern(std::uint16_t& oday, std::uint16_t& omon, std::int32_t year) const;

    // --- Controls (designer names) ---
    // The open and save dialogs remember their folder and file name for the life of the
    // window.
    HolidayFileDialog OpenDialog1{HolidayFileDialog::Mode::Open, this};
    HolidayFileDialog SaveDialog1{HolidayFileDialog::Mode::Save, this};
    QFrame* Panel1 = nullptr;
    HolidayGrid* sg = nullptr;
    ReportMemo* Memo1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button8 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* returndown = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label19 = nullptr;
    QLabel* Label20 = nullptr;
    QLabel* Label21 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPanel();
    void BuildGrid();
    void BuildShortcuts();
    void SetTabOrder();
    // Sizes the columns 5 and up of table as ConfExit does, telling progress (may be null) how
    // far it is; EAbort when progress asks to stop, with the columns before sized.
    void SizeConfigColumns(holiday::HolidayTable& table, holiday::WorkProgress* progress) const;
    // The work of "test"; throws as Button3Click does, once its progress is closed.
    void RunTestReport();
    // Where the long work of the file commands shows its progress.
    [[nodiscard]] WorkWindow FileWork(const QPushButton* button);

    // The grid observes the table; the destructor deletes the grid before the table goes.
    holiday::HolidayTable mTable;
    holiday::TableHistory mHistory{mTable};
    rules::LocaleDateSettings mLocaleSettings;
    bool mShown = false;
    std::string mOpenWhenShown;
    // The opened file, while it holds what the table could not take.
    LossyFile mLossyFile;
    QPointer<HelpWindow> mHelp;
    // Observes the table, so the destructor deletes it before the table goes.
    QPointer<YearViewDialog> mYearView;
};

} // namespace app
