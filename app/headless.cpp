#include "app/headless.h"

#include <ostream>
#include <utility>

#include "app/headless_session.h"
#include "base/version.h"

namespace tolvan {

namespace {

// Each failure's text as the window shows it, then the file and the system's reason if known.
// Returns whether there was none.
bool print_failures(std::ostream& err, const Failures& failures) {
    for (const Failure& failure : failures.list) {
        err << failure.message << "\n";
        if (!failure.detail.empty()) err << failure.detail << "\n";
    }
    return failures.ok();
}

// The symbols that addresses may name: the machine folder's symbol files, then those of the
// command line, all read before anything runs. A symbol file of the command line that cannot
// be read fails the run; a broken one in the folder only earns a warning.
bool load_symbols(const std::vector<std::string>& files, Symbols& symbols, std::ostream& err) {
    const SymbolFolderStatus folder = read_symbol_folder(".", symbols);
    for (const std::string& failure : folder.failures)
        err << "tolvan: warning: " << failure << "; not loaded\n";
    for (const std::string& file : files) {
        const SymbolFileStatus status = read_symbol_file(file, symbols);
        if (!status) {
            err << "tolvan: --symbols: " << describe_symbol_file_status(file, status) << "\n";
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<int> answer_at_once(const ParsedCommandLine& parsed, std::ostream& out,
                                  std::ostream& err) {
    if (parsed.line.help) {
        out << help_text();
        return kExitOk;
    }
    if (parsed.line.version) {
        out << "tolvan " << kTolvanVersion << "\n";
        return kExitOk;
    }
    if (!parsed.problem.empty()) {
        err << usage_error(parsed.problem);
        return kExitUsage;
    }
    return std::nullopt;
}

int run_headless_line(const CommandLine& line, std::ostream& out, std::ostream& err) {
    Symbols symbols;
    if (!load_symbols(line.symbol_files, symbols, err)) return kExitReportedError;
    const ReadActions read = read_actions(line.actions, symbols);
    if (!read.problem.empty()) {
        err << usage_error(read.problem);
        return kExitUsage;
    }
    HeadlessSession session(out, err, std::move(symbols));
    if (!print_failures(err, session.take_start_failures())) return kExitReportedError;
    for (const Action& action : read.actions) {
        Failures failures = action.option->perform(session, action.values);
        session.report_stop();
        failures.add(session.take_trace_failure());
        if (!print_failures(err, failures)) {
            // The run has failed already; finishing only adds what the trace lost.
            print_failures(err, session.finish());
            return kExitReportedError;
        }
    }
    if (!print_failures(err, session.finish())) return kExitReportedError;
    return session.all_reached() ? kExitOk : kExitNotReached;
}

int run_headless(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    std::vector<std::string> line{"--headless"};
    line.insert(line.end(), arguments.begin(), arguments.end());
    const ParsedCommandLine parsed = parse_command_line(line);
    if (const auto status = answer_at_once(parsed, out, err)) return *status;
    return run_headless_line(parsed.line, out, err);
}

}  // namespace tolvan
