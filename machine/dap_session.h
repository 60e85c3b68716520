// The debug adapter's session: the Debug Adapter Protocol's requests carried out on the
// machine's debugger, and the events that tell the client where the machine stopped. It knows
// nothing of pipes or windows: a front end hands it each message that arrives and sends the
// messages it returns, and after every slice it asks the session whether the machine stopped.
// The no-window loop (app/) and the window (ui/) drive the same session.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/dap_framing.h"
#include "machine/display.h"
#include "machine/emulator.h"

namespace tolvan {

// The launch request's arguments.
struct LaunchArguments {
    std::optional<std::string> machine_folder;  // the demo when absent
    std::vector<std::string> debug_info;        // else the folder's own
    bool stop_on_entry = false;
    bool no_window = false;
};

struct DapOutput {
    std::vector<nlohmann::json> messages;
    // A launch to carry out: the front end builds the machine for these arguments, then calls
    // finish_launch.
    std::optional<LaunchArguments> launch;
    // The session is over: the front end sends the messages and ends the program.
    bool end = false;
};

class DapSession {
  public:
    DapOutput handle(const nlohmann::json& message);
    // A frame that is not a message: an error response, or the end of the session when the
    // stream can no longer be followed.
    DapOutput framing_error(const Frame& frame);
    // The machine that the front end built for the launch (it stays the front end's), or the
    // reason it could not.
    DapOutput finish_launch(Emulator* emulator, Display* display, const std::string& error);
    // After each slice: the stopped event when the machine stopped since the last call.
    DapOutput poll();
    // What a slice or a step could not do (a tape SAVE that could not be written), for the
    // client's console.
    DapOutput failures_output(const Failures& failures);
    // The machine went away without the client asking (its window was closed).
    DapOutput machine_ended();
    // Whether the front end should run slices: launched, configured and not paused.
    bool machine_runs() const;
    // A line for the client's debug console.
    nlohmann::json output_event(const std::string& text, const char* category = "console");

  private:
    using Handler = void (DapSession::*)(const nlohmann::json& request, DapOutput& out);
    struct Command {
        const char* name;
        Handler handler;
        bool needs_machine;
    };
    static const Command kCommands[];

    nlohmann::json response(const nlohmann::json& request, bool success,
                            const std::string& error = {}, nlohmann::json body = nullptr);
    nlohmann::json event(const char* name, nlohmann::json body = nullptr);
    void reply(const nlohmann::json& request, DapOutput& out, nlohmann::json body = nullptr);
    void refuse(const nlohmann::json& request, DapOutput& out, const std::string& error);
    void report_stop(DapOutput& out);
    // The launch's debug information files, or else the machine folder's.
    void load_debug_information(DapOutput& out);
    bool require_paused(const nlohmann::json& request, DapOutput& out);
    void apply_breakpoints();
    void apply_watchpoints();
    std::string stop_reason(const StopInfo& stop) const;

    void initialize(const nlohmann::json& request, DapOutput& out);
    void launch(const nlohmann::json& request, DapOutput& out);
    void configuration_done(const nlohmann::json& request, DapOutput& out);
    void set_breakpoints(const nlohmann::json& request, DapOutput& out);
    void set_instruction_breakpoints(const nlohmann::json& request, DapOutput& out);
    void set_exception_breakpoints(const nlohmann::json& request, DapOutput& out);
    void data_breakpoint_info(const nlohmann::json& request, DapOutput& out);
    void set_data_breakpoints(const nlohmann::json& request, DapOutput& out);
    void threads(const nlohmann::json& request, DapOutput& out);
    void stack_trace(const nlohmann::json& request, DapOutput& out);
    void scopes(const nlohmann::json& request, DapOutput& out);
    void variables(const nlohmann::json& request, DapOutput& out);
    void set_variable(const nlohmann::json& request, DapOutput& out);
    void evaluate(const nlohmann::json& request, DapOutput& out);
    void read_memory(const nlohmann::json& request, DapOutput& out);
    void write_memory(const nlohmann::json& request, DapOutput& out);
    void disassemble(const nlohmann::json& request, DapOutput& out);
    void continue_(const nlohmann::json& request, DapOutput& out);
    void pause_(const nlohmann::json& request, DapOutput& out);
    void next(const nlohmann::json& request, DapOutput& out);
    void step_in(const nlohmann::json& request, DapOutput& out);
    void step_out_(const nlohmann::json& request, DapOutput& out);
    void step_back_(const nlohmann::json& request, DapOutput& out);
    void reverse_continue_(const nlohmann::json& request, DapOutput& out);
    void disconnect(const nlohmann::json& request, DapOutput& out);
    void terminate(const nlohmann::json& request, DapOutput& out);

    Emulator* emulator_ = nullptr;
    Display* display_ = nullptr;
    std::int64_t next_seq_ = 1;
    bool initialized_ = false;
    bool launch_pending_ = false;
    bool configured_ = false;
    bool terminated_ = false;
    LaunchArguments launch_arguments_;
    nlohmann::json launch_request_;
    // The stop that the client was last told of.
    std::uint64_t reported_stops_ = 0;
    // The next stop is the one that configurationDone made for stopOnEntry.
    bool entry_stop_pending_ = false;

    // The breakpoints the client set, by source file and by address; the debugger holds their
    // union with those of the debugger's window.
    std::vector<std::pair<std::string, std::vector<std::uint16_t>>> source_breakpoints_;
    std::set<std::uint16_t> instruction_breakpoints_;
    // Those that the session turned on in the debugger.
    std::set<std::uint16_t> applied_breakpoints_;
    std::vector<Watchpoint> data_breakpoints_;
    std::vector<Watchpoint> applied_watchpoints_;
};

}  // namespace tolvan
