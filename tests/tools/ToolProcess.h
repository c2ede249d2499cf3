#pragma once

#include "tests/support/ByteFiles.h"

#include <filesystem>
#include <string>
#include <vector>

// What one run of the holtool executable gave.
struct ToolResult {
    int Status = -1; // exit status, or -1 when the process did not exit normally
    std::string Out;
    std::string Err;
};

// Runs holtool with args in the C.UTF-8 locale, standard input read from stdinText, and
// waits for it. scratch is a folder for the captured output.
ToolResult RunTool(const std::vector<std::string>& args, const std::filesystem::path& scratch,
                   const std::string& stdinText = {});
// The same for any program, given by its path.
ToolResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::filesystem::path& scratch, const std::string& stdinText = {});

using testsupport::ReadBytes;
using testsupport::WriteBytes;
