// The panel behind its modem, over a pseudo-terminal: the bytes the programming tool sends are
// written here by hand, and the answers compared byte for byte.
#include "tools/sim/SimPanel.h"
#include "tools/sim/SimServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace vm415sim;
using namespace std::chrono_literals;

namespace {

// Identification request and the panel's reply (model 164, version 11, programming enabled).
const std::string kIdentification("\x03\x02\x01\x01\xFC\x03\x03", 7);
const std::string kIdentified("\x03\x02\x04\x01\xA4\x0B\x01\x49\x03\x03", 10);

class ModemPty : public ::testing::Test {
  protected:
    static ModemSettings Quick() {
        ModemSettings s;
        s.ConnectDelay = 20ms;
        // No guard silences: "+++" escapes at once. The guard times are the modem's own tests', on
        // their clock; here a real silence would only be a sleep.
        s.GuardTime = 0ms;
        return s;
    }

    void Start(const ModemSettings& settings = Quick()) {
        ServerOptions options;
        options.Modem = settings;
        server_ = std::make_unique<SimServer>(panel, options);
        std::string error;
        ASSERT_TRUE(server_->OpenPty(error)) << error;
        thread_ = std::thread([this] { runOk_ = server_->Run(runError_); });
        fd_ = ::open(server_->Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd_, 0);
    }

    void TearDown() override {
        if (server_) server_->Stop();
        if (thread_.joinable()) thread_.join();
        if (fd_ >= 0) ::close(fd_);
        EXPECT_TRUE(!server_ || runOk_) << runError_;
    }

    void Write(const std::string& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

    // Reads until what came ends with `tail`, or the time is up; gives everything read.
    std::string ReadUntil(const std::string& tail, std::chrono::milliseconds limit = 3s) {
        std::string got;
        const auto until = std::chrono::steady_clock::now() + limit;
        while (
            !(got.size() >= tail.size() && got.compare(got.size() - tail.size(), tail.size(), tail) == 0)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            if (left <= 0ms) break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, int(left.count())) <= 0) break;
            char buf[256];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n > 0) got.append(buf, std::size_t(n));
        }
        return got;
    }

    // A command line and its whole answer.
    std::string Command(const std::string& line, const std::string& last = "0\r") {
        Write(line + "\r");
        return ReadUntil(last);
    }

    // Whatever arrives within `quiet`.
    std::string Drain(std::chrono::milliseconds quiet = 150ms) {
        std::string got;
        pollfd p{fd_, POLLIN, 0};
        while (::poll(&p, 1, int(quiet.count())) > 0) {
            char buf[256];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, std::size_t(n));
        }
        return got;
    }

    // Dial, CONNECT, the panel's "U", the tool's "U" and the panel's "*****".
    void Link() {
        Write("ATD5551234\r");
        ASSERT_EQ(ReadUntil("1\rU"), "1\rU");
        Write("U");
        ASSERT_EQ(ReadUntil("*****"), "*****");
    }

    SimPanel panel;
    std::unique_ptr<SimServer> server_;
    std::thread thread_;
    bool runOk_ = false;
    std::string runError_;
    int fd_ = -1;
};

} // namespace

TEST_F(ModemPty, InitialisationAndUnknownCommands) {
    Start();
    EXPECT_EQ(Command("ATE0V0"), "0\r");
    EXPECT_EQ(Command("AT&D2X0"), "0\r");
    EXPECT_EQ(Command("ATH"), "0\r");
    EXPECT_EQ(Command("ATW9", "4\r"), "4\r");
    EXPECT_EQ(Command("AT+XYZ", "4\r"), "4\r");
    // Before the call, frames are no commands: the panel never sees them.
    Write(kIdentification);
    EXPECT_EQ(Drain(), "");
    EXPECT_EQ(server_->FramesReceived(), 0u);
}

TEST_F(ModemPty, DialHandshakeThenFramesThenEscapeAndHangUp) {
    Start();
    EXPECT_EQ(Command("ATE0V0"), "0\r");
    Link();
    // The tool's later "U"s, sent before it saw the "*", are ignored by the panel.
    Write("UU");
    Write(kIdentification);
    EXPECT_EQ(ReadUntil(kIdentified), kIdentified);
    Write(kIdentification);
    EXPECT_EQ(ReadUntil(kIdentified), kIdentified);
    EXPECT_EQ(server_->FramesReceived(), 2u);

    // "+++": OK, and commands again with the call up; ATO returns to the panel.
    Write("+++");
    EXPECT_EQ(ReadUntil("0\r"), "0\r");
    EXPECT_EQ(Command("AT+CSQ"), "+CSQ: 20,99\r\n0\r");
    EXPECT_EQ(Command("ATO", "1\r"), "1\r");
    Write(kIdentification);
    EXPECT_EQ(ReadUntil(kIdentified), kIdentified);

    Write("+++");
    EXPECT_EQ(ReadUntil("0\r"), "0\r");
    EXPECT_EQ(Command("ATH"), "0\r");
    Write(kIdentification);
    EXPECT_EQ(Drain(), "") << "after the hang-up the panel is out of reach";
    EXPECT_EQ(server_->FramesReceived(), 3u);

    // A second call gets a fresh link.
    Link();
    Write(kIdentification);
    EXPECT_EQ(ReadUntil(kIdentified), kIdentified);
}

TEST_F(ModemPty, TheToolsHangUpSequenceEndsTheCall) {
    Start();
    Link();
    // "+++" with no CR, then the initialisation strings; the last of them, ATH, hangs up.
    Write("+++");
    EXPECT_EQ(ReadUntil("0\r"), "0\r");
    EXPECT_EQ(Command("ATE0V0"), "0\r");
    EXPECT_EQ(Command("AT&D2X0"), "0\r");
    EXPECT_EQ(Command("ATH"), "0\r");
    Write(kIdentification);
    EXPECT_EQ(Drain(), "");
    // With no call up the same sequence is harmless: the "+" are passed over.
    Write("+++");
    EXPECT_EQ(Command("ATE0V0"), "0\r");
}

TEST_F(ModemPty, DtrHookHangsUp) {
    Start();
    Link();
    server_->SetDtr(false);
    server_->SetDtr(true);
    EXPECT_EQ(ReadUntil("3\r"), "3\r");
    Write(kIdentification);
    EXPECT_EQ(Drain(), "");
    EXPECT_EQ(Command("AT"), "0\r");
}

TEST_F(ModemPty, DialFailures) {
    ModemSettings busy = Quick();
    busy.Failure = CallFailure::Busy;
    Start(busy);
    EXPECT_EQ(Command("ATD1", "7\r"), "7\r");
    EXPECT_EQ(Command("ATX0"), "0\r");
    EXPECT_EQ(Command("ATD1", "3\r"), "3\r");
    // The line is free again after a failed call.
    EXPECT_EQ(Command("AT"), "0\r");
    Write("U");
    EXPECT_EQ(Drain(), "") << "no handshake without a call";
}

TEST_F(ModemPty, RingingPanelIsAnswered) {
    ModemSettings s = Quick();
    s.RingEvery = 50ms;
    Start(s);
    EXPECT_EQ(ReadUntil("2\r"), "2\r");
    Write("ATA\r");
    // Rings sent before the ATA arrived may come first.
    std::string got = ReadUntil("1\rU");
    ASSERT_GE(got.size(), 3u);
    const std::string before = got.substr(0, got.size() - 3);
    for (std::size_t i = 0; i < before.size(); i += 2)
        EXPECT_EQ(before.substr(i, 2), "2\r") << got;
    // The calling panel repeats "U" until the tool's "*", the tool's own "U" being no answer.
    Write("U");
    EXPECT_EQ(ReadUntil("UU"), "UU");
    Write("*****");
    Write(kIdentification);
    got = ReadUntil(kIdentified);
    ASSERT_GE(got.size(), kIdentified.size());
    EXPECT_EQ(got.substr(got.size() - kIdentified.size()), kIdentified);
    EXPECT_EQ(got.find_first_not_of('U'), got.size() - kIdentified.size()) << got;
    EXPECT_EQ(Drain(), "") << "no U and no RING once the link is up";
}

TEST(ModemServer, UnusableSettingsAreRefusedAtTheStart) {
    SimPanel panel;
    ServerOptions options;
    options.Modem = ModemSettings{};
    options.Modem->Rssi = 40;
    SimServer server(panel, options);
    std::string error;
    ASSERT_TRUE(server.OpenPty(error)) << error;
    EXPECT_FALSE(server.Run(error));
    EXPECT_NE(error.find("signal level"), std::string::npos) << error;
}
