#pragma once

#include "app/HolidayFileDialog.h"
#include "holiday/HolidayTable.h"
#include "holiday/WorkProgress.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace app {

// The file that the last open did not read whole (cells that were not UTF-8, bytes after the
// last row end, a read that failed part way), for as long as that file is there: a save that
// would replace it asks first. A file is the same by its device, inode and time of its last
// change of content, whatever the path that names it (an inode may be reused by a new file).
class LossyFile {
public:
    void Remember(const std::string& path);
    void Forget() noexcept { mFile.reset(); }
    // Whether path names the remembered file, still there.
    [[nodiscard]] bool IsAt(const std::string& path) const;

private:
    struct Identity {
        std::uint64_t Device = 0;
        std::uint64_t Inode = 0;
        std::int64_t Modified = 0; // nanoseconds since the epoch
        friend bool operator==(const Identity&, const Identity&) = default;
    };
    [[nodiscard]] static std::optional<Identity> IdentityOf(const std::string& path);

    std::optional<Identity> mFile;
};

// The file commands of the window, on the table and the window's two dialogs. Errors are
// thrown to the caller, whose error display shows them.
//
// Reading and writing run as a LongWork over Window (with progress and Cancel, the window
// answering all along), labelled Label and the file's name; a null Window does the work in one
// go, without letting any event run.
struct WorkWindow {
    QWidget* Window = nullptr;
    QString Label;
};

// Sizes the configuration columns of a table (the autosize of the open command), telling
// progress how far it is; EAbort when progress asks to stop.
using AutosizeColumns = std::function<void(holiday::HolidayTable&, holiday::WorkProgress*)>;

// The window was shown: the open dialog starts in the folder of the program file, or in
// homeFolder when the user cannot write that folder (an installed program's /usr/bin holds no
// user's files). An empty homeFolder keeps the program's folder.
void FormShowCommand(HolidayFileDialog& openDialog, const std::string& programFilePath,
                     const std::string& homeFolder);

// "open hol file": runs the open dialog; when the user confirmed the name of an existing file,
// opens it, empties the table (hidden texts included; 1 x 1, nothing fixed, CurrentCell (0, 0))
// and reads the file into it. Then the save dialog is pointed at the file's folder and name
// and autosize sizes the configuration columns. When the file held what the table cannot (see
// holiday::ReadLosses), a warning box says so once, and lossy remembers the file.
// A cancel or a name without a file changes nothing but what the dialog remembers. Throws
// EFOpenError when the file cannot be opened, leaving the table, both dialogs and lossy as they
// were; an error while reading keeps what was read, remembers the file in lossy and skips the
// steps after it.
// The file is read, and its columns sized, in a table of its own that the table takes over at
// the end (both are held until then): a cancel of the work throws EAbort and leaves the table
// (with its fixed counts and current cell), both dialogs and lossy exactly as they were.
void OpenCommand(holiday::HolidayTable& table, HolidayFileDialog& openDialog,
                 HolidayFileDialog& saveDialog, const AutosizeColumns& autosize, LossyFile& lossy,
                 const WorkWindow& work = {});

// The open command for a path given from outside the dialog (the command line, a dropped
// file): runs exactly as if the open dialog had returned path, which should be absolute. The
// open dialog's FileName becomes path; the rest is OpenCommand's, with its errors.
void OpenPathCommand(holiday::HolidayTable& table, HolidayFileDialog& openDialog,
                     HolidayFileDialog& saveDialog, const std::string& path,
                     const AutosizeColumns& autosize, LossyFile& lossy,
                     const WorkWindow& work = {});

// "save hol file": runs the save dialog and writes the whole table, header row included, to
// the confirmed path, replacing any file there without asking, but for the file lossy
// remembers: before that one is replaced the user is asked, and a No changes nothing. Throws
// EFCreateError when the file cannot be created; the table never changes. A cancel of the work
// throws EAbort and leaves the old file as it was, without a temporary file.
void SaveCommand(const holiday::HolidayTable& table, HolidayFileDialog& saveDialog,
                 LossyFile& lossy, const WorkWindow& work = {});

} // namespace app
