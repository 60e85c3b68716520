#include "base/dap_framing.h"

#include <gtest/gtest.h>

#include <random>

#include "base/base64.h"

namespace tolvan {
namespace {

std::string framed(std::string_view body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

std::vector<FrameStatus> statuses(std::string_view stream) {
    MessageReader reader;
    reader.feed(stream);
    std::vector<FrameStatus> seen;
    for (;;) {
        const Frame frame = reader.next();
        if (frame.status == FrameStatus::kIncomplete) break;
        seen.push_back(frame.status);
        if (is_fatal(frame.status)) break;
    }
    return seen;
}

struct MalformedCase {
    const char* name;
    std::string stream;
    std::vector<FrameStatus> expected;
};

TEST(DapFraming, MalformedStreamsGiveAnErrorAndNeverAMessageTheyDoNotHold) {
    using enum FrameStatus;
    const std::string good = framed(R"({"seq":1,"type":"request","command":"threads"})");
    const std::string deep = std::string(100, '[') + std::string(100, ']');
    const MalformedCase cases[] = {
        {"no length field", "Content-Type: x\r\n\r\n{}" + good, {kBadHeader}},
        {"a line without colon", "Content-Length 2\r\n\r\n{}", {kBadHeader}},
        {"a negative length", "Content-Length: -2\r\n\r\n{}", {kBadHeader}},
        {"a length with letters", "Content-Length: 2x\r\n\r\n{}", {kBadHeader}},
        {"two lengths", "Content-Length: 2\r\nContent-Length: 2\r\n\r\n{}", {kBadHeader}},
        {"a length beyond the bound", "Content-Length: 1048577\r\n\r\n", {kTooLong}},
        {"a length beyond 64 bits", "Content-Length: 99999999999999999999999\r\n\r\n", {kTooLong}},
        {"an endless header", std::string(5000, 'x'), {kBadHeader}},
        {"invalid JSON, then a message", framed("{\"seq\":") + good, {kBadJson, kMessage}},
        {"an array, then a message", framed("[1,2]") + good, {kBadJson, kMessage}},
        {"nesting beyond the bound", framed(deep) + good, {kBadJson, kMessage}},
        {"a body cut short", "Content-Length: 10\r\n\r\n{}", {}},
        {"a broken reader stays broken", "Content-Length: x\r\n\r\n" + good, {kBadHeader}},
        {"other header fields are allowed",
         "Content-Type: application/json\r\ncontent-length:  " +
             std::to_string(good.size() - good.find('{')) + "\r\n\r\n" +
             good.substr(good.find('{')),
         {kMessage}},
    };
    for (const MalformedCase& c : cases) {
        EXPECT_EQ(statuses(c.stream), c.expected) << c.name;
    }
}

TEST(DapFraming, AStreamCutAnywhereGivesTheSameMessages) {
    std::string stream;
    std::vector<nlohmann::json> sent;
    for (int n = 0; n < 20; ++n) {
        nlohmann::json message = {{"seq", n},
                                  {"text", std::string(static_cast<std::size_t>(n * 7), 'a')},
                                  {"nested", {{"list", {1, 2, {{"x", "\"}{"}}}}}}};
        sent.push_back(message);
        stream += frame_message(message);
    }
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        MessageReader reader;
        std::vector<nlohmann::json> received;
        for (std::size_t at = 0; at < stream.size();) {
            const std::size_t piece = std::uniform_int_distribution<std::size_t>(1, 40)(random);
            reader.feed(std::string_view(stream).substr(at, piece));
            at += piece;
            for (Frame frame = reader.next(); frame.status == FrameStatus::kMessage;
                 frame = reader.next()) {
                received.push_back(frame.message);
            }
        }
        EXPECT_EQ(received, sent);
        EXPECT_EQ(reader.pending(), 0u);
    }
}

TEST(DapFraming, InvalidUtf8IsWrittenWithReplacementCharacters) {
    const std::string text = frame_message({{"output", std::string("a\xff") + "b"}});
    MessageReader reader;
    reader.feed(text);
    const Frame frame = reader.next();
    ASSERT_EQ(frame.status, FrameStatus::kMessage);
    EXPECT_EQ(frame.message["output"],
              "a\xEF\xBF\xBD"
              "b");
}

TEST(Base64, RoundTripsAndRefusesWhatIsNotBase64) {
    std::mt19937 random(3);
    for (std::size_t size = 0; size < 40; ++size) {
        std::vector<std::uint8_t> bytes(size);
        for (auto& byte : bytes)
            byte = static_cast<std::uint8_t>(random());
        const std::string text = base64_encode(bytes);
        EXPECT_EQ(text.size() % 4, 0u);
        EXPECT_EQ(base64_decode(text), bytes);
    }
    EXPECT_EQ(base64_encode({'M', 'a', 'n'}), "TWFu");
    EXPECT_EQ(base64_encode({'M'}), "TQ==");
    for (const char* bad : {"TWF", "TW=u", "T===", "TQ==TWFu", "TW u", "TWF\xff"}) {
        EXPECT_FALSE(base64_decode(bad)) << bad;
    }
}

}  // namespace
}  // namespace tolvan
