#include "app/HolidayFileDialog.h"

#include "app/PathText.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <utility>

namespace app {

namespace {

// Qt's file dialog, which for opening also refuses a name in a folder that does not exist: it
// tells the user and stays open.
class FolderCheckingFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        if (acceptMode() == QFileDialog::AcceptOpen && !FolderExists()) {
            return;
        }
        QFileDialog::accept();
    }

private:
    // False after telling the user, when the chosen name lies in a missing folder.
    bool FolderExists() {
        const QStringList files = selectedFiles();
        if (files.isEmpty()) {
            return true;
        }
        const QFileInfo chosen(files.constFirst());
        if (chosen.isDir() || QFileInfo(chosen.absolutePath()).isDir()) {
            return true;
        }
        // The notice does not block: the dialog stays open beneath it.
        auto* notice = new QMessageBox(
            QMessageBox::Warning, windowTitle(),
            QFileDialog::tr("%1\nDirectory not found.\nPlease verify the correct directory name "
                            "was given.")
                .arg(QDir::toNativeSeparators(chosen.absolutePath())),
            QMessageBox::Ok, this);
        notice->setAttribute(Qt::WA_DeleteOnClose);
        notice->open();
        return false;
    }
};

// Deletes the dialog of one Execute, unless its parent already did.
class RunningDialog {
public:
    RunningDialog(QPointer<QFileDialog>& running, QFileDialog* dialog)
        : mRunning(running), mDialog(dialog) {
        mRunning = dialog;
    }
    ~RunningDialog() {
        mRunning = nullptr;
        delete mDialog.data();
    }
    RunningDialog(const RunningDialog&) = delete;
    RunningDialog& operator=(const RunningDialog&) = delete;

private:
    QPointer<QFileDialog>& mRunning;
    QPointer<QFileDialog> mDialog;
};

std::optional<std::string> RunModal(HolidayFileDialog& owner) {
    QFileDialog& dialog = *owner.Dialog();
    dialog.exec();
    return HolidayFileDialog::ConfirmedPath(dialog);
}

} // namespace

HolidayFileDialog::HolidayFileDialog(Mode mode, QWidget* parent) : mMode(mode), mParent(parent) {}

HolidayFileDialog::~HolidayFileDialog() = default;

void HolidayFileDialog::SetInitialDir(std::string folder) {
    if (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    mInitialDir = std::move(folder);
}

QFileDialog* HolidayFileDialog::Dialog() const noexcept {
    return mRunning.data();
}

void HolidayFileDialog::SetFileName(std::string fileName) {
    mFileName = std::move(fileName);
}

bool HolidayFileDialog::Execute() {
    const RunningDialog running(mRunning, new FolderCheckingFileDialog(mParent.data()));
    Configure(*mRunning);
    if (!mInitialDir.empty()) {
        mRunning->setDirectory(PathToQString(mInitialDir));
    }
    if (!mFileName.empty()) {
        mRunning->selectFile(PathToQString(mFileName));
    }
    std::optional<std::string> confirmed = Executor ? Executor(*this) : RunModal(*this);
    if (!confirmed) {
        return false;
    }
    mFileName = std::move(*confirmed);
    return true;
}

std::optional<std::string> HolidayFileDialog::ConfirmedPath(const QFileDialog& dialog) {
    if (dialog.result() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) {
        return std::nullopt;
    }
    return PathToStdString(files.constFirst());
}

void HolidayFileDialog::Configure(QFileDialog& dialog) const {
    // Qt's own widget: a dialog of the desktop would not keep to these settings.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(mMode == Mode::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromUtf8(NameFilter));
    dialog.selectNameFilter(QString::fromUtf8(NameFilter));
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setDefaultSuffix(QString::fromUtf8(DefaultExt));
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, mMode == Mode::Save);
    dialog.setSizeGripEnabled(true);
}

} // namespace app
