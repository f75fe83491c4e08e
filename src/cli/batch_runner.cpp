#include "cli/batch_runner.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>

#include "cli/command_runner.h"
#include "cli/command_set.h"
#include "cli/drive_commands.h"
#include "cli/line_tokenizer.h"

namespace orv::cli {

namespace {

// The exit status of the line's command; none for a blank or comment line. A line that does
// not parse fails as that command would on the command line, with a usage error.
std::optional<int> RunLine(Session& s, const std::string& line) {
    std::vector<std::string> words;
    std::string error;
    if (!SplitLine(line, words, error)) {
        std::cerr << "orvalis-cli: " << error << std::endl;
        return kUsageError;
    }
    if (words.empty()) return std::nullopt;

    CLI::App parser{"A line of an orvalis-cli batch", "orvalis-cli"};
    parser.require_subcommand(1);
    parser.fallthrough(false);
    CommandSet commands(parser, CommandScope::BatchLine);
    std::reverse(words.begin(), words.end());  // CLI11 takes the arguments last first
    try {
        parser.parse(words);
    } catch (const CLI::CallForHelp& e) {
        return parser.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return parser.exit(e);
    } catch (const CLI::ParseError& e) {
        parser.exit(e);
        return kUsageError;
    }
    return RunCommand(s, commands.Parsed(), commands.Args());
}

}  // namespace

int RunBatchLines(Session& s, std::istream& lines, bool keepGoing) {
    bool failed = false;
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();  // a script saved on Windows
        const std::optional<int> status = RunLine(s, line);
        if (!status || *status == 0) continue;
        failed = true;
        std::cerr << "orvalis-cli: line " << number << " failed (status " << *status << ")"
                  << (keepGoing ? "" : "; the batch stops") << std::endl;
        if (!keepGoing) break;
    }
    return failed ? 1 : 0;
}

int RunBatch(Session& s, const std::string& script, bool keepGoing) {
    if (script == "-") return RunBatchLines(s, std::cin, keepGoing);
    std::ifstream in(script);
    std::error_code ec;
    if (!in || std::filesystem::is_directory(script, ec)) {
        std::cerr << "orvalis-cli: cannot read the script " << script << std::endl;
        return kUsageError;
    }
    return RunBatchLines(s, in, keepGoing);
}

}  // namespace orv::cli
