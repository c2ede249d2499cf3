#include "app/FileCommands.h"

#include "holiday/FilePaths.h"
#include "holiday/HolidayFile.h"

using holiday::FileExists;
using holiday::FolderOfFile;
using holiday::NameOfFile;

void FormShowCommand(HolidayFileDialog& openDialog, const std::string& programFilePath) {
    openDialog.SetInitialDir(FolderOfFile(programFilePath));
}

void OpenCommand(holiday::HolidayTable& table, HolidayFileDialog& openDialog,
                 HolidayFileDialog& saveDialog, const std::function<void()>& confExit) {
    if (!openDialog.Execute()) {
        return;
    }
    const std::string path = openDialog.FileName();
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

void SaveCommand(const holiday::HolidayTable& table, HolidayFileDialog& saveDialog) {
    if (!saveDialog.Execute()) {
        return;
    }
    holiday::SaveToFile(table, saveDialog.FileName(), holiday::TextEncoding::Utf8);
}
