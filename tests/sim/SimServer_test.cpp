// The panel on a pseudo-terminal: requests written on the slave side get their wire replies, read
// back and taken apart here with this file's own bytes and decoder.
#include "support/Attesa.h"
#include "tools/sim/SimFaults.h"
#include "tools/sim/SimPanel.h"
#include "tools/sim/SimServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace vm415sim;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

namespace {

struct Decoded {
    std::uint8_t Command = 0;
    Bytes Data;
    bool ChecksumOk = false;
};

// Takes one frame from the front of `in` (lead-in 03h, STX, stuffed length/command/data, checksum,
// 03h 03h); nothing while it is incomplete.
std::optional<Decoded> TakeFrame(const Bytes& in) {
    std::size_t i = 0;
    while (i < in.size() && in[i] != 0x02)
        ++i;
    if (i == in.size()) return std::nullopt;
    unsigned sum = 0x02;
    ++i;
    auto next = [&](std::uint8_t& out) {
        if (i >= in.size()) return false;
        if (in[i] == 0x10) {
            sum += in[i++];
            if (i >= in.size()) return false;
        }
        sum += in[i];
        out = in[i++];
        return true;
    };
    std::uint8_t length;
    if (!next(length) || length == 0) return std::nullopt;
    Bytes body(length);
    for (auto& b : body)
        if (!next(b)) return std::nullopt;
    if (i + 3 > in.size()) return std::nullopt;
    sum += in[i++];
    if (in[i] != 0x03 || in[i + 1] != 0x03) return std::nullopt;
    return Decoded{body[0], Bytes(body.begin() + 1, body.end()), (sum & 0xFF) == 0};
}

class PtyServer : public ::testing::Test {
  protected:
    void Start(ServerOptions options = {}) {
        server_ = std::make_unique<SimServer>(panel, options);
        std::string error;
        ASSERT_TRUE(server_->OpenPty(error)) << error;
        ASSERT_EQ(server_->Path().rfind("/dev/pts/", 0), 0u) << server_->Path();
        thread_ = std::thread([this] { runOk_ = server_->Run(runError_); });
        fd_ = ::open(server_->Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd_, 0);
    }

    void TearDown() override {
        StopServer();
        if (fd_ >= 0) ::close(fd_);
    }

    void StopServer() {
        if (server_) server_->Stop();
        if (thread_.joinable()) thread_.join();
    }

    // The server counts a reply once its last byte is written, so the reader may hold the reply a
    // moment before the count moves: give it that moment instead of racing it.
    std::size_t RepliesSentSettled(std::size_t expected) {
        testing_support::AttendiFinche([&] { return server_->RepliesSent() >= expected; }, 2s);
        return server_->RepliesSent();
    }

    void Write(const Bytes& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

    // Everything that arrives until a whole frame is in, or the time is up.
    Bytes ReadReply(std::chrono::milliseconds limit = 3s) {
        Bytes got;
        const auto until = std::chrono::steady_clock::now() + limit;
        while (!TakeFrame(got)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            if (left <= 0ms) break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, int(left.count())) <= 0) break;
            std::uint8_t buf[512];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n > 0) got.insert(got.end(), buf, buf + n);
        }
        return got;
    }

    SimPanel panel;
    std::unique_ptr<SimServer> server_;
    std::thread thread_;
    bool runOk_ = false;
    std::string runError_;
    int fd_ = -1;
};

const Bytes kIdentification{0x03, 0x02, 0x01, 0x01, 0xFC, 0x03, 0x03};
const Bytes kEnd{0x03, 0x02, 0x01, 0x10, 0x02, 0xEB, 0x03, 0x03};
const Bytes kKeypadBlock1{0x03, 0x02, 0x10, 0x02, 0x10, 0x10, 0x01, 0xCB, 0x03, 0x03};

} // namespace

TEST_F(PtyServer, WorkedExamplesGetTheirReplies) {
    Start();
    Write(kIdentification);
    // Reply 1: 164, 11, 1; the sum from the STX, 02+04+01+A4+0B+01 = B7h, gives checksum 49h.
    EXPECT_EQ(ReadReply(), (Bytes{0x03, 0x02, 0x04, 0x01, 0xA4, 0x0B, 0x01, 0x49, 0x03, 0x03}));
    // An acknowledgement with no data is the request's own frame.
    Write(kEnd);
    EXPECT_EQ(ReadReply(), kEnd);

    Bytes image = panel.ImageBytes();
    image[3944 + 21 * 9] = 3; // keypad 9, the second of block 1: description "a\x02\x10"
    image[3944 + 21 * 9 + 1] = 'a', image[3944 + 21 * 9 + 2] = 0x02, image[3944 + 21 * 9 + 3] = 0x10;
    std::string error;
    ASSERT_TRUE(panel.SetImageBytes(image, error));
    Write(kKeypadBlock1);
    const auto reply = TakeFrame(ReadReply());
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->ChecksumOk);
    EXPECT_EQ(reply->Command, 16);
    ASSERT_EQ(reply->Data.size(), 169u);
    EXPECT_EQ(reply->Data[0], 1);
    EXPECT_EQ(Bytes(reply->Data.begin() + 1 + 21 + 5, reply->Data.begin() + 1 + 21 + 9),
              (Bytes{'a', 0x02, 0x10, 0}));
    EXPECT_EQ(server_->FramesReceived(), 3u);
    EXPECT_EQ(RepliesSentSettled(3), 3u);
}

TEST_F(PtyServer, RequestsSplitAmongNoiseAreFound) {
    Start();
    Write({0x55, 0xFF, 0x03, 0x03});
    Write({0x03, 0x02, 0x01});
    std::this_thread::sleep_for(20ms);
    Write({0x01, 0xFC});
    std::this_thread::sleep_for(20ms);
    Write({0x03, 0x03});
    const auto reply = TakeFrame(ReadReply());
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Command, 1);
    EXPECT_EQ(reply->Data, (Bytes{164, 11, 1}));
}

TEST_F(PtyServer, SilenceForUnknownOrDamagedRequestsThenAnswersAgain) {
    Start();
    // Command 12 does not exist; the second frame has a wrong checksum.
    Write({0x03, 0x02, 0x01, 0x0C, 0xF1, 0x03, 0x03});
    Write({0x03, 0x02, 0x01, 0x01, 0xFD, 0x03, 0x03});
    EXPECT_TRUE(ReadReply(300ms).empty());
    Write(kIdentification);
    EXPECT_TRUE(TakeFrame(ReadReply()));
    EXPECT_EQ(server_->FramesReceived(), 2u);
    EXPECT_EQ(server_->FramesRejected(), 1u);
    EXPECT_EQ(RepliesSentSettled(1), 1u);
}

TEST_F(PtyServer, DelayAndPacingHoldTheReplyBack) {
    FaultSettings f;
    f.Delay = 150ms;
    panel.SetFaults(f);
    Start(ServerOptions{9600});
    const auto t0 = std::chrono::steady_clock::now();
    Write({0x03, 0x02, 0x01, 0x10, 0x03, 0xEA, 0x03, 0x03}); // command 3 (stuffed): 216 data bytes back
    const auto reply = TakeFrame(ReadReply());
    const auto elapsed = std::chrono::steady_clock::now() - t0;
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Data.size(), 216u);
    // At least the delay plus 221 bytes at 960 bytes a second.
    EXPECT_GE(elapsed, 150ms + 225ms);
}

TEST_F(PtyServer, CorruptedRepliesFailTheirCheck) {
    FaultSettings f;
    f.CorruptRate = 1;
    f.Seed = 3;
    panel.SetFaults(f);
    Start();
    for (int i = 0; i < 5; ++i) {
        Write(kIdentification);
        const Bytes got = ReadReply(300ms);
        const auto reply = TakeFrame(got);
        EXPECT_FALSE(reply && reply->ChecksumOk && reply->Command == 1 && reply->Data == (Bytes{164, 11, 1}))
            << "attempt " << i;
        // The remains of the frame are all written once the reply is counted.
        ASSERT_TRUE(
            testing_support::AttendiFinche([&] { return server_->RepliesSent() == std::size_t(i) + 1; }));
        Bytes drain(64);
        while (::read(fd_, drain.data(), drain.size()) > 0) {
        }
    }
}

TEST_F(PtyServer, StopEndsTheServerEvenDuringALongDelay) {
    FaultSettings f;
    f.Delay = 60s;
    panel.SetFaults(f);
    Start();
    Write(kIdentification);
    ASSERT_TRUE(testing_support::AttendiFinche([&] { return server_->FramesReceived() == 1; }));
    StopServer();
    EXPECT_TRUE(runOk_) << runError_;
    EXPECT_EQ(server_->FramesReceived(), 1u);
    EXPECT_EQ(server_->RepliesSent(), 0u);
}

TEST_F(PtyServer, ClientsMayCloseAndReopenTheLine) {
    Start();
    ::close(fd_);
    fd_ = -1;
    std::this_thread::sleep_for(50ms);
    fd_ = ::open(server_->Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd_, 0);
    Write(kIdentification);
    EXPECT_TRUE(TakeFrame(ReadReply()));
    StopServer();
    EXPECT_TRUE(runOk_) << runError_;
}

TEST(SimServer, OpeningAMissingDeviceSaysWhy) {
    SimPanel panel;
    SimServer server(panel);
    std::string error;
    EXPECT_FALSE(server.OpenDevice("/dev/no-such-vm415-line", error));
    EXPECT_NE(error.find("/dev/no-such-vm415-line"), std::string::npos) << error;
    EXPECT_FALSE(server.Run(error));
}
