// The simulated Hayes modem as a machine of bytes and instants: the instants are made up here, so
// guard times, call delays, rings and the handshake limit are checked without waiting for them.
#include "tools/sim/SimModem.h"

#include <gtest/gtest.h>

#include <string>

using namespace vm415sim;
using namespace std::chrono_literals;
using Clock = SimModem::Clock;
using Mode = SimModem::Mode;

namespace {

ModemSettings Quick() {
    ModemSettings s;
    s.ConnectDelay = 500ms;
    s.GuardTime = 1000ms;
    s.HandshakeLimit = 10s;
    return s;
}

class Modem {
  public:
    explicit Modem(const ModemSettings& settings = Quick()) : modem(settings, now) {}

    // Feeds the text at the current instant; gives what the modem said on the line.
    std::string Say(std::string_view text) {
        for (char c : text)
            modem.FromLine(static_cast<std::uint8_t>(c), now, out);
        return Heard();
    }

    // Moves the clock on, running every deadline that falls on the way, in order.
    std::string Wait(Clock::duration d) {
        const auto until = now + d;
        while (const auto due = modem.NextDeadline()) {
            if (*due > until) break;
            now = std::max(now, *due);
            modem.Tick(now, out);
            if (modem.NextDeadline() == due) {
                ADD_FAILURE() << "a deadline that has run must move on";
                break;
            }
        }
        now = until;
        modem.Tick(now, out);
        return Heard();
    }

    std::string Heard() {
        std::string s(out.ToLine.begin(), out.ToLine.end());
        out.ToLine.clear();
        return s;
    }

    std::string Panel() {
        std::string s(out.ToPanel.begin(), out.ToPanel.end());
        out.ToPanel.clear();
        return s;
    }

    // Dials, connects and completes the handshake as the tool does.
    void Link(std::chrono::milliseconds delay = 500ms) {
        ASSERT_EQ(Say("ATD123\r"), "");
        ASSERT_EQ(Wait(delay), "1\rU");
        ASSERT_EQ(Say("U"), "*****");
        ASSERT_TRUE(modem.PanelLinked());
    }

    Clock::time_point now = Clock::time_point{} + 1000h;
    SimModem modem;
    SimModem::Output out;
};

} // namespace

TEST(SimModem, CommandLinesGetNumericResults) {
    Modem m;
    // The tool's default initialisation strings, each answered "0" and CR with no echo.
    EXPECT_EQ(m.Say("ATE0V0\r"), "0\r");
    EXPECT_EQ(m.Say("AT&D2X0\r"), "0\r");
    EXPECT_EQ(m.Say("ATH\r"), "0\r");
    EXPECT_EQ(m.Say("AT\r"), "0\r");
    EXPECT_EQ(m.Say("at &d2 x0\r"), "0\r") << "lower case and spaces are allowed";
    // Unknown or out-of-range commands: "4"; the rest of the line is not run.
    EXPECT_EQ(m.Say("ATQ5\r"), "4\r");
    EXPECT_EQ(m.Say("AT+FOO\r"), "4\r");
    EXPECT_EQ(m.Say("ATY\r"), "4\r");
    EXPECT_EQ(m.Say("ATE1Z9\r"), "4\r");
    EXPECT_EQ(m.Say("AT\r"), "AT\r0\r") << "E1 ran before the error and stays";
    EXPECT_EQ(m.Say("ATE0\r"), "ATE0\r0\r");
    // Anything before "AT" is passed over, as the tool's "+++" is when no call is up; a line
    // without "AT" gets no answer at all, a bare CR included.
    EXPECT_EQ(m.Say("++ATH\r"), "0\r");
    EXPECT_EQ(m.Say("\r"), "");
    EXPECT_EQ(m.Say("HELLO\r\n"), "");
    // Backspace edits the line; a line longer than the modem holds is refused.
    EXPECT_EQ(m.Say("ATX\bH\r"), "0\r");
    EXPECT_EQ(m.Say("AT" + std::string(SimModem::MaxCommandLine + 1, 'E') + "\r"), "4\r");
    EXPECT_EQ(m.Say("ATI\r"), "VM415-SIM\r\n0\r");
}

TEST(SimModem, EchoVerboseAndQuietFollowTheProfile) {
    Modem m;
    EXPECT_EQ(m.Say("ATE1\r"), "0\r") << "the line that turns echo on is not echoed";
    EXPECT_EQ(m.Say("ATV1\r"), "ATV1\r\r\nOK\r\n");
    EXPECT_EQ(m.Say("ATQ9\r"), "ATQ9\r\r\nERROR\r\n");
    EXPECT_EQ(m.Say("AT+CSQ\r"), "AT+CSQ\r\r\n+CSQ: 20,99\r\n\r\nOK\r\n");
    EXPECT_EQ(m.Say("ATQ1\r"), "ATQ1\r");
    // ATZ brings the stored profile back: no echo, numeric, results on.
    EXPECT_EQ(m.Say("ATZ\r"), "ATZ\r0\r");
    EXPECT_EQ(m.Say("ATS12?\r"), "050\r\n0\r");
    EXPECT_EQ(m.Say("ATV1&F\r"), "0\r");
}

TEST(SimModem, DialConnectsAfterTheDelayThenTheAnsweringPanelShakesHands) {
    Modem m;
    EXPECT_EQ(m.Say("ATDT0,123W45\r"), "");
    EXPECT_EQ(m.modem.LastDialled(), "012345") << "modifiers are no part of the number";
    EXPECT_EQ(m.modem.CurrentMode(), Mode::Dialling);
    EXPECT_EQ(m.Wait(499ms), "");
    // CONNECT, then the answering panel's single "U".
    EXPECT_EQ(m.Wait(1ms), "1\rU");
    EXPECT_EQ(m.modem.CurrentMode(), Mode::Online);
    EXPECT_FALSE(m.modem.PanelLinked());
    // Before the caller's "U" nothing reaches the panel; the "U" gets five "*".
    EXPECT_EQ(m.Say("x\x03\x02"), "");
    EXPECT_EQ(m.Panel(), "");
    EXPECT_EQ(m.Say("U"), "*****");
    EXPECT_TRUE(m.modem.PanelLinked());
    EXPECT_EQ(m.modem.LinksMade(), 1u);
    // Once up, every byte goes to the panel, later "U"s of the caller included.
    EXPECT_EQ(m.Say("UU\x03\x02\x01\x01\xFC\x03\x03"), "");
    EXPECT_EQ(m.Panel(), "UU\x03\x02\x01\x01\xFC\x03\x03");
    // Nothing is due while the link is up and quiet.
    EXPECT_FALSE(m.modem.NextDeadline());
}

TEST(SimModem, DialledCallsFailAsAsked) {
    ModemSettings busy = Quick();
    busy.Failure = CallFailure::Busy;
    Modem b(busy);
    EXPECT_EQ(b.Say("ATD1\r"), "");
    EXPECT_EQ(b.Wait(500ms), "7\r");
    EXPECT_EQ(b.modem.CurrentMode(), Mode::OnHook);
    // Below X3 a busy line reads as a missing carrier, as with the tool's "AT&D2X0".
    EXPECT_EQ(b.Say("AT&D2X0\r"), "0\r");
    b.Say("ATD1\r");
    EXPECT_EQ(b.Wait(500ms), "3\r");
    EXPECT_EQ(b.Say("AT\r"), "0\r");

    ModemSettings none = Quick();
    none.Failure = CallFailure::NoCarrier;
    Modem n(none);
    n.Say("ATD1\r");
    EXPECT_EQ(n.Wait(500ms), "3\r");

    // Without a number there is nobody to connect to; a key pressed while dialling abandons the call.
    Modem m;
    m.Say("ATD\r");
    EXPECT_EQ(m.Wait(500ms), "3\r");
    m.Say("ATD1\r");
    EXPECT_EQ(m.Wait(100ms), "");
    EXPECT_EQ(m.Say("+"), "3\r");
    EXPECT_EQ(m.modem.CurrentMode(), Mode::OnHook);
    EXPECT_EQ(m.Wait(1s), "") << "the abandoned call must not connect later";
}

TEST(SimModem, EscapeWantsSilenceOnBothSides) {
    Modem m;
    m.Link();
    m.Panel();
    // Too soon after the last data byte: the "+" are data.
    m.Wait(999ms);
    EXPECT_EQ(m.Say("+++"), "");
    EXPECT_EQ(m.Wait(3s), "");
    EXPECT_EQ(m.modem.CurrentMode(), Mode::Online);
    EXPECT_EQ(m.Panel(), "+++") << "escape characters travel on";
    // Silence before, but a byte within the silence after: still data.
    m.Wait(1s);
    m.Say("+++");
    m.Wait(500ms);
    m.Say("a");
    EXPECT_EQ(m.Wait(3s), "");
    // Four "+" are no escape either.
    m.Say("++++");
    EXPECT_EQ(m.Wait(3s), "");
    EXPECT_EQ(m.modem.CurrentMode(), Mode::Online);
    // Silence, "+++", silence: OK after the guard time, in command mode with the call up.
    m.Say("+++");
    EXPECT_EQ(m.Wait(999ms), "");
    EXPECT_EQ(m.Wait(1ms), "0\r");
    EXPECT_EQ(m.modem.CurrentMode(), Mode::OnlineCommand);
    m.Panel();
    EXPECT_EQ(m.Say("AT+CSQ\r"), "+CSQ: 20,99\r\n0\r");
    EXPECT_EQ(m.Panel(), "") << "commands are not data";
    EXPECT_EQ(m.Say("ATD1\r"), "4\r") << "no second call while one is up";
    // ATO goes back on line; ATH after a second escape hangs up.
    EXPECT_EQ(m.Say("ATO\r"), "1\r");
    EXPECT_TRUE(m.modem.PanelLinked());
    m.Wait(2s);
    m.Say("+++");
    EXPECT_EQ(m.Wait(2s), "0\r");
    EXPECT_EQ(m.Say("ATH\r"), "0\r");
    EXPECT_EQ(m.modem.CurrentMode(), Mode::OnHook);
    EXPECT_EQ(m.Say("ATO\r"), "4\r") << "no call to go back to";
}

TEST(SimModem, GuardTimeFromRegisterOrNone) {
    Modem m;
    EXPECT_EQ(m.Say("ATS12=5\r"), "0\r");
    EXPECT_EQ(m.Say("ATS12?\r"), "005\r\n0\r");
    EXPECT_EQ(m.Say("ATS12=256\r"), "4\r");
    m.Link();
    m.Wait(100ms);
    m.Say("+++");
    EXPECT_EQ(m.Wait(99ms), "");
    EXPECT_EQ(m.Wait(1ms), "0\r");

    ModemSettings s = Quick();
    s.GuardTime = 0ms;
    Modem z(s);
    z.Link();
    EXPECT_EQ(z.Say("a++"), "");
    EXPECT_EQ(z.Say("+"), "0\r") << "without guard times three \"+\" escape at once";
}

TEST(SimModem, PanelHangsUpWhenTheHandshakeStalls) {
    Modem m;
    m.Say("ATD1\r");
    m.Wait(500ms);
    EXPECT_EQ(m.Wait(9999ms), "");
    EXPECT_EQ(m.Wait(1ms), "3\r");
    EXPECT_EQ(m.modem.CurrentMode(), Mode::OnHook);
    EXPECT_EQ(m.modem.LinksMade(), 0u);
}

TEST(SimModem, RingingPanelIsAnsweredAndCalls) {
    ModemSettings s = Quick();
    s.RingEvery = 2s;
    Modem m(s);
    // ATA before the panel has rung finds nobody.
    m.Say("ATA\r");
    EXPECT_EQ(m.Wait(500ms), "3\r");
    EXPECT_EQ(m.Wait(1999ms), "");
    EXPECT_EQ(m.Wait(1ms), "2\r");
    // A command line puts the next RING off, so a RING never falls among the tool's results.
    m.Wait(1s);
    EXPECT_EQ(m.Say("AT\r"), "0\r");
    EXPECT_EQ(m.Wait(1999ms), "");
    EXPECT_EQ(m.Wait(1ms), "2\r");
    EXPECT_EQ(m.Say("ATA\r"), "");
    EXPECT_EQ(m.modem.CurrentMode(), Mode::Answering);
    // The calling panel says "U" at once and every 0.1 s until it hears "*"; the tool's own "U"
    // after CONNECT is no answer.
    EXPECT_EQ(m.Wait(500ms), "1\rU");
    EXPECT_EQ(m.Wait(99ms), "");
    EXPECT_EQ(m.Wait(1ms), "U");
    EXPECT_EQ(m.Say("U"), "");
    EXPECT_EQ(m.Wait(200ms), "UU");
    EXPECT_EQ(m.Say("*"), "");
    EXPECT_TRUE(m.modem.PanelLinked());
    EXPECT_EQ(m.Say("****"), "");
    EXPECT_EQ(m.Panel(), "****");
    EXPECT_EQ(m.Wait(5s), "") << "no more U, and no RING during a call";
    // After the hang-up the panel calls again.
    m.Wait(1s);
    m.Say("+++");
    m.Wait(1s);
    EXPECT_EQ(m.Say("ATH\r"), "0\r");
    EXPECT_EQ(m.Wait(2s), "2\r");
}

TEST(SimModem, DtrDropFollowsAmpersandD) {
    Modem m; // &D2: hang up
    m.Link();
    m.modem.SetDtr(false, m.now, m.out);
    EXPECT_EQ(m.Heard(), "3\r");
    EXPECT_EQ(m.modem.CurrentMode(), Mode::OnHook);
    m.modem.SetDtr(true, m.now, m.out);
    EXPECT_EQ(m.Say("AT\r"), "0\r");
    m.modem.SetDtr(false, m.now, m.out);
    EXPECT_EQ(m.Heard(), "") << "nothing to hang up";
    m.modem.SetDtr(true, m.now, m.out);

    m.Say("AT&D1\r");
    m.Link();
    m.modem.SetDtr(false, m.now, m.out);
    EXPECT_EQ(m.Heard(), "0\r");
    EXPECT_EQ(m.modem.CurrentMode(), Mode::OnlineCommand);
    m.modem.SetDtr(true, m.now, m.out);
    EXPECT_EQ(m.Say("ATO\r"), "1\r");
    EXPECT_EQ(m.Say("AT&D0\r"), "") << "on line, this is data";
    m.Wait(1s);
    m.Say("+++");
    m.Wait(1s);
    EXPECT_EQ(m.Say("AT&D0\r"), "0\r");
    EXPECT_EQ(m.Say("ATO\r"), "1\r");
    m.modem.SetDtr(false, m.now, m.out);
    EXPECT_EQ(m.Heard(), "");
    EXPECT_TRUE(m.modem.PanelLinked());

    // &D3 hangs up and resets the profile.
    m.modem.SetDtr(true, m.now, m.out);
    m.Wait(1s);
    m.Say("+++");
    m.Wait(1s);
    EXPECT_EQ(m.Say("ATH&D3S12=5\r"), "0\r");
    m.Link();
    m.modem.SetDtr(false, m.now, m.out);
    EXPECT_EQ(m.Heard(), "3\r");
    m.modem.SetDtr(true, m.now, m.out);
    EXPECT_EQ(m.Say("ATS12?\r"), "050\r\n0\r") << "the guard time is back to its setting";
}

TEST(SimModem, GsmQueriesAnswerFromTheSettings) {
    Modem m;
    EXPECT_EQ(m.Say("AT+COPS=3,0\r"), "0\r");
    EXPECT_EQ(m.Say("AT+CREG?\r"), "+CREG: 0,1\r\n0\r");
    EXPECT_EQ(m.Say("AT+COPS?\r"), "+COPS: 0,0,\"VM415 SIM\"\r\n0\r");
    EXPECT_EQ(m.Say("AT+CSQ\r"), "+CSQ: 20,99\r\n0\r");
    EXPECT_EQ(m.Say("AT+CREG?;+CSQ\r"), "+CREG: 0,1\r\n+CSQ: 20,99\r\n0\r");
    EXPECT_EQ(m.Say("AT+CREG=2\r"), "0\r");
    EXPECT_EQ(m.Say("AT+CREG?\r"), "+CREG: 2,1\r\n0\r");
    EXPECT_EQ(m.Say("AT+COPS=3,2\r"), "0\r");
    EXPECT_EQ(m.Say("AT+COPS?\r"), "+COPS: 0,2,\"00101\"\r\n0\r");
    EXPECT_EQ(m.Say("AT+CSQ=?\r"), "+CSQ: (0-31,99),(0-7,99)\r\n0\r");
    for (const char* bad : {"AT+COPS=1,0,\"X\"\r", "AT+COPS=3,3\r", "AT+CREG=3\r", "AT+CSQ?\r", "AT+CREG\r"})
        EXPECT_EQ(m.Say(bad), "4\r") << bad;

    ModemSettings s = Quick();
    s.Registration = 2;
    s.Rssi = 7;
    s.Ber = 0;
    s.Operator = "Twenty char operator";
    Modem n(s);
    EXPECT_EQ(n.Say("AT+CREG?\r"), "+CREG: 0,2\r\n0\r");
    EXPECT_EQ(n.Say("AT+COPS?\r"), "+COPS: 0\r\n0\r") << "no operator while not registered";
    EXPECT_EQ(n.Say("AT+CSQ\r"), "+CSQ: 7,0\r\n0\r");
    s.Registration = 5;
    Modem r(s);
    EXPECT_EQ(r.Say("at+cops?\r"), "+COPS: 0,0,\"Twenty char operator\"\r\n0\r") << "the name keeps its case";
}

TEST(SimModem, SettingsAreChecked) {
    EXPECT_EQ(CheckModemSettings(ModemSettings{}), "");
    for (const auto& change : std::initializer_list<void (*)(ModemSettings&)>{
             [](ModemSettings& s) { s.Rssi = 32; }, [](ModemSettings& s) { s.Ber = 8; },
             [](ModemSettings& s) { s.Registration = 6; }, [](ModemSettings& s) { s.Operator = "a\rb"; },
             [](ModemSettings& s) { s.GuardTime = 5101ms; },
             [](ModemSettings& s) { s.ConnectDelay = -1ms; }}) {
        ModemSettings s;
        change(s);
        EXPECT_NE(CheckModemSettings(s), "");
    }
}
