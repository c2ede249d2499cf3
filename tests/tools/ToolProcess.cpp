#include "ToolProcess.h"

#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace {

// The process environment with the locale fixed to C.UTF-8.
std::vector<std::string> ToolEnvironment() {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        if (text.rfind("LC_", 0) != 0 && text.rfind("LANG=", 0) != 0 &&
            text.rfind("LANGUAGE=", 0) != 0) {
            env.push_back(text);
        }
    }
    env.emplace_back("LC_ALL=C.UTF-8");
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ToolResult RunTool(const std::vector<std::string>& args, const std::filesystem::path& scratch,
                   const std::string& stdinText) {
    return RunProgram(HOLTOOL_PATH, args, scratch, stdinText);
}

ToolResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::filesystem::path& scratch, const std::string& stdinText) {
    const std::filesystem::path inPath = scratch / "stdin.txt";
    const std::filesystem::path outPath = scratch / "stdout.txt";
    const std::filesystem::path errPath = scratch / "stderr.txt";
    WriteBytes(inPath, stdinText);

    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = ToolEnvironment();
    std::vector<char*> argvPointers = Pointers(argv);
    std::vector<char*> envPointers = Pointers(env);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argvPointers.data(),
                                    envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::runtime_error("cannot start " + program);
    }
    int wstatus = 0;
    if (waitpid(pid, &wstatus, 0) != pid) {
        throw std::runtime_error("waitpid failed");
    }
    ToolResult result;
    result.Status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    result.Out = ReadBytes(outPath);
    result.Err = ReadBytes(errPath);
    return result;
}
