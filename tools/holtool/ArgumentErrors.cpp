#include "tools/holtool/ArgumentErrors.h"

#include "tools/holtool/ShownName.h"

#include <CLI/CLI.hpp>
#include <sys/stat.h>

namespace holtool {
namespace {

std::string Quoted(const std::string& word) {
    const std::string shown = ShownName(word);
    return shown == word ? "'" + word + "'" : shown;
}

std::string CommandList(const CLI::App& app) {
    std::string list;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
        list += (list.empty() ? "" : ", ") + command->get_name();
    }
    return list;
}

bool LooksLikeFile(const std::string& word) {
    struct stat st {};
    return word.find_first_of("./") != std::string::npos || ::stat(word.c_str(), &st) == 0;
}

bool IsOptionLike(const std::string& word) {
    return word.size() > 1 && word.front() == '-';
}

} // namespace

std::string ExplainParseError(const CLI::App& app, const CLI::Error& error) {
    const std::vector<CLI::App*> parsed = app.get_subcommands();
    if (parsed.empty()) {
        const std::vector<std::string> words = app.remaining();
        if (words.empty()) {
            return "a command is required: " + CommandList(app) + " (holtool --help explains them)";
        }
        if (IsOptionLike(words.front())) {
            return "unknown option " + Quoted(words.front()) +
                   " (holtool --help lists the options and commands)";
        }
        return "unknown command " + Quoted(words.front()) + "; the commands are " +
               CommandList(app);
    }

    const CLI::App& command = *parsed.front();
    const std::vector<std::string> words = command.remaining();
    for (const std::string& word : words) {
        if (IsOptionLike(word) && LooksLikeFile(word)) {
            const std::string shown = ShownName(word);
            return Quoted(word) + " is read as an option; to name a file that begins with '-', " +
                   "write -- " + shown + " or ./" + shown;
        }
    }
    if (!words.empty()) {
        std::string list;
        for (const std::string& word : words) {
            list += (list.empty() ? "" : " ") + Quoted(word);
        }
        return command.get_name() +
               (words.size() == 1 ? " does not take the argument "
                                  : " does not take the arguments ") +
               list + " (holtool " + command.get_name() + " --help lists what it takes)";
    }
    return command.get_name() + ": " + error.what();
}

} // namespace holtool
