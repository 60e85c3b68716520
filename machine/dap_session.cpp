#include "machine/dap_session.h"

#include <algorithm>
#include <limits>

#include "base/number_text.h"
#include "machine/dap_arguments.h"
#include "machine/dap_inspect.h"
#include "machine/debugger.h"
#include "machine/source_map.h"
#include "machine/stack_walk.h"
#include "machine/time_travel.h"
#include "tools/hex_text.h"

namespace tolvan {

namespace {

using nlohmann::json;

// The processor is the one thread.
constexpr int kThreadId = 1;

const char* watch_access_type(const Watchpoint& watchpoint) {
    if (watchpoint.reads && watchpoint.writes) return "readWrite";
    return watchpoint.reads ? "read" : "write";
}

// "0x2000:1", a data breakpoint's id: the first address and the number of bytes.
std::string data_id(std::uint16_t address, unsigned bytes) {
    return prefixed_hex("0x", address, 4) + ":" + std::to_string(bytes);
}

std::optional<Watchpoint> watchpoint_of(const std::string& id, const std::string& access) {
    const std::size_t colon = id.find(':');
    if (colon == std::string::npos || !id.starts_with("0x")) return std::nullopt;
    const auto address = parse_address({}, id.substr(0, colon), PlainDigits::kAsDecimal);
    const auto bytes = parse_address({}, id.substr(colon + 1), PlainDigits::kAsDecimal);
    if (!address || !bytes || *bytes == 0 || *address + *bytes > 0x10000) return std::nullopt;
    Watchpoint watchpoint{*address, static_cast<std::uint16_t>(*address + *bytes - 1), false,
                          false};
    watchpoint.reads = access == "read" || access == "readWrite";
    watchpoint.writes = access.empty() || access == "write" || access == "readWrite";
    if (!watchpoint.reads && !watchpoint.writes) return std::nullopt;
    return watchpoint;
}

// A request's arguments; an empty object when it has none.
const json& arguments_of(const json& request) {
    static const json kNone = json::object();
    const json* arguments = json_field(request, "arguments");
    return arguments ? *arguments : kNone;
}

// "/home/me/demo" for "/home/me/demo/." or "/home/me/demo/".
std::string folder_name(const std::filesystem::path& folder) {
    const std::filesystem::path normal = folder.lexically_normal();
    return (normal.has_filename() ? normal : normal.parent_path()).string();
}

// A place in a source as the protocol names it.
json source_of(const SourcePlace& place) {
    return {{"name", place.file.filename().string()}, {"path", place.file.string()}};
}

bool same_watchpoint(const Watchpoint& a, const Watchpoint& b) {
    return a.first == b.first && a.last == b.last && a.reads == b.reads && a.writes == b.writes;
}

json capabilities() {
    return {
        {"supportsConfigurationDoneRequest", true}, {"supportsSetVariable", true},
        {"supportsEvaluateForHovers", true},        {"supportsReadMemoryRequest", true},
        {"supportsWriteMemoryRequest", true},       {"supportsDisassembleRequest", true},
        {"supportsInstructionBreakpoints", true},   {"supportsDataBreakpoints", true},
        {"supportsDataBreakpointBytes", true},      {"supportsSteppingGranularity", true},
        {"supportsTerminateRequest", true},         {"supportsStepBack", true},
    };
}

}  // namespace

const DapSession::Command DapSession::kCommands[] = {
    {"initialize", &DapSession::initialize, false},
    {"launch", &DapSession::launch, false},
    {"configurationDone", &DapSession::configuration_done, true},
    {"setBreakpoints", &DapSession::set_breakpoints, true},
    {"setInstructionBreakpoints", &DapSession::set_instruction_breakpoints, true},
    {"setExceptionBreakpoints", &DapSession::set_exception_breakpoints, false},
    {"dataBreakpointInfo", &DapSession::data_breakpoint_info, true},
    {"setDataBreakpoints", &DapSession::set_data_breakpoints, true},
    {"threads", &DapSession::threads, false},
    {"stackTrace", &DapSession::stack_trace, true},
    {"scopes", &DapSession::scopes, true},
    {"variables", &DapSession::variables, true},
    {"setVariable", &DapSession::set_variable, true},
    {"evaluate", &DapSession::evaluate, true},
    {"readMemory", &DapSession::read_memory, true},
    {"writeMemory", &DapSession::write_memory, true},
    {"disassemble", &DapSession::disassemble, true},
    {"continue", &DapSession::continue_, true},
    {"pause", &DapSession::pause_, true},
    {"next", &DapSession::next, true},
    {"stepIn", &DapSession::step_in, true},
    {"stepOut", &DapSession::step_out_, true},
    {"stepBack", &DapSession::step_back_, true},
    {"reverseContinue", &DapSession::reverse_continue_, true},
    {"disconnect", &DapSession::disconnect, false},
    {"terminate", &DapSession::terminate, false},
};

json DapSession::response(const json& request, bool success, const std::string& error, json body) {
    json message = {{"seq", next_seq_++},
                    {"type", "response"},
                    {"request_seq", integer_argument(request, "seq").value_or(0)},
                    {"success", success},
                    {"command", string_argument(request, "command").value_or("")}};
    if (!success) message["message"] = error;
    if (!body.is_null()) message["body"] = std::move(body);
    return message;
}

json DapSession::event(const char* name, json body) {
    json message = {{"seq", next_seq_++}, {"type", "event"}, {"event", name}};
    if (!body.is_null()) message["body"] = std::move(body);
    return message;
}

json DapSession::output_event(const std::string& text, const char* category) {
    return event("output", {{"category", category}, {"output", text + "\n"}});
}

void DapSession::reply(const json& request, DapOutput& out, json body) {
    out.messages.push_back(response(request, true, {}, std::move(body)));
}

void DapSession::refuse(const json& request, DapOutput& out, const std::string& error) {
    out.messages.push_back(response(request, false, error));
}

DapOutput DapSession::handle(const json& message) {
    DapOutput out;
    const auto type = string_argument(message, "type");
    const auto command = string_argument(message, "command");
    if (type != "request" || !command || !integer_argument(message, "seq")) {
        refuse(message, out, "not a request: a request has a seq, a type and a command");
        return out;
    }
    const Command* found = nullptr;
    for (const Command& candidate : kCommands) {
        if (*command == candidate.name) found = &candidate;
    }
    if (!found) {
        refuse(message, out, "unknown command " + *command);
        return out;
    }
    if (found->needs_machine && !emulator_) {
        refuse(message, out, "no machine yet: launch first");
        return out;
    }
    (this->*found->handler)(message, out);
    if (emulator_ && !out.end) report_stop(out);
    return out;
}

DapOutput DapSession::framing_error(const Frame& frame) {
    DapOutput out;
    if (is_fatal(frame.status)) {
        // The stream cannot be followed any more: say why on the console, then end.
        out.messages.push_back(
            output_event("tolvan: the debug adapter stops: " + frame.detail, "stderr"));
        if (!terminated_) out.messages.push_back(event("terminated"));
        terminated_ = true;
        out.end = true;
        return out;
    }
    // Nothing in the body can be trusted, its seq included.
    out.messages.push_back(response(json::object(), false, "malformed message: " + frame.detail));
    return out;
}

DapOutput DapSession::finish_launch(Emulator* emulator, Display* display,
                                    const std::string& error) {
    DapOutput out;
    launch_pending_ = false;
    if (!error.empty() || !emulator || !display) {
        refuse(launch_request_, out, error.empty() ? "the machine could not be built" : error);
        return out;
    }
    emulator_ = emulator;
    display_ = display;
    load_debug_information(out);
    // The history records what the machine did before each stop; the machine waits for the
    // client's breakpoints before its first instruction.
    emulator_->debugger.attached = true;
    emulator_->debugger.adapter = true;
    pause(*emulator_);
    reported_stops_ = emulator_->debugger.stop_count;
    reply(launch_request_, out);
    out.messages.push_back(event("initialized"));
    return out;
}

void DapSession::load_debug_information(DapOutput& out) {
    Emulator& emulator = *emulator_;
    std::vector<std::string> failures;
    if (!launch_arguments_.debug_info.empty()) {
        emulator.debug_info.clear();
        for (const std::string& file : launch_arguments_.debug_info) {
            const DebugInfoStatus status = load_debug_info_file(emulator, file);
            if (!status.ok()) failures.push_back(status.path + ": " + status.reason);
        }
    } else if (emulator.debug_info.empty()) {
        failures = load_debug_info_folder(emulator, ".").failures;
    }
    for (const std::string& failure : failures) {
        out.messages.push_back(output_event("warning: debug information " + failure, "stderr"));
    }
    std::string loaded = "debug information:";
    for (const DebugInfo& info : emulator.debug_info) {
        loaded += ' ';
        loaded += counted(info.files.size(), "source file") + " of " + folder_name(info.folder);
    }
    if (emulator.debug_info.empty()) loaded += " none; breakpoints go on instructions only";
    out.messages.push_back(output_event(loaded));
}

DapOutput DapSession::poll() {
    DapOutput out;
    if (emulator_) report_stop(out);
    return out;
}

DapOutput DapSession::failures_output(const Failures& failures) {
    DapOutput out;
    for (const Failure& failure : failures.list) {
        std::string text = failure.message;
        if (!failure.detail.empty()) text += ": " + failure.detail;
        out.messages.push_back(output_event(text, "stderr"));
    }
    return out;
}

DapOutput DapSession::machine_ended() {
    DapOutput out;
    if (!terminated_) {
        out.messages.push_back(event("exited", {{"exitCode", 0}}));
        out.messages.push_back(event("terminated"));
    }
    terminated_ = true;
    out.end = true;
    return out;
}

bool DapSession::machine_runs() const {
    return emulator_ && configured_ && !terminated_ && !is_paused(*emulator_);
}

std::string DapSession::stop_reason(const StopInfo& stop) const {
    switch (stop.reason) {
        case StopReason::kPause:
            return "pause";
        case StopReason::kBreakpoint:
            return instruction_breakpoints_.count(stop.pc) != 0 ? "instruction breakpoint"
                                                                : "breakpoint";
        case StopReason::kWatchpoint:
            return "data breakpoint";
        case StopReason::kUndefinedOpcode:
            return "exception";
        case StopReason::kReverseRunTo:
        case StopReason::kLastWrite:
        case StopReason::kTravel:
            return "goto";
        default:
            return "step";
    }
}

void DapSession::report_stop(DapOutput& out) {
    const Debugger& debugger = emulator_->debugger;
    if (debugger.stop_count == reported_stops_ || !configured_) return;
    reported_stops_ = debugger.stop_count;
    const StopInfo& stop = debugger.last_stop;
    json body = {{"threadId", kThreadId}, {"allThreadsStopped", true}};
    if (entry_stop_pending_) {
        body["reason"] = "entry";
    } else {
        body["reason"] = stop_reason(stop);
    }
    entry_stop_pending_ = false;
    if (stop.reason == StopReason::kWatchpoint) {
        body["description"] = std::string(stop.write ? "write to 0x" : "read of 0x") +
                              hex4(stop.data_address) + " by the instruction at 0x" +
                              hex4(stop.instruction_address);
    } else if (stop.reason == StopReason::kHistoryStart) {
        body["description"] = "the start of the recorded history";
    } else if (stop.reason == StopReason::kUndefinedOpcode) {
        body["description"] = "undefined opcode at 0x" + hex4(stop.pc);
    }
    out.messages.push_back(event("stopped", std::move(body)));
}

bool DapSession::require_paused(const json& request, DapOutput& out) {
    if (is_paused(*emulator_)) return true;
    refuse(request, out, "the machine is running: pause it first");
    return false;
}

void DapSession::apply_breakpoints() {
    std::set<std::uint16_t> wanted = instruction_breakpoints_;
    for (const auto& [path, addresses] : source_breakpoints_) {
        wanted.insert(addresses.begin(), addresses.end());
    }
    Debugger& debugger = emulator_->debugger;
    for (auto it = applied_breakpoints_.begin(); it != applied_breakpoints_.end();) {
        if (wanted.count(*it) != 0) {
            ++it;
            continue;
        }
        set_breakpoint(debugger, *it, false);
        it = applied_breakpoints_.erase(it);
    }
    // A breakpoint that the debugger's window had set already stays the window's.
    for (const std::uint16_t address : wanted) {
        if (has_breakpoint(debugger, address)) continue;
        set_breakpoint(debugger, address, true);
        applied_breakpoints_.insert(address);
    }
}

void DapSession::apply_watchpoints() {
    std::vector<Watchpoint>& all = emulator_->debugger.watchpoints;
    // Only the session's own go: the debugger's window may watch others.
    for (const Watchpoint& old : applied_watchpoints_) {
        const auto found = std::find_if(
            all.begin(), all.end(), [&](const Watchpoint& w) { return same_watchpoint(w, old); });
        if (found != all.end()) all.erase(found);
    }
    for (const Watchpoint& watchpoint : data_breakpoints_)
        add_watchpoint(emulator_->debugger, watchpoint);
    applied_watchpoints_ = data_breakpoints_;
    // A watchpoint takes effect at the next debugged run, which watches the address space.
}

void DapSession::initialize(const json& request, DapOutput& out) {
    initialized_ = true;
    reply(request, out, capabilities());
}

void DapSession::launch(const json& request, DapOutput& out) {
    if (emulator_ || launch_pending_) {
        refuse(request, out, "already launched");
        return;
    }
    const json& arguments = arguments_of(request);
    LaunchArguments launch;
    launch.machine_folder = string_argument(arguments, "machineFolder");
    if (launch.machine_folder && launch.machine_folder->empty()) launch.machine_folder.reset();
    if (const auto single = string_argument(arguments, "debugInfo")) {
        launch.debug_info.push_back(*single);
    }
    for (const json& file : array_argument(arguments, "debugInfo")) {
        if (!file.is_string()) {
            refuse(request, out, "debugInfo: a file name or a list of file names");
            return;
        }
        launch.debug_info.push_back(file.get<std::string>());
    }
    launch.stop_on_entry = bool_argument(arguments, "stopOnEntry", false);
    launch.no_window = bool_argument(arguments, "noWindow", false);
    launch_arguments_ = launch;
    launch_request_ = request;
    launch_pending_ = true;
    out.launch = std::move(launch);
}

void DapSession::configuration_done(const json& request, DapOutput& out) {
    if (configured_) {
        refuse(request, out, "configuration is done already");
        return;
    }
    configured_ = true;
    reply(request, out);
    if (launch_arguments_.stop_on_entry) {
        // The machine has waited before its first instruction: that is the entry.
        entry_stop_pending_ = true;
        ++emulator_->debugger.stop_count;
    } else {
        resume(*emulator_);
    }
}

void DapSession::set_breakpoints(const json& request, DapOutput& out) {
    const json& arguments = arguments_of(request);
    const json* source = json_field(arguments, "source");
    const auto path = source ? string_argument(*source, "path") : std::nullopt;
    if (!path) {
        refuse(request, out, "setBreakpoints needs source.path");
        return;
    }
    json results = json::array();
    std::vector<std::uint16_t> addresses;
    for (const json& breakpoint : array_argument(arguments, "breakpoints")) {
        const auto line = integer_argument(breakpoint, "line");
        const auto code = line && *line > 0 && *line < std::numeric_limits<int>::max()
                              ? code_at_or_after(*emulator_, *path, static_cast<int>(*line))
                              : std::nullopt;
        if (!code) {
            results.push_back(
                {{"verified", false},
                 {"line", line.value_or(0)},
                 {"message", emulator_->debug_info.empty() ? "no debug information loaded"
                                                           : "no code at or after this line"}});
            continue;
        }
        addresses.insert(addresses.end(), code->addresses.begin(), code->addresses.end());
        json result = {{"verified", true}, {"line", code->line}, {"source", {{"path", *path}}}};
        if (!code->addresses.empty()) {
            result["instructionReference"] = memory_reference(code->addresses.front());
        }
        results.push_back(std::move(result));
    }
    std::erase_if(source_breakpoints_, [&](const auto& entry) { return entry.first == *path; });
    if (!addresses.empty()) source_breakpoints_.emplace_back(*path, std::move(addresses));
    apply_breakpoints();
    reply(request, out, {{"breakpoints", results}});
}

void DapSession::set_instruction_breakpoints(const json& request, DapOutput& out) {
    json results = json::array();
    std::set<std::uint16_t> addresses;
    for (const json& breakpoint : array_argument(arguments_of(request), "breakpoints")) {
        json reference = {
            {"memoryReference", string_argument(breakpoint, "instructionReference").value_or("")},
            {"offset", integer_argument(breakpoint, "offset").value_or(0)}};
        const auto address = referenced_address(*emulator_, reference);
        if (!address || *address < 0 || *address > 0xFFFF) {
            results.push_back({{"verified", false}, {"message", "not an address"}});
            continue;
        }
        addresses.insert(static_cast<std::uint16_t>(*address));
        results.push_back(
            {{"verified", true},
             {"instructionReference", memory_reference(static_cast<std::uint16_t>(*address))}});
    }
    instruction_breakpoints_ = std::move(addresses);
    apply_breakpoints();
    reply(request, out, {{"breakpoints", results}});
}

void DapSession::set_exception_breakpoints(const json& request, DapOutput& out) {
    reply(request, out, {{"breakpoints", json::array()}});
}

void DapSession::data_breakpoint_info(const json& request, DapOutput& out) {
    const json& arguments = arguments_of(request);
    const std::string name = string_argument(arguments, "name").value_or("");
    const std::int64_t bytes = integer_argument(arguments, "bytes").value_or(1);
    const auto address = parse_address(emulator_->symbols, name, PlainDigits::kAsHexadecimal);
    if (!address || bytes < 1 || *address + bytes > 0x10000) {
        reply(request, out,
              {{"dataId", nullptr},
               {"description", "only memory addresses can be watched: " + name}});
        return;
    }
    reply(request, out,
          {{"dataId", data_id(*address, static_cast<unsigned>(bytes))},
           {"description", prefixed_hex("0x", *address, 4) +
                               (bytes > 1 ? " (" + std::to_string(bytes) + " bytes)" : "")},
           {"accessTypes", {"read", "write", "readWrite"}},
           {"canPersist", true}});
}

void DapSession::set_data_breakpoints(const json& request, DapOutput& out) {
    json results = json::array();
    std::vector<Watchpoint> watchpoints;
    for (const json& breakpoint : array_argument(arguments_of(request), "breakpoints")) {
        const auto watchpoint =
            watchpoint_of(string_argument(breakpoint, "dataId").value_or(""),
                          string_argument(breakpoint, "accessType").value_or(""));
        if (!watchpoint) {
            results.push_back({{"verified", false}, {"message", "not a data breakpoint id"}});
            continue;
        }
        watchpoints.push_back(*watchpoint);
        results.push_back({{"verified", true},
                           {"description", std::string(watch_access_type(*watchpoint)) + " 0x" +
                                               hex4(watchpoint->first)}});
    }
    data_breakpoints_ = std::move(watchpoints);
    apply_watchpoints();
    reply(request, out, {{"breakpoints", results}});
}

void DapSession::threads(const json& request, DapOutput& out) {
    reply(request, out, {{"threads", {{{"id", kThreadId}, {"name", "processor"}}}}});
}

void DapSession::stack_trace(const json& request, DapOutput& out) {
    const Emulator& emulator = *emulator_;
    // A caller's frame shows the call: the line of the byte before its return address.
    const auto frame = [&](int id, std::uint16_t address, std::uint16_t line_address) {
        std::string name = describe_address(emulator.symbols, address);
        if (name.empty()) name = hex4(address);
        json entry = {{"id", id},
                      {"name", name},
                      {"line", 0},
                      {"column", 0},
                      {"instructionPointerReference", memory_reference(address)}};
        if (const auto place = source_place(emulator, line_address)) {
            entry["source"] = source_of(*place);
            entry["line"] = place->line;
            entry["column"] = 1;
        }
        return entry;
    };
    json frames = json::array();
    frames.push_back(frame(1, emulator.cpu.pc, emulator.cpu.pc));
    for (const StackSlot& slot : stack_slots(emulator)) {
        if (!slot.return_address) continue;
        frames.push_back(frame(static_cast<int>(frames.size()) + 1, slot.value,
                               static_cast<std::uint16_t>(slot.value - 1)));
    }
    const std::int64_t total = static_cast<std::int64_t>(frames.size());
    const json& arguments = arguments_of(request);
    const std::int64_t start =
        std::clamp<std::int64_t>(integer_argument(arguments, "startFrame").value_or(0), 0, total);
    std::int64_t levels = integer_argument(arguments, "levels").value_or(0);
    if (levels <= 0 || levels > total - start) levels = total - start;
    json shown(frames.begin() + start, frames.begin() + start + levels);
    reply(request, out, {{"stackFrames", shown}, {"totalFrames", total}});
}

void DapSession::scopes(const json& request, DapOutput& out) {
    reply(request, out, scopes_body());
}

void DapSession::variables(const json& request, DapOutput& out) {
    const DapResult result = variables_body(*emulator_, arguments_of(request));
    if (result.ok()) {
        reply(request, out, result.body);
    } else {
        refuse(request, out, result.error);
    }
}

void DapSession::set_variable(const json& request, DapOutput& out) {
    if (!require_paused(request, out)) return;
    const DapResult result = set_variable_body(*emulator_, arguments_of(request));
    if (result.ok()) {
        reply(request, out, result.body);
    } else {
        refuse(request, out, result.error);
    }
}

void DapSession::evaluate(const json& request, DapOutput& out) {
    const DapResult result = evaluate_body(*emulator_, arguments_of(request));
    if (result.ok()) {
        reply(request, out, result.body);
    } else {
        refuse(request, out, result.error);
    }
}

void DapSession::read_memory(const json& request, DapOutput& out) {
    const DapResult result = read_memory_body(*emulator_, arguments_of(request));
    if (result.ok()) {
        reply(request, out, result.body);
    } else {
        refuse(request, out, result.error);
    }
}

void DapSession::write_memory(const json& request, DapOutput& out) {
    if (!require_paused(request, out)) return;
    const DapResult result = write_memory_body(*emulator_, arguments_of(request));
    if (result.ok()) {
        reply(request, out, result.body);
    } else {
        refuse(request, out, result.error);
    }
}

void DapSession::disassemble(const json& request, DapOutput& out) {
    DapResult result = disassemble_body(*emulator_, arguments_of(request));
    if (!result.ok()) {
        refuse(request, out, result.error);
        return;
    }
    for (json& instruction : result.body["instructions"]) {
        const auto address =
            parse_address({}, instruction["address"].get<std::string>(), PlainDigits::kAsDecimal);
        if (!address || instruction.contains("presentationHint")) continue;
        if (const auto place = source_place(*emulator_, *address)) {
            instruction["location"] = source_of(*place);
            instruction["line"] = place->line;
        }
    }
    reply(request, out, result.body);
}

void DapSession::continue_(const json& request, DapOutput& out) {
    if (!require_paused(request, out)) return;
    resume(*emulator_);
    reply(request, out, {{"allThreadsContinued", true}});
}

void DapSession::pause_(const json& request, DapOutput& out) {
    pause(*emulator_);
    reply(request, out);
}

void DapSession::next(const json& request, DapOutput& out) {
    if (!require_paused(request, out)) return;
    step_over(*emulator_);
    reply(request, out);
}

void DapSession::step_in(const json& request, DapOutput& out) {
    if (!require_paused(request, out)) return;
    reply(request, out);
    // A source line is one instruction in assembler, but a line that loops on itself runs
    // until it leaves; the disassembly view asks for one instruction.
    const bool instruction = string_argument(arguments_of(request), "granularity") == "instruction";
    const StepResult step =
        instruction ? step_into(*emulator_, *display_) : step_line(*emulator_, *display_);
    for (nlohmann::json& message : failures_output(step.failures).messages) {
        out.messages.push_back(std::move(message));
    }
}

void DapSession::step_out_(const json& request, DapOutput& out) {
    if (!require_paused(request, out)) return;
    step_out(*emulator_);
    reply(request, out);
}

void DapSession::step_back_(const json& request, DapOutput& out) {
    if (!require_paused(request, out)) return;
    // Back over a call as next goes over it; the disassembly view asks for one instruction.
    const bool instruction = string_argument(arguments_of(request), "granularity") == "instruction";
    if (!(instruction ? step_back(*emulator_) : step_back_over(*emulator_))) {
        refuse(request, out, "the recorded history holds no earlier moment");
        return;
    }
    reply(request, out);
}

void DapSession::reverse_continue_(const json& request, DapOutput& out) {
    if (!require_paused(request, out)) return;
    if (!reverse_continue(*emulator_)) {
        refuse(request, out, "the recorded history holds no earlier moment");
        return;
    }
    reply(request, out);
}

void DapSession::disconnect(const json& request, DapOutput& out) {
    reply(request, out);
    terminated_ = true;
    out.end = true;
}

void DapSession::terminate(const json& request, DapOutput& out) {
    reply(request, out);
    if (!terminated_) out.messages.push_back(event("terminated"));
    terminated_ = true;
}

}  // namespace tolvan
