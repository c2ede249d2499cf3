#include "app/FileCommands.h"

#include "holiday/FilePaths.h"
#include "holiday/HolidayFile.h"

#include <unistd.h>

namespace app {

using holiday::FileExists;
using holiday::FolderOfFile;
using holiday::NameOfFile;

void FormShowCommand(HolidayFileDialog& openDialog, const std::string& programFilePath,
                     const std::string& homeFolder) {
    std::string folder = FolderOfFile(programFilePath);
    if (!homeFolder.empty() && ::access(folder.empty() ? "." : folder.c_str(), W_OK) != 0) {
        folder = homeFolder;
    }
    openDialog.SetInitialDir(folder);
}

namespace {

// The open command's steps after the dialog returned path.
void OpenConfirmedPath(holiday::HolidayTable& table, HolidayFileDialog& saveDialog,
                       const std::string& path, const std::function<void()>& confExit) {
    if (!FileExists(path)) {
        return;
    }
    // Opens first: a file that cannot be opened leaves the table as it was.
    holiday::OpenHolidayFile(table, path);
    saveDialog.SetInitialDir(FolderOfFile(path));
    saveDialog.SetFileName(NameOfFile(path));
    if (confExit) {
        confExit();
    }
}

} // namespace

void OpenCommand(holiday::HolidayTable& table, HolidayFileDialog& openDialog,
                 HolidayFileDialog& saveDialog, const std::function<void()>& confExit) {
    if (!openDialog.Execute()) {
        return;
    }
    OpenConfirmedPath(table, saveDialog, openDialog.FileName(), confExit);
}

void OpenPathCommand(holiday::HolidayTable& table, HolidayFileDialog& openDialog,
                     HolidayFileDialog& saveDialog, const std::string& path,
                     const std::function<void()>& confExit) {
    openDialog.SetFileName(path);
    OpenConfirmedPath(table, saveDialog, path, confExit);
}

void SaveCommand(const holiday::HolidayTable& table, HolidayFileDialog& saveDialog) {
    if (!saveDialog.Execute()) {
        return;
    }
    holiday::SaveToFile(table, saveDialog.FileName(), holiday::TextEncoding::Utf8);
}

} // namespace app
