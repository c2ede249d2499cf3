#pragma once

#include <string>

// Path texts use "/" as their only separator; there are no drive letters.

namespace holiday {

// The folder part of path, without a trailing separator except for the root: "/data/de.hol"
// gives "/data", "/de.hol" gives "/", "de.hol" gives the empty text. A run of separators before
// the name counts as one ("/data//de.hol" gives "/data", "//x" gives "/"). Touches no file.
[[nodiscard]] std::string FolderOfFile(const std::string& path);

// The characters after the last separator; the whole path if there is none. Touches no file.
[[nodiscard]] std::string NameOfFile(const std::string& path);

// The path of name in folder: "/data" and "de.hol" give "/data/de.hol", "/" gives "/de.hol",
// the empty folder gives name itself. Touches no file.
[[nodiscard]] std::string JoinPath(const std::string& folder, const std::string& name);

// The path taken against the working folder when it is relative (unless the working folder
// cannot be read); nothing else is changed, so it names the same entry as path.
[[nodiscard]] std::string AbsolutePath(const std::string& path);

// The path normalised without looking at the file system: "." parts and repeated separators
// are dropped and each ".." removes the part before it ("/a/./f/../x.hol" gives "/a/x.hol").
// Links are not resolved, so the result may name another entry than path: it is for showing.
[[nodiscard]] std::string NormalPath(const std::string& path);

// The name of path in the file messages: absolute and normalised (NormalPath of AbsolutePath).
[[nodiscard]] std::string ShownPath(const std::string& path);

// What kind of entry a file-system mode (st_mode) describes.
enum class FileKind { Regular, Folder, Pipe, Device, Socket, Other };
[[nodiscard]] FileKind KindOfFile(unsigned mode) noexcept;

// True when the file system has an entry at path that is not a folder. A missing entry, a
// missing folder, an invalid name and a folder count as no file. When the entry's attributes
// cannot be read for another reason (no access, a loop of links), the path still counts as a
// file if the listing of its folder holds it as something other than a folder.
[[nodiscard]] bool FileExists(const std::string& path);

} // namespace holiday
