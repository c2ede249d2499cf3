#pragma once

#include <string>
#include <vector>

namespace app {

// What the program was asked to do by its arguments: `mirevo-holidays [FILE]`, `--help` or
// `--version`. Qt never sees the arguments, so its own options (-style, -reverse ...) are
// unknown options here.
struct CommandLine {
    enum class Action {
        Run,     // start the editor, on File when it is not empty
        Help,    // print Text to standard output, exit 0
        Version, // print Text to standard output, exit 0
        Error,   // print Text (one line) to standard error, exit 2
    };

    Action What = Action::Run;
    std::string File; // as given; empty: none
    std::string Text; // what to print, ending in a line break

    static constexpr int UsageExitCode = 2;
};

// Reads the arguments after the program's name. "--" ends the options, so a file whose name
// starts with "-" can be given after it. program is the name used in the texts.
[[nodiscard]] CommandLine ParseCommandLine(const std::string& program,
                                           const std::vector<std::string>& arguments);

// The path that the open command gets for a FILE of the command line: absolute and normalised,
// as the open dialog returns one ("./sub/../de.hol" in /data gives "/data/de.hol"). Touches no
// file but for reading the working folder.
[[nodiscard]] std::string PathToOpen(const std::string& file);

} // namespace app
