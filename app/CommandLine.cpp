#include "app/CommandLine.h"

#include "holiday/FilePaths.h"

namespace app {

#ifndef MIREVO_VERSION
#define MIREVO_VERSION "unknown"
#endif

namespace {

CommandLine Failure(const std::string& program, const std::string& what) {
    return {CommandLine::Action::Error,
            {},
            program + ": " + what + " (try '" + program + " --help')\n"};
}

} // namespace

CommandLine ParseCommandLine(const std::string& program,
                             const std::vector<std::string>& arguments) {
    CommandLine result;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
            if (argument == "--help" || argument == "-h") {
                return {CommandLine::Action::Help,
                        {},
                        "Usage: " + program +
                            " [FILE]\n"
                            "Edit a Mirevo holiday-definition file (.hol) and test its date "
                            "rules.\n"
                            "Opens FILE when it is given.\n\n"
                            "  -h, --help     show this help and exit\n"
                            "      --version  show the version and exit\n"};
            }
            if (argument == "--version") {
                return {CommandLine::Action::Version,
                        {},
                        program + " (Mirevo Holiday Generator) " MIREVO_VERSION "\n"};
            }
            return Failure(program, "unknown option '" + argument + "'");
        }
        if (!result.File.empty() || argument.empty()) {
            return Failure(program,
                           argument.empty() ? "an empty FILE name" : "only one FILE can be opened");
        }
        result.File = argument;
    }
    return result;
}

std::string PathToOpen(const std::string& file) {
    return holiday::ShownPath(file);
}

} // namespace app
