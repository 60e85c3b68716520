// Any bytes as the debug adapter's input, cut into pieces as a pipe may deliver them: the
// framing and the session must answer every message, or end, without crashing, and every
// message they send must be a well-formed response or event.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "base/dap_framing.h"
#include "machine/dap_session.h"
#include "machine/display.h"
#include "machine/emulator.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void check_sent(const tolvan::DapOutput& output) {
    for (const nlohmann::json& message : output.messages) {
        require(message.is_object() && message.contains("seq") && message.contains("type"));
        // What is sent must frame and read back as itself.
        tolvan::MessageReader reader;
        reader.feed(tolvan::frame_message(message));
        require(reader.next().status == tolvan::FrameStatus::kMessage);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte sets the size of the pieces the input arrives in.
    const std::size_t piece = data[0] % 64 + 1;
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    auto emulator = std::make_unique<tolvan::Emulator>();
    tolvan::Display display;
    tolvan::DapSession session;
    tolvan::MessageReader reader;
    for (std::size_t at = 0; at < input.size(); at += piece) {
        reader.feed(input.substr(at, piece));
        for (;;) {
            const tolvan::Frame frame = reader.next();
            if (frame.status == tolvan::FrameStatus::kIncomplete) break;
            const tolvan::DapOutput output = frame.status == tolvan::FrameStatus::kMessage
                                                 ? session.handle(frame.message)
                                                 : session.framing_error(frame);
            check_sent(output);
            if (output.launch) check_sent(session.finish_launch(emulator.get(), &display, {}));
            if (output.end) return 0;
            check_sent(session.poll());
        }
    }
    return 0;
}
