#pragma once

#include <QPointer>
#include <functional>
#include <optional>
#include <string>

class QFileDialog;
class QWidget;

namespace app {

// One of the window's two file dialogs for holiday files: the filter "Mirevo Holiday Format"
// listing *.hol files (and folders, for navigation), the default extension "hol", resizable,
// without a read-only choice. It remembers a folder and a file name between uses, for the life
// of the process.
//
// Each Execute builds Qt's own file dialog widget as a child of the window, presets it from
// InitialDir and FileName and runs it modally. The open dialog accepts any file name whose
// folder exists (a missing file is returned too); the save dialog accepts any name and never
// asks before an existing file would be replaced.
class HolidayFileDialog {
public:
    enum class Mode { Open, Save };

    // Runs in place of the modal loop: receives this object while Dialog() is built and preset,
    // and returns the confirmed path, or nullopt for a cancel.
    using ExecutorFunction = std::function<std::optional<std::string>(HolidayFileDialog&)>;

    static constexpr const char* FilterName = "Mirevo Holiday Format";
    static constexpr const char* NameFilter = "Mirevo Holiday Format (*.hol)";
    static constexpr const char* DefaultExt = "hol";

    // parent is the window the dialog belongs to (nullptr: a dialog of its own).
    HolidayFileDialog(Mode mode, QWidget* parent);
    ~HolidayFileDialog();

    HolidayFileDialog(const HolidayFileDialog&) = delete;
    HolidayFileDialog& operator=(const HolidayFileDialog&) = delete;

    // The folder shown when the dialog opens; empty: the toolkit chooses.
    [[nodiscard]] const std::string& InitialDir() const noexcept { return mInitialDir; }
    // A value longer than one character that ends in "/" loses that last "/"; "/" stays.
    void SetInitialDir(std::string folder);

    // The text that fills the file-name field when the dialog opens; after a confirm, the full
    // path of the chosen file, whether or not it exists. A cancel leaves it unchanged.
    [[nodiscard]] const std::string& FileName() const noexcept { return mFileName; }
    void SetFileName(std::string fileName);

    // Shows the dialog modally over the window. True when the user confirmed a file name.
    bool Execute();

    // The dialog of the Execute that is running; nullptr at any other time.
    [[nodiscard]] QFileDialog* Dialog() const noexcept;

    // The first selected path of a dialog that was accepted; nullopt when it was not.
    [[nodiscard]] static std::optional<std::string> ConfirmedPath(const QFileDialog& dialog);

    // When set, Execute calls it instead of running the modal loop.
    ExecutorFunction Executor;

private:
    void Configure(QFileDialog& dialog) const;

    Mode mMode;
    QPointer<QWidget> mParent;
    QPointer<QFileDialog> mRunning;
    std::string mInitialDir;
    std::string mFileName;
};

} // namespace app
