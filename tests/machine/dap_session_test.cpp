// The debug adapter's session on a small assembled program, in-process: malformed requests,
// the breakpoints it shares with the debugger's window, steps and the call stack.
#include "machine/dap_session.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "machine/debugger.h"
#include "machine/slice.h"
#include "tools/assembler.h"

namespace tolvan {
namespace {

using nlohmann::json;

constexpr const char* kProgram = R"(
        ORG     &8000
start:  LIA     1
        CALL    sub
after:  LIB     2
        JP      start
sub:    LIA     3
        STP
        RTN
)";

class Session {
  public:
    Session() {
        const AssemblyResult result = assemble_source(
            kProgram, "t.asm", [](const std::string&) { return std::optional<std::string>(); });
        for (const auto& [address, byte] : result.bytes)
            emulator_->bus.memory.image[address] = byte;
        emulator_->symbols = assembly_symbols(result);
        emulator_->cpu.pc = 0x8000;
        emulator_->cpu.r = 0x5C;
        display_.case_bitmap = Image(kClientWidth, kClientHeight);
        display_.pixel_bitmap = Image(kPixelBitmapWidth, kPixelBitmapHeight);
    }

    DapOutput request(const std::string& command, json arguments = json::object()) {
        return noted(session_.handle({{"seq", ++seq_},
                                      {"type", "request"},
                                      {"command", command},
                                      {"arguments", arguments}}));
    }
    json body(const std::string& command, json arguments = json::object()) {
        const DapOutput out = request(command, std::move(arguments));
        EXPECT_TRUE(out.messages.at(0)["success"]) << command << ": " << out.messages.at(0);
        return out.messages.at(0)["body"];
    }
    void launch(bool stop_on_entry) {
        request("initialize");
        EXPECT_TRUE(request("launch", {{"noWindow", true}, {"stopOnEntry", stop_on_entry}}).launch);
        noted(session_.finish_launch(emulator_.get(), &display_, {}));
        request("configurationDone");
    }
    // Slices until the session reports a stop, if it has not yet; the stop's reason.
    std::string run_to_stop() {
        for (int n = 0; n < 100 && stop_.empty(); ++n) {
            if (session_.machine_runs()) static_cast<void>(run_slice(*emulator_, display_));
            noted(session_.poll());
        }
        return std::exchange(stop_, "");
    }
    std::uint16_t address(const char* label) { return *find_symbol(emulator_->symbols, label); }
    Emulator& emulator() { return *emulator_; }
    DapSession& session() { return session_; }

  private:
    DapOutput noted(DapOutput out) {
        for (const json& message : out.messages) {
            if (message.value("event", "") == "stopped") stop_ = message["body"]["reason"];
        }
        return out;
    }

    std::string stop_;
    std::unique_ptr<Emulator> emulator_ = std::make_unique<Emulator>();
    Display display_;
    DapSession session_;
    int seq_ = 0;
};

TEST(DapSession, MalformedRequestsGetOneErrorResponseAndTheSessionGoesOn) {
    Session s;
    const json before_launch[] = {
        json::object(),
        {{"seq", 1}, {"type", "event"}, {"event", "x"}},
        {{"seq", 1}, {"type", "request"}},
        {{"seq", "1"}, {"type", "request"}, {"command", "threads"}},
        {{"seq", 1}, {"type", "request"}, {"command", "nonsense"}},
        {{"seq", 1}, {"type", "request"}, {"command", "stackTrace"}},
    };
    for (const json& message : before_launch) {
        const DapOutput out = s.session().handle(message);
        ASSERT_EQ(out.messages.size(), 1u) << message;
        EXPECT_EQ(out.messages[0]["type"], "response") << message;
        EXPECT_FALSE(out.messages[0]["success"]) << message;
        EXPECT_FALSE(out.end);
    }
    s.launch(true);
    const std::pair<const char*, json> after_launch[] = {
        {"setBreakpoints", {{"breakpoints", json::array()}}},
        {"variables", {{"variablesReference", "1"}}},
        {"readMemory", {{"memoryReference", "0x8000"}, {"count", "10"}}},
        {"readMemory", {{"memoryReference", "nowhere"}, {"count", 1}}},
        {"writeMemory", {{"memoryReference", "0x8000"}, {"data", "not base64"}}},
        {"writeMemory", {{"memoryReference", "0xFFFF"}, {"data", "AAAA"}}},
        {"evaluate", {{"expression", "no_such_label"}}},
        {"disassemble", {{"memoryReference", "0x8000"}, {"instructionCount", 1000000}}},
        {"setVariable", {{"variablesReference", 1}, {"name", "A"}, {"value", "100"}}},
        {"setVariable", {{"variablesReference", 2}, {"name", "A"}, {"value", "1"}}},
        {"launch", json::object()},
    };
    for (const auto& [command, arguments] : after_launch) {
        const DapOutput out = s.request(command, arguments);
        ASSERT_EQ(out.messages.size(), 1u) << command << arguments;
        EXPECT_FALSE(out.messages[0]["success"]) << command << arguments;
        EXPECT_FALSE(out.messages[0]["message"].get<std::string>().empty());
    }
    EXPECT_EQ(s.body("threads")["threads"].size(), 1u);
    EXPECT_EQ(s.emulator().cpu.iram[kRegisterA], 0);
}

TEST(DapSession, ItsBreakpointsComeAndGoBesideThoseOfTheDebuggerWindow) {
    Session s;
    s.launch(false);
    set_breakpoint(s.emulator().debugger, s.address("after"), true);  // the window's
    const auto set = [&](std::vector<const char*> labels) {
        json list = json::array();
        for (const char* label : labels)
            list.push_back({{"instructionReference", label}});
        s.body("setInstructionBreakpoints", {{"breakpoints", list}});
    };
    set({"sub", "after"});
    EXPECT_EQ(s.run_to_stop(), "instruction breakpoint");
    EXPECT_EQ(s.emulator().cpu.pc, s.address("sub"));
    set({});
    EXPECT_EQ(breakpoints(s.emulator().debugger), std::vector{s.address("after")});
}

TEST(DapSession, StepsAndTheCallStack) {
    Session s;
    s.launch(true);
    EXPECT_EQ(s.run_to_stop(), "entry");
    s.request("stepIn");
    EXPECT_EQ(s.run_to_stop(), "step");
    EXPECT_EQ(s.emulator().cpu.pc, s.address("start") + 2);
    // Into the call: the stack shows the routine, then where it returns.
    s.request("stepIn");
    EXPECT_EQ(s.run_to_stop(), "step");
    const json frames = s.body("stackTrace", {{"threadId", 1}})["stackFrames"];
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0]["name"], "sub");
    EXPECT_EQ(frames[1]["name"], "after");
    s.request("stepOut");
    EXPECT_EQ(s.run_to_stop(), "step");
    EXPECT_EQ(s.emulator().cpu.pc, s.address("after"));
    // Over the call at start: the routine runs, A holds what it loaded.
    s.body("setVariable", {{"variablesReference", 1}, {"name", "PC"}, {"value", "&8002"}});
    s.request("next");
    EXPECT_EQ(s.run_to_stop(), "step");
    EXPECT_EQ(s.emulator().cpu.pc, s.address("after"));
    EXPECT_EQ(s.body("evaluate", {{"expression", "a"}})["result"], "0x03");
    s.request("continue");
    s.request("pause");
    EXPECT_EQ(s.run_to_stop(), "pause");
    EXPECT_TRUE(s.request("disconnect").end);
}

}  // namespace
}  // namespace tolvan
