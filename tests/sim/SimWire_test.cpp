// The simulator's own frame coder and receiver, against hand-made wire bytes.
#include "tools/sim/SimWire.h"

#include <gtest/gtest.h>

using vm415sim::EncodeWire;
using vm415sim::Frame;
using vm415sim::FrameReceiver;
using Bytes = std::vector<std::uint8_t>;

namespace {

const FrameReceiver::Clock::time_point T0{};

std::vector<Frame> FeedAll(FrameReceiver& rx, const Bytes& bytes, FrameReceiver::Clock::time_point at = T0) {
    std::vector<Frame> frames;
    for (auto b : bytes)
        if (auto f = rx.Feed(b, at)) frames.push_back(*f);
    return frames;
}

struct Example {
    Frame frame;
    Bytes wire;
};

// The worked examples of the line protocol, byte for byte. Frame is named: with bare braces GCC 12
// at -O3 reports the array's cleanup as reading an uninitialized vector (-Wmaybe-uninitialized).
const Example kExamples[] = {
    {Frame{1, {}}, {0x03, 0x02, 0x01, 0x01, 0xFC, 0x03, 0x03}},
    {Frame{2, {}}, {0x03, 0x02, 0x01, 0x10, 0x02, 0xEB, 0x03, 0x03}},
    {Frame{16, {0x01}}, {0x03, 0x02, 0x10, 0x02, 0x10, 0x10, 0x01, 0xCB, 0x03, 0x03}},
};

} // namespace

TEST(SimWire, WorkedExamplesCodeAndDecodeExactly) {
    for (const auto& ex : kExamples) {
        const auto wire = EncodeWire(ex.frame);
        ASSERT_TRUE(wire);
        EXPECT_EQ(wire->Bytes, ex.wire) << "command " << int(ex.frame.Command);
        EXPECT_EQ(wire->TrailerAt, ex.wire.size() - 2);

        FrameReceiver rx;
        const auto frames = FeedAll(rx, ex.wire);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0], ex.frame);
    }
}

TEST(SimWire, ChecksumIsNeverStuffedWhateverItsValue) {
    // Choose a data byte so that the checksum comes out 02h, 03h and 10h in turn.
    for (std::uint8_t wanted : {0x02, 0x03, 0x10}) {
        // Sum from the STX: 02, then the length 02h sent as 10h 02h, then 05h and d; CHK = -sum.
        const std::uint8_t d = static_cast<std::uint8_t>(0x100 - wanted - 0x19);
        Frame f{5, {d}};
        const auto wire = EncodeWire(f);
        ASSERT_TRUE(wire);
        EXPECT_EQ(wire->Bytes[wire->TrailerAt - 1], wanted);
        EXPECT_NE(wire->Bytes[wire->TrailerAt - 2], 0x10) << "checksum must not be preceded by a DLE";
        FrameReceiver rx;
        const auto frames = FeedAll(rx, wire->Bytes);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0], f);
    }
}

TEST(SimWire, EveryByteValueSurvivesStuffing) {
    Frame f{13, {}};
    for (int b = 0; b < 254; ++b)
        f.Data.push_back(static_cast<std::uint8_t>(b));
    const auto wire = EncodeWire(f);
    ASSERT_TRUE(wire);
    FrameReceiver rx;
    const auto frames = FeedAll(rx, wire->Bytes);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], f);
    // The longest frame has 254 data bytes; one more cannot be told by the length byte.
    f.Data.push_back(0);
    EXPECT_FALSE(EncodeWire(f));
}

TEST(SimWire, RejectedFramesLeaveTheNextOneIntact) {
    const Bytes good = kExamples[0].wire;
    struct Case {
        const char* what;
        Bytes bytes;
        FrameReceiver::Reject reject;
    };
    const Case cases[] = {
        {"bad checksum, then 03 03",
         {0x03, 0x02, 0x01, 0x01, 0xFD, 0x03, 0x03},
         FrameReceiver::Reject::Checksum},
        {"length 0, data dropped until a bare 03h",
         {0x03, 0x02, 0x00, 0x10, 0x03, 0x44, 0x03, 0x03},
         FrameReceiver::Reject::ZeroLength},
        {"no 03h after the checksum", {0x03, 0x02, 0x01, 0x01, 0xFC, 0x07}, FrameReceiver::Reject::NoTrailer},
        {"frame cut short by a bare 03h", {0x03, 0x02, 0x05, 0x03}, FrameReceiver::Reject::Interrupted},
        // A4 03 41 sent as A4 10 03 41, its 03h lost on the line: the sum would still balance.
        {"a byte after 10h that no sender stuffs",
         {0x03, 0x02, 0x04, 0x01, 0xA4, 0x10, 0x01, 0x41, 0x03, 0x03},
         FrameReceiver::Reject::BadEscape},
    };
    for (const auto& c : cases) {
        FrameReceiver rx;
        EXPECT_TRUE(FeedAll(rx, c.bytes).empty()) << c.what;
        EXPECT_EQ(rx.LastReject(), c.reject) << c.what;
        const auto frames = FeedAll(rx, good);
        ASSERT_EQ(frames.size(), 1u) << c.what;
        EXPECT_EQ(frames[0], kExamples[0].frame) << c.what;
    }
}

TEST(SimWire, BareStxInsideAFrameStartsTheNextFrame) {
    // A request cut off after its length byte, immediately followed by a whole one without lead-in.
    Bytes bytes{0x03, 0x02, 0x05, 0x0D};
    bytes.insert(bytes.end(), kExamples[2].wire.begin() + 1, kExamples[2].wire.end());
    FrameReceiver rx;
    const auto frames = FeedAll(rx, bytes);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], kExamples[2].frame);
    EXPECT_EQ(rx.LastReject(), FrameReceiver::Reject::Interrupted);
}

TEST(SimWire, AFrameNotCompleteInFiveSecondsIsAbandoned) {
    FrameReceiver rx;
    const Bytes& wire = kExamples[2].wire;
    FeedAll(rx, Bytes(wire.begin(), wire.begin() + 5), T0);
    EXPECT_TRUE(rx.InFrame());
    EXPECT_EQ(rx.Deadline(), T0 + std::chrono::seconds(5));
    rx.Tick(T0 + std::chrono::seconds(5));
    EXPECT_TRUE(rx.InFrame()) << "the limit is not yet passed";
    // The rest arrives too late: the receiver treats it as noise, not as the end of the old frame.
    const auto late = T0 + std::chrono::seconds(6);
    EXPECT_TRUE(FeedAll(rx, Bytes(wire.begin() + 5, wire.end()), late).empty());
    EXPECT_EQ(rx.LastReject(), FrameReceiver::Reject::TimedOut);
    EXPECT_EQ(FeedAll(rx, wire, late).size(), 1u);
}

TEST(SimWire, TwoFramesInOneBurstGiveTwoFrames) {
    Bytes bytes = kExamples[1].wire;
    bytes.insert(bytes.end(), kExamples[2].wire.begin(), kExamples[2].wire.end());
    FrameReceiver rx;
    const auto frames = FeedAll(rx, bytes);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], kExamples[1].frame);
    EXPECT_EQ(frames[1], kExamples[2].frame);
}
