#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>

namespace holtool {

// Exit statuses of every command.
enum ExitStatus : int {
    ExitOk = 0,
    ExitFaults = 1,  // a rule of the file is faulty
    ExitTrouble = 2, // bad arguments, unreadable or invalid input, a file that cannot be written
};

// A failure the tool detects itself (bad arguments, invalid JSON, a JSON file that cannot be
// read). Its message is one line; the program prints it and exits with ExitTrouble.
class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Prints an error as every command of the tool does: "holtool: " and the message on err, its
// line breaks turned into spaces so that it is one line, after flushing out so that the
// message follows what was printed before it.
void PrintError(std::ostream& out, std::ostream& err, const std::string& message);

} // namespace holtool
