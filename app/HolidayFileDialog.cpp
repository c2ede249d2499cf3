#include "app/HolidayFileDialog.h"

#include "app/PathText.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <utility>

namespace app {

namespace {

// Qt's file dialog, which takes the name field as the one name it holds, and which for opening
// also refuses a name in a folder that does not exist: it tells the user and stays open.
//
// Qt reads double quotes in the name field as a list of names ("a" "b"), so that a"b.hol
// would name b.hol; a Linux file name may hold them. A name with a double quote is therefore
// taken here as it stands, completed as Qt completes a name (the folder shown, the default
// extension), and a folder of that name is entered.
class LiteralNameFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        mLiteralPath.reset();
        const QLineEdit* field = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QString typed = field != nullptr ? field->text() : QString();
        if (!typed.contains(u'"')) {
            const QStringList files = selectedFiles();
            if (acceptMode() == QFileDialog::AcceptOpen && !files.isEmpty() &&
                !FolderExists(files.constFirst())) {
                return;
            }
            QFileDialog::accept();
            return;
        }
        QString path = typed.startsWith(u'/') ? typed : directory().absolutePath() + u'/' + typed;
        const QFileInfo chosen(path);
        if (chosen.isDir()) {
            setDirectory(path);
            if (QLineEdit* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                edit->clear();
            }
            return;
        }
        if (!defaultSuffix().isEmpty() && !chosen.fileName().contains(u'.')) {
            path += u'.' + defaultSuffix();
        }
        if (acceptMode() == QFileDialog::AcceptOpen && !FolderExists(path)) {
            return;
        }
        mLiteralPath = path;
        QDialog::accept();
    }

    // The path accept took as it was typed; nullopt when Qt's own reading of the field holds.
    [[nodiscard]] const std::optional<QString>& LiteralPath() const noexcept {
        return mLiteralPath;
    }

private:
    // False after telling the user, when path lies in a missing folder.
    bool FolderExists(const QString& path) {
        const QFileInfo chosen(path);
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

    std::optional<QString> mLiteralPath;
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
    const RunningDialog running(mRunning, new LiteralNameFileDialog(mParent.data()));
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
    if (const auto* literal = dynamic_cast<const LiteralNameFileDialog*>(&dialog);
        literal != nullptr && literal->LiteralPath()) {
        return PathToStdString(*literal->LiteralPath());
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
