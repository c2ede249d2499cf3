#include "app/FileCommands.h"

#include "app/LongWork.h"
#include "app/MessageBoxes.h"
#include "app/PathText.h"
#include "holiday/Exception.h"
#include "holiday/FilePaths.h"
#include "holiday/HolidayFile.h"
#include "holiday/HolidayFileReader.h"

#include <optional>
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

// Starts the long work of a command on the file at path in started, when it has a window;
// returns its progress, or null.
holiday::WorkProgress* StartWork(std::optional<LongWork>& started, const WorkWindow& work,
                                 const std::string& path) {
    if (work.Window == nullptr) {
        return nullptr;
    }
    started.emplace(work.Window, work.Label + QLatin1Char('\n') +
                                     PathToQString(NameOfFile(holiday::ShownPath(path))));
    return &*started;
}

// The open command's steps after the dialog returned path.
void OpenConfirmedPath(holiday::HolidayTable& table, HolidayFileDialog& saveDialog,
                       const std::string& path, const AutosizeColumns& autosize, LossyFile& lossy,
                       const WorkWindow& work) {
    if (!FileExists(path)) {
        return;
    }
    // Opens first: a file that cannot be opened leaves the table as it was.
    holiday::HolidayFileReader reader(path);
    std::optional<LongWork> longWork;
    holiday::WorkProgress* const progress = StartWork(longWork, work, path);
    const std::unique_ptr<holiday::HolidayTable> read = table.OpenResetCopy();
    holiday::ReadLosses losses;
    try {
        losses = reader.ReadInto(*read, holiday::TextEncoding::Utf8, progress);
    } catch (const holiday::EAbort&) {
        throw; // cancelled: the table stays as it was
    } catch (...) {
        table.TakeOver(*read); // what was read up to the error
        lossy.Remember(path);
        throw;
    }
    if (autosize) {
        autosize(*read, progress);
    }
    longWork.reset();
    table.TakeOver(*read);
    if (losses.Empty()) {
        lossy.Forget();
    } else {
        lossy.Remember(path);
    }
    saveDialog.SetInitialDir(FolderOfFile(path));
    saveDialog.SetFileName(NameOfFile(path));
    if (!losses.Empty()) {
        ShowReadLosses(holiday::ShownPath(path), losses);
    }
}

} // namespace

void OpenCommand(holiday::HolidayTable& table, HolidayFileDialog& openDialog,
                 HolidayFileDialog& saveDialog, const AutosizeColumns& autosize, LossyFile& lossy,
                 const WorkWindow& work) {
    if (!openDialog.Execute()) {
        return;
    }
    OpenConfirmedPath(table, saveDialog, openDialog.FileName(), autosize, lossy, work);
}

void OpenPathCommand(holiday::HolidayTable& table, HolidayFileDialog& openDialog,
                     HolidayFileDialog& saveDialog, const std::string& path,
                     const AutosizeColumns& autosize, LossyFile& lossy, const WorkWindow& work) {
    openDialog.SetFileName(path);
    OpenConfirmedPath(table, saveDialog, path, autosize, lossy, work);
}

void SaveCommand(const holiday::HolidayTable& table, HolidayFileDialog& saveDialog,
                 LossyFile& lossy, const WorkWindow& work) {
    if (!saveDialog.Execute()) {
        return;
    }
    const std::string& path = saveDialog.FileName();
    const bool replacesLossyFile = lossy.IsAt(path);
    if (replacesLossyFile && !ConfirmReplacingLossyFile(holiday::ShownPath(path))) {
        return;
    }
    {
        std::optional<LongWork> longWork;
        holiday::SaveToFile(table, path, holiday::TextEncoding::Utf8,
                            StartWork(longWork, work, path));
    }
    if (replacesLossyFile) {
        lossy.Forget(); // the file now holds what the table shows
    }
}

} // namespace app
