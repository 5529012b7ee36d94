#pragma once
// A Hayes modem in front of the panel. The programming tool drives it with AT command lines; a call
// (dialled by the tool, or rung in by the panel and answered by the tool) is followed by a short
// character handshake with the panel, after which the line carries the panel's frames.
//
// The machine does no input or output of its own: it is given bytes and instants and hands back the
// bytes for the line and for the panel, so that the server drives it with the real clock and tests
// drive it with made-up instants.
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vm415sim {

enum class CallFailure { None, Busy, NoCarrier };

struct ModemSettings {
    // From ATD or ATA to the call's result.
    std::chrono::milliseconds ConnectDelay{1000};
    // How every dialled call ends; answered calls always connect.
    CallFailure Failure = CallFailure::None;
    // Zero: nobody calls. Otherwise the panel calls, and the modem rings, this long after it went on
    // hook or last answered a command line, and again at this interval until the call is answered.
    std::chrono::milliseconds RingEvery{0};
    // The silence wanted before and after "+++" (register S12 holds it in fiftieths of a second).
    // Zero: three "+" in a row escape at once.
    std::chrono::milliseconds GuardTime{1000};
    // The panel hangs up when the handshake has not completed this long after the connection.
    std::chrono::milliseconds HandshakeLimit{10000};
    // GSM answers.
    int Rssi = 20;        // +CSQ: 0..31, or 99 for not known
    int Ber = 99;         // +CSQ: 0..7, or 99 for not known
    int Registration = 1; // +CREG stat: 0 not searching, 1 home, 2 searching, 3 denied, 4 unknown, 5 roaming
    std::string Operator = "VM415 SIM";
    std::string OperatorNumeric = "00101";
};

// Empty when the settings can be used; otherwise what is wrong with them.
std::string CheckModemSettings(const ModemSettings& settings);

class SimModem {
  public:
    using Clock = std::chrono::steady_clock;
    using Bytes = std::vector<std::uint8_t>;

    enum class Mode {
        OnHook,        // command mode, no call
        Dialling,      // ATD given, result pending
        Answering,     // ATA given, result pending
        Online,        // data mode: the line goes to the far end
        OnlineCommand, // command mode during a call ("+++" or DTR with &D1); ATO goes back
    };
    // The far end's side of the character handshake.
    enum class Handshake {
        AwaitingU, // the panel answered: it has sent one "U" and answers the caller's "U" with "*****"
        SendingU,  // the panel called: it sends "U" every 0.1 s until a "*" comes
        Up,        // the panel takes the line's bytes
    };

    struct Output {
        Bytes ToLine;  // for the programming tool
        Bytes ToPanel; // for the panel's frame receiver
    };

    static constexpr std::uint8_t HandshakeU = 0x55;    // "U"
    static constexpr std::uint8_t HandshakeStar = 0x2A; // "*"
    static constexpr std::chrono::milliseconds UInterval{100};
    static constexpr std::size_t MaxCommandLine = 255;

    SimModem(const ModemSettings& settings, Clock::time_point now);

    void FromLine(std::uint8_t byte, Clock::time_point now, Output& out);
    // Runs whatever has fallen due by `now`.
    void Tick(Clock::time_point now, Output& out);
    // When Tick next has something to do; nothing while the modem only waits for bytes.
    std::optional<Clock::time_point> NextDeadline() const;
    // The DTR line from the programming tool (a pseudo-terminal has none, so the server offers a hook).
    void SetDtr(bool on, Clock::time_point now, Output& out);

    Mode CurrentMode() const { return mode_; }
    Handshake CurrentHandshake() const { return handshake_; }
    // True while the panel's replies may go out on the line.
    bool PanelLinked() const { return mode_ == Mode::Online && handshake_ == Handshake::Up; }
    // Counts completed handshakes, so the owner can give each link a fresh frame receiver.
    std::size_t LinksMade() const { return links_; }
    // The digits of the last dial command, modifiers left out.
    const std::string& LastDialled() const { return dialled_; }

  private:
    enum class Result { Ok = 0, Connect = 1, Ring = 2, NoCarrier = 3, Error = 4, Busy = 7 };
    enum class Outcome { Connect, Busy, NoCarrier };
    enum class LineState { WantA, WantT, Collect };
    enum class Step { Next, Fail, CallStarted, GoOnline };

    void ResetProfile();
    void Emit(Result result, Output& out) const;
    void Info(const std::string& text, Output& out) const;

    void CommandByte(std::uint8_t byte, Clock::time_point now, Output& out);
    void ExecuteLine(Clock::time_point now, Output& out);
    Step ExecuteOne(const std::string& line, std::size_t& pos, Clock::time_point now, Output& out);
    Step Extended(const std::string& line, std::size_t& pos, Output& out);
    Step Dial(const std::string& rest, Clock::time_point now);

    void OnlineByte(std::uint8_t byte, Clock::time_point now, Output& out);
    void Connect(Clock::time_point now, Output& out);
    void Escape(Output& out);
    void HangUp(Clock::time_point now);
    bool InCall() const { return mode_ != Mode::OnHook; }
    bool Registered() const { return settings_.Registration == 1 || settings_.Registration == 5; }
    Clock::duration Guard() const { return guard_; }

    ModemSettings settings_;

    // The profile ATZ and AT&F bring back: E0 V0 Q0 X4 &D2, as if stored so, because the tool's
    // result reader takes the first byte after its command for the result digit.
    bool echo_ = false, verbose_ = false, quiet_ = false;
    int resultLevel_ = 4; // X
    int dtrMode_ = 2;     // &D
    std::array<std::uint8_t, 256> registers_{};
    Clock::duration guard_{};
    int cregMode_ = 0;   // +CREG=<n>
    int copsFormat_ = 0; // +COPS=3,<format>

    Mode mode_ = Mode::OnHook;
    Handshake handshake_ = Handshake::AwaitingU;
    bool dtr_ = true;

    LineState lineState_ = LineState::WantA;
    std::string line_;
    bool lineOverflow_ = false;

    Clock::time_point callDue_{};
    Outcome outcome_ = Outcome::Connect;
    Clock::time_point handshakeUntil_{}, nextU_{};
    bool incoming_ = false; // a call has rung and not been answered or dropped
    Clock::time_point nextRing_{};

    Clock::time_point lastData_{}; // last byte in data mode, for the guard times
    int pluses_ = 0;

    std::size_t links_ = 0;
    std::string dialled_;
};

} // namespace vm415sim
