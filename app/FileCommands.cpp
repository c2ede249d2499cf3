#include "app/FileCommands.h"

#include "app/MessageBoxes.h"
#include "holiday/FilePaths.h"
#include "holiday/HolidayFile.h"
#include "holiday/HolidayFileReader.h"

#include <sys/stat.h>
#include <unistd.h>

namespace app {

using holiday::FileExists;
using holiday::FolderOfFile;
using holiday::NameOfFile;

std::optional<LossyFile::Identity> LossyFile::IdentityOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return Identity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                    std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec};
}

void LossyFile::Remember(const std::string& path) {
    mFile = IdentityOf(path);
}

bool LossyFile::IsAt(const std::string& path) const {
    return mFile && IdentityOf(path) == mFile;
}

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
                       const std::string& path, const std::function<void()>& confExit,
                       LossyFile& lossy) {
    if (!FileExists(path)) {
        return;
    }
    // Opens first: a file that cannot be opened leaves the table as it was.
    holiday::HolidayFileReader reader(path);
    holiday::ReadLosses losses;
    try {
        losses = holiday::OpenHolidayFile(table, reader);
    } catch (...) {
        lossy.Remember(path);
        throw;
    }
    if (losses.Empty()) {
        lossy.Forget();
    } else {
        lossy.Remember(path);
    }
    saveDialog.SetInitialDir(FolderOfFile(path));
    saveDialog.SetFileName(NameOfFile(path));
    if (confExit) {
        confExit();
    }
    if (!losses.Empty()) {
        ShowReadLosses(holiday::ShownPath(path), losses);
    }
}

} // namespace

void OpenCommand(holiday::HolidayTable& table, HolidayFileDialog& openDialog,
                 HolidayFileDialog& saveDialog, const std::function<void()>& confExit,
                 LossyFile& lossy) {
    if (!openDialog.Execute()) {
        return;
    }
    OpenConfirmedPath(table, saveDialog, openDialog.FileName(), confExit, lossy);
}

void OpenPathCommand(holiday::HolidayTable& table, HolidayFileDialog& openDialog,
                     HolidayFileDialog& saveDialog, const std::string& path,
                     const std::function<void()>& confExit, LossyFile& lossy) {
    openDialog.SetFileName(path);
    OpenConfirmedPath(table, saveDialog, path, confExit, lossy);
}

void SaveCommand(const holiday::HolidayTable& table, HolidayFileDialog& saveDialog,
                 LossyFile& lossy) {
    if (!saveDialog.Execute()) {
        return;
    }
    const std::string& path = saveDialog.FileName();
    const bool replacesLossyFile = lossy.IsAt(path);
    if (replacesLossyFile && !ConfirmReplacingLossyFile(holiday::ShownPath(path))) {
        return;
    }
    holiday::SaveToFile(table, path, holiday::TextEncoding::Utf8);
    if (replacesLossyFile) {
        lossy.Forget(); // the file now holds what the table shows
    }
}

} // namespace app
