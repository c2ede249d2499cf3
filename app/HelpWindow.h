#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace app {

// The short help of the window (F1): how a rule row is written, column by column, the marks of
// the configuration columns, and every key of the window, the grid and the cell editor. A
// window of its own beside the main window, not modal: the user keeps editing while it is
// open. Escape or its Close button close it.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // The help as the window shows it (HTML).
    [[nodiscard]] static QString HelpHtml();

    [[nodiscard]] QTextBrowser* Text() const noexcept { return mText; }

private:
    QTextBrowser* mText = nullptr;
};

} // namespace app
