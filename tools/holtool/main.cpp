// holtool: reports, checks and converts .hol holiday-definition files from the command line,
// with the readers, writer and rule evaluation of the editor.

#include "holiday/Exception.h"
#include "tools/holtool/ArgumentErrors.h"
#include "tools/holtool/CheckCommand.h"
#include "tools/holtool/CompareCommand.h"
#include "tools/holtool/DatePattern.h"
#include "tools/holtool/DumpCommand.h"
#include "tools/holtool/IcsCommand.h"
#include "tools/holtool/ImportCommand.h"
#include "tools/holtool/OutputTarget.h"
#include "tools/holtool/ReportCommand.h"
#include "tools/holtool/ShownName.h"
#include "tools/holtool/ToolError.h"
#include "tools/holtool/WriteCommand.h"
#include "tools/holtool/YearRange.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#ifndef MIREVO_VERSION
#define MIREVO_VERSION "unknown"
#endif

namespace {

constexpr const char* YearsHelp =
    "Years to evaluate, A-B or a single year, from 1 to 9999 (default 2005-2015)";

struct Arguments {
    std::string File;
    std::vector<std::string> Files;
    std::string Years;
    std::string DateFormat;
    std::string JsonFile;
    std::string HolFile;
    std::string Config;
    std::string Marks;
    std::string Output;
    std::string Encoding;
    std::int32_t Column = 0;
    std::vector<std::string> Calendars;
    std::string Calendar;
    std::string Mark;
    std::string Into;
};

std::optional<std::string> MarksOf(const CLI::App& command, const Arguments& args) {
    if (command.count("--marks") == 0) {
        return std::nullopt;
    }
    if (args.Marks.empty()) {
        throw holtool::ToolError("--marks needs the mark characters, such as #1");
    }
    return args.Marks;
}

std::optional<holtool::YearRange> OptionalYears(const CLI::App& command, const Arguments& args) {
    if (command.count("--years") == 0) {
        return std::nullopt;
    }
    return holtool::ParseYearRange(args.Years);
}

holtool::YearRange YearsOf(const CLI::App& command, const Arguments& args) {
    if (command.count("--years") == 0) {
        return holtool::YearRange{};
    }
    return holtool::ParseYearRange(args.Years);
}

int Run(const CLI::App& app, const Arguments& args) {
    const CLI::App& report = *app.get_subcommand("report");
    const CLI::App& check = *app.get_subcommand("check");
    if (report.parsed()) {
        holtool::ReportOptions options{args.File, YearsOf(report, args), std::nullopt};
        if (report.count("--date-format") != 0) {
            if (args.DateFormat.empty()) {
                throw holtool::ToolError("--date-format needs a pattern such as dd.mm.yyyy");
            }
            holtool::CheckDatePattern(args.DateFormat);
            options.DateFormat = args.DateFormat;
        }
        return holtool::RunReport(options, std::cout, std::cerr);
    }
    if (check.parsed()) {
        return holtool::RunCheck(args.Files, YearsOf(check, args), std::cout, std::cerr);
    }
    const CLI::App& ics = *app.get_subcommand("ics");
    if (ics.parsed()) {
        holtool::IcsOptions options{args.File,    args.Config,  std::nullopt,
                                    std::nullopt, std::nullopt, std::nullopt};
        options.Years = OptionalYears(ics, args);
        options.Marks = MarksOf(ics, args);
        if (ics.count("-o") != 0 && !holtool::IsStandardOutput(args.Output)) {
            holtool::CheckOutputTarget(args.Output, "-o", "-o -");
            options.Output = args.Output;
        }
        if (ics.count("--column") != 0) {
            options.Column = args.Column;
        }
        return holtool::RunIcs(options, std::cout, std::cerr);
    }
    const CLI::App& import = *app.get_subcommand("import");
    if (import.parsed()) {
        holtool::ImportOptions options;
        options.Calendars = args.Calendars;
        options.Output = args.Output;
        if (import.count("--config") != 0) {
            options.Config = args.Config;
        }
        if (import.count("--mark") != 0) {
            options.Mark = args.Mark;
        }
        options.Years = OptionalYears(import, args);
        if (import.count("--into") != 0) {
            options.Into = args.Into;
        }
        return holtool::RunImport(options, std::cout, std::cerr);
    }
    const CLI::App& compare = *app.get_subcommand("compare");
    if (compare.parsed()) {
        holtool::CompareOptions options{args.File, args.Config, args.Calendar,
                                        OptionalYears(compare, args), MarksOf(compare, args)};
        return holtool::RunCompare(options, std::cout, std::cerr);
    }
    const CLI::App& dump = *app.get_subcommand("dump");
    if (dump.parsed()) {
        return holtool::RunDump(args.File, std::cout, std::cerr,
                                dump.count("--encoding") != 0
                                    ? std::optional<std::string>(args.Encoding)
                                    : std::nullopt);
    }
    return holtool::RunWrite(args.JsonFile, args.HolFile);
}

int Fail(const std::string& message) {
    holtool::PrintError(std::cout, std::cerr, message);
    return holtool::ExitTrouble;
}

// The file names of the command line, whose shown form replaces them in messages.
std::vector<std::string> FileNames(const Arguments& args) {
    std::vector<std::string> names{args.File,   args.JsonFile, args.HolFile,
                                   args.Output, args.Calendar, args.Into};
    names.insert(names.end(), args.Files.begin(), args.Files.end());
    names.insert(names.end(), args.Calendars.begin(), args.Calendars.end());
    return names;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Reports, checks and converts .hol holiday-definition files.", "holtool"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "holtool (Mirevo Holiday Generator) " MIREVO_VERSION,
                         "Print the version and exit");
    app.footer("Exit status: 0 success, 1 a faulty rule was found (import: a title without a "
               "rule; compare: a difference), 2 bad arguments or input, or a file that cannot "
               "be read or written.");
    Arguments args;

    CLI::App* report = app.add_subcommand(
        "report", "Print the test report of FILE: the date of every rule in every year.");
    report->add_option("FILE", args.File, ".hol file, - for standard input")->required();
    report->add_option("--years", args.Years, YearsHelp);
    report->add_option("--date-format", args.DateFormat,
                       "Date pattern such as dd.mm.yyyy or yyyy-mm-dd instead of the locale's "
                       "short date format");

    CLI::App* check = app.add_subcommand(
        "check", "Evaluate every rule of every FILE and print each faulty cell as "
                 "FILE:ROW:COLUMN: message.");
    check->add_option("FILE", args.Files, ".hol files, - for standard input")->required();
    check->add_option("--years", args.Years, YearsHelp);

    CLI::App* dump = app.add_subcommand(
        "dump", "Print the table of FILE as JSON, one row per line (for diffs and textconv).");
    dump->add_option("FILE", args.File, ".hol file, - for standard input")->required();
    dump->add_option("--encoding", args.Encoding,
                     "Read every cell as text in this encoding (a name iconv knows, such as "
                     "windows-1252) instead of UTF-8");

    CLI::App* ics = app.add_subcommand(
        "ics", "Write the holidays of one configuration of FILE as an iCalendar file: one "
               "all-day event per marked rule and year.");
    ics->add_option("FILE", args.File, ".hol file, - for standard input")->required();
    ics->add_option("--config", args.Config, "Header text of the configuration column")->required();
    ics->add_option("--years", args.Years,
                    "Years, A-B or a single year (default: this year and the next)");
    ics->add_option("--marks", args.Marks,
                    "Only rules whose mark is one of these characters (default: any mark)");
    ics->add_option("-o", args.Output,
                    "File to create or replace (default, and with -o -: standard output)");
    ics->add_option("--column", args.Column,
                    "Index of the configuration column (from 0, as the editor counts), when "
                    "several carry the name --config gives");

    CLI::App* import = app.add_subcommand(
        "import", "Turn the holidays of iCalendar files into rules: one row per title whose "
                  "dates one rule gives, marked in one configuration column.");
    import->add_option("CALENDAR", args.Calendars, ".ics files")->required();
    import->add_option("-o", args.Output, ".hol file to create or replace")->required();
    import->add_option("--config", args.Config,
                       "Header of the configuration column (default: the calendar's name, "
                       "else the file's name)");
    import->add_option("--mark", args.Mark, "Mark of the imported rules (default #)");
    import->add_option("--years", args.Years,
                       "Years, A-B or a single year (default: the years the calendar covers)");
    import->add_option("--into", args.Into,
                       ".hol file to merge into (its rows and columns stay; -o may name it)");

    CLI::App* compare = app.add_subcommand(
        "compare", "Compare the holidays one configuration of FILE gives with a calendar, "
                   "year by year; exits 1 when they differ.");
    compare->add_option("FILE", args.File, ".hol file")->required();
    compare->add_option("CALENDAR", args.Calendar, ".ics file")->required();
    compare->add_option("--config", args.Config, "Header text of the configuration column")
        ->required();
    compare->add_option("--years", args.Years,
                        "Years, A-B or a single year (default: the years the calendar covers)");
    compare->add_option("--marks", args.Marks,
                        "Only rules whose mark is one of these characters (default: any mark)");

    CLI::App* write =
        app.add_subcommand("write", "Write the JSON table JSON (as dump prints it) to HOL.");
    write->add_option("JSON", args.JsonFile, "JSON file, - for standard input")->required();
    write->add_option("HOL", args.HolFile, ".hol file to create or replace, - for standard output")
        ->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) {
            return app.exit(error, std::cout, std::cerr);
        }
        return Fail(holtool::ExplainParseError(app, error));
    }

    try {
        const int status = Run(app, args);
        std::cout.flush();
        if (!std::cout) {
            return Fail("cannot write to standard output");
        }
        return status;
    } catch (const holtool::ToolError& error) {
        return Fail(holtool::WithShownNames(error.what(), FileNames(args)));
    } catch (const holiday::Exception& error) {
        return Fail(holtool::WithShownNames(holiday::DisplayText(error), FileNames(args)));
    } catch (const nlohmann::json::exception& error) {
        return Fail(error.what());
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
}
