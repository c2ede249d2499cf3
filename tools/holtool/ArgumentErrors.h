#pragma once

#include <string>

namespace CLI {
class App;
class Error;
} // namespace CLI

namespace holtool {

// The one-line message for a command line that app could not parse, after app.parse threw
// error: a word that names no command is named, with the commands there are; an argument
// that begins with "-" and looks like a file name (it holds a "." or "/", or a file of that
// name exists) is said to be read as an option, with the two ways to name such a file; other
// arguments a command does not take are listed in the order they were given. Any other error
// keeps its own text, after the command's name.
[[nodiscard]] std::string ExplainParseError(const CLI::App& app, const CLI::Error& error);

} // namespace holtool
