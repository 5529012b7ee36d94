#include "tools/sim/SimModem.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace vm415sim {
namespace {

constexpr int RegEscape = 2, RegCr = 3, RegLf = 4, RegBackspace = 5, RegCarrierWait = 7, RegGuard = 12;
constexpr std::chrono::milliseconds GuardUnit{20};

bool IsDialDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#' || (c >= 'A' && c <= 'D');
}

// Upper case and without spaces, except between double quotes, where an operator name may stand.
std::string Normalise(const std::string& line) {
    std::string out;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') quoted = !quoted;
        if (quoted || c == '"') {
            out += c;
        } else if (c != ' ') {
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

// A basic command's decimal parameter; absent means 0. False for more than three digits.
bool Number(const std::string& line, std::size_t& pos, int& value) {
    value = 0;
    std::size_t digits = 0;
    while (pos < line.size() && std::isdigit(static_cast<unsigned char>(line[pos]))) {
        if (++digits > 3) return false;
        value = value * 10 + (line[pos++] - '0');
    }
    return true;
}

// Comma-separated parameters of an extended command, up to ';' or the end of the line.
std::vector<std::string> Parameters(const std::string& line, std::size_t& pos) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (; pos < line.size() && (quoted || line[pos] != ';'); ++pos) {
        const char c = line[pos];
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

std::optional<int> Whole(const std::string& text, int lo, int hi) {
    if (text.empty() || text.size() > 3 || !std::all_of(text.begin(), text.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        }))
        return std::nullopt;
    const int v = std::stoi(text);
    if (v < lo || v > hi) return std::nullopt;
    return v;
}

} // namespace

std::string CheckModemSettings(const ModemSettings& s) {
    if (s.ConnectDelay.count() < 0) return "the connect delay cannot be negative";
    if (s.RingEvery.count() < 0) return "the ring interval cannot be negative";
    if (s.GuardTime.count() < 0 || s.GuardTime > GuardUnit * 255)
        return "the guard time must be from 0 to 5100 ms";
    if (s.HandshakeLimit.count() <= 0) return "the handshake limit must be positive";
    if (!((s.Rssi >= 0 && s.Rssi <= 31) || s.Rssi == 99)) return "the signal level must be 0..31 or 99";
    if (!((s.Ber >= 0 && s.Ber <= 7) || s.Ber == 99)) return "the bit error rate must be 0..7 or 99";
    if (s.Registration < 0 || s.Registration > 5) return "the registration state must be 0..5";
    for (const std::string* name : {&s.Operator, &s.OperatorNumeric}) {
        if (name->size() > 64) return "an operator name is at most 64 characters";
        // The name travels between double quotes on a line of its own.
        for (char c : *name)
            if (c == '"' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                return "an operator name cannot hold double quotes or control characters";
    }
    return {};
}

SimModem::SimModem(const ModemSettings& settings, Clock::time_point now) : settings_(settings) {
    ResetProfile();
    lastData_ = now;
    nextRing_ = now + settings_.RingEvery;
}

void SimModem::ResetProfile() {
    echo_ = verbose_ = quiet_ = false;
    resultLevel_ = 4;
    dtrMode_ = 2;
    registers_.fill(0);
    registers_[RegEscape] = '+';
    registers_[RegCr] = '\r';
    registers_[RegLf] = '\n';
    registers_[RegBackspace] = 8;
    registers_[RegCarrierWait] = 50;
    guard_ = settings_.GuardTime;
    registers_[RegGuard] = static_cast<std::uint8_t>((settings_.GuardTime + GuardUnit / 2) / GuardUnit);
    cregMode_ = 0;
    copsFormat_ = 0;
}

void SimModem::Emit(Result result, Output& out) const {
    if (quiet_) return;
    const char* word = "OK";
    switch (result) {
    case Result::Ok:
        break;
    case Result::Connect:
        word = "CONNECT";
        break;
    case Result::Ring:
        word = "RING";
        break;
    case Result::NoCarrier:
        word = "NO CARRIER";
        break;
    case Result::Error:
        word = "ERROR";
        break;
    case Result::Busy:
        word = "BUSY";
        break;
    }
    const std::uint8_t cr = registers_[RegCr], lf = registers_[RegLf];
    if (verbose_) {
        out.ToLine.insert(out.ToLine.end(), {cr, lf});
        out.ToLine.insert(out.ToLine.end(), word, word + std::char_traits<char>::length(word));
        out.ToLine.insert(out.ToLine.end(), {cr, lf});
    } else {
        const std::string digits = std::to_string(static_cast<int>(result));
        out.ToLine.insert(out.ToLine.end(), digits.begin(), digits.end());
        out.ToLine.push_back(cr);
    }
}

void SimModem::Info(const std::string& text, Output& out) const {
    const std::uint8_t cr = registers_[RegCr], lf = registers_[RegLf];
    if (verbose_) out.ToLine.insert(out.ToLine.end(), {cr, lf});
    out.ToLine.insert(out.ToLine.end(), text.begin(), text.end());
    out.ToLine.insert(out.ToLine.end(), {cr, lf});
}

void SimModem::FromLine(std::uint8_t byte, Clock::time_point now, Output& out) {
    switch (mode_) {
    case Mode::OnHook:
    case Mode::OnlineCommand:
        CommandByte(byte, now, out);
        break;
    case Mode::Dialling:
    case Mode::Answering:
        // As on a real modem, any character abandons a call that is being set up.
        Emit(Result::NoCarrier, out);
        HangUp(now);
        break;
    case Mode::Online:
        OnlineByte(byte, now, out);
        break;
    }
}

void SimModem::CommandByte(std::uint8_t byte, Clock::time_point now, Output& out) {
    if (echo_) out.ToLine.push_back(byte);
    const char upper = static_cast<char>(std::toupper(byte));
    switch (lineState_) {
    case LineState::WantA:
        if (upper == 'A') lineState_ = LineState::WantT;
        break;
    case LineState::WantT:
        if (upper == 'T') {
            lineState_ = LineState::Collect;
            line_.clear();
            lineOverflow_ = false;
        } else if (upper != 'A') {
            lineState_ = LineState::WantA;
        }
        break;
    case LineState::Collect:
        if (byte == registers_[RegCr]) {
            lineState_ = LineState::WantA;
            ExecuteLine(now, out);
        } else if (byte == registers_[RegBackspace]) {
            if (!line_.empty()) line_.pop_back();
        } else if (byte < 0x20) {
            // Line feeds and other control characters are no part of a command.
        } else if (line_.size() < MaxCommandLine) {
            line_ += static_cast<char>(byte);
        } else {
            lineOverflow_ = true;
        }
        break;
    }
}

void SimModem::ExecuteLine(Clock::time_point now, Output& out) {
    // The panel's call waits until the tool has had its answer and some quiet after it.
    if (mode_ == Mode::OnHook) nextRing_ = now + settings_.RingEvery;
    if (lineOverflow_) {
        Emit(Result::Error, out);
        return;
    }
    const std::string line = Normalise(line_);
    std::size_t pos = 0;
    bool goOnline = false;
    while (pos < line.size()) {
        switch (ExecuteOne(line, pos, now, out)) {
        case Step::Next:
            continue;
        case Step::Fail:
            Emit(Result::Error, out);
            return;
        case Step::CallStarted:
            return; // the result comes when the call is set up
        case Step::GoOnline:
            goOnline = true;
            continue;
        }
    }
    if (goOnline) {
        mode_ = Mode::Online;
        lastData_ = now;
        pluses_ = 0;
        Emit(Result::Connect, out);
    } else {
        Emit(Result::Ok, out);
    }
}

SimModem::Step SimModem::ExecuteOne(const std::string& line, std::size_t& pos, Clock::time_point now,
                                    Output& out) {
    const char c = line[pos++];
    int n = 0;
    auto flag = [&](bool& target) {
        if (!Number(line, pos, n) || n > 1) return Step::Fail;
        target = n == 1;
        return Step::Next;
    };
    switch (c) {
    case ';':
        return Step::Next;
    case 'D':
        if (mode_ != Mode::OnHook) return Step::Fail;
        {
            const std::string rest = line.substr(pos);
            pos = line.size();
            return Dial(rest, now);
        }
    case 'A':
        if (mode_ != Mode::OnHook) return Step::Fail;
        mode_ = Mode::Answering;
        callDue_ = now + settings_.ConnectDelay;
        // Nobody to answer before the panel has rung: the far end never brings up a carrier.
        outcome_ = incoming_ ? Outcome::Connect : Outcome::NoCarrier;
        pos = line.size();
        return Step::CallStarted;
    case 'E':
        return flag(echo_);
    case 'V':
        return flag(verbose_);
    case 'Q':
        return flag(quiet_);
    case 'X':
        if (!Number(line, pos, n) || n > 4) return Step::Fail;
        resultLevel_ = n;
        return Step::Next;
    case 'L':
    case 'M':
        return Number(line, pos, n) && n <= 3 ? Step::Next : Step::Fail;
    case 'H':
        if (!Number(line, pos, n) || n != 0) return Step::Fail;
        if (InCall()) HangUp(now);
        return Step::Next;
    case 'O':
        if (!Number(line, pos, n) || n != 0 || mode_ != Mode::OnlineCommand) return Step::Fail;
        return Step::GoOnline;
    case 'Z':
        if (!Number(line, pos, n) || n > 1) return Step::Fail;
        if (InCall()) HangUp(now);
        ResetProfile();
        return Step::Next;
    case 'I':
        if (!Number(line, pos, n) || n > 9) return Step::Fail;
        Info("VM415-SIM", out);
        return Step::Next;
    case 'S': {
        if (!Number(line, pos, n) || n > 255 || pos >= line.size()) return Step::Fail;
        const int reg = n;
        if (line[pos] == '?') {
            ++pos;
            const std::string v = std::to_string(registers_[reg]);
            Info(std::string(3 - std::min<std::size_t>(3, v.size()), '0') + v, out);
            return Step::Next;
        }
        if (line[pos] != '=') return Step::Fail;
        ++pos;
        if (!Number(line, pos, n) || n > 255) return Step::Fail;
        registers_[reg] = static_cast<std::uint8_t>(n);
        if (reg == RegGuard) guard_ = GuardUnit * n;
        return Step::Next;
    }
    case '&': {
        if (pos >= line.size()) return Step::Fail;
        const char sub = line[pos++];
        if (!Number(line, pos, n)) return Step::Fail;
        switch (sub) {
        case 'D':
            if (n > 3) return Step::Fail;
            dtrMode_ = n;
            return Step::Next;
        case 'F':
            if (n != 0) return Step::Fail;
            ResetProfile();
            return Step::Next;
        case 'C':
        case 'W':
            return n <= 1 ? Step::Next : Step::Fail;
        default:
            return Step::Fail;
        }
    }
    case '+':
        return Extended(line, pos, out);
    default:
        return Step::Fail;
    }
}

SimModem::Step SimModem::Extended(const std::string& line, std::size_t& pos, Output& out) {
    std::string name;
    while (pos < line.size() && std::isalpha(static_cast<unsigned char>(line[pos])))
        name += line[pos++];
    std::string form; // "", "?", "=?" or "="
    if (pos < line.size() && line[pos] == '?') {
        form = "?";
        ++pos;
    } else if (pos + 1 < line.size() && line[pos] == '=' && line[pos + 1] == '?') {
        form = "=?";
        pos += 2;
    } else if (pos < line.size() && line[pos] == '=') {
        form = "=";
        ++pos;
    }
    std::vector<std::string> args;
    if (form == "=") args = Parameters(line, pos);
    if (pos < line.size() && line[pos] != ';') return Step::Fail;

    const std::string stat = std::to_string(settings_.Registration);
    if (name == "CREG") {
        if (form == "?") {
            Info("+CREG: " + std::to_string(cregMode_) + "," + stat, out);
        } else if (form == "=?") {
            Info("+CREG: (0-2)", out);
        } else if (form == "=" && args.size() == 1) {
            const auto v = Whole(args[0], 0, 2);
            if (!v) return Step::Fail;
            cregMode_ = *v;
        } else {
            return Step::Fail;
        }
        return Step::Next;
    }
    if (name == "COPS") {
        if (form == "?") {
            if (!Registered()) {
                Info("+COPS: 0", out);
            } else {
                const std::string& oper = copsFormat_ == 2 ? settings_.OperatorNumeric : settings_.Operator;
                Info("+COPS: 0," + std::to_string(copsFormat_) + ",\"" + oper + "\"", out);
            }
            return Step::Next;
        }
        // Automatic registration, or a new format for the operator's name; the simulated network
        // cannot be chosen by hand.
        if (form != "=" || args.size() > 2) return Step::Fail;
        const auto mode = Whole(args[0], 0, 4);
        if (!mode || (*mode != 0 && *mode != 3)) return Step::Fail;
        if (args.size() == 2) {
            const auto format = Whole(args[1], 0, 2);
            if (!format) return Step::Fail;
            copsFormat_ = *format;
        }
        return Step::Next;
    }
    if (name == "CSQ") {
        if (form.empty())
            Info("+CSQ: " + std::to_string(settings_.Rssi) + "," + std::to_string(settings_.Ber), out);
        else if (form == "=?")
            Info("+CSQ: (0-31,99),(0-7,99)", out);
        else
            return Step::Fail;
        return Step::Next;
    }
    return Step::Fail;
}

SimModem::Step SimModem::Dial(const std::string& rest, Clock::time_point now) {
    // Dial modifiers (T, P, W, ",", "@", "!", ";" ...) shape the dialling, not the number.
    std::string digits;
    for (char c : rest) {
        if (c == '"') break;
        if (c == 'T' || c == 'P') continue;
        if (IsDialDigit(c)) digits += c;
    }
    dialled_ = digits;
    mode_ = Mode::Dialling;
    callDue_ = now + settings_.ConnectDelay;
    if (digits.empty())
        outcome_ = Outcome::NoCarrier;
    else if (settings_.Failure == CallFailure::Busy)
        outcome_ = Outcome::Busy;
    else if (settings_.Failure == CallFailure::NoCarrier)
        outcome_ = Outcome::NoCarrier;
    else
        outcome_ = Outcome::Connect;
    return Step::CallStarted;
}

void SimModem::Connect(Clock::time_point now, Output& out) {
    const bool panelCalled = mode_ == Mode::Answering;
    mode_ = Mode::Online;
    incoming_ = false;
    lastData_ = now;
    pluses_ = 0;
    handshakeUntil_ = now + settings_.HandshakeLimit;
    Emit(Result::Connect, out);
    // The far end's opening: an answering panel says "U" once; a calling panel keeps saying it.
    out.ToLine.push_back(HandshakeU);
    if (panelCalled) {
        handshake_ = Handshake::SendingU;
        nextU_ = now + UInterval;
    } else {
        handshake_ = Handshake::AwaitingU;
    }
}

void SimModem::OnlineByte(std::uint8_t byte, Clock::time_point now, Output& out) {
    const bool plus = byte == registers_[RegEscape];
    const bool noGuard = guard_ == Clock::duration::zero();
    const auto gap = now - lastData_;
    if (plus && pluses_ > 0 && pluses_ < 3 && (noGuard || gap <= guard_))
        ++pluses_;
    else if (plus && (noGuard || gap >= guard_))
        pluses_ = 1;
    else
        pluses_ = 0;
    lastData_ = now;

    // The escape characters still travel to the far end, as they do on a real modem.
    switch (handshake_) {
    case Handshake::AwaitingU:
        if (byte == HandshakeU) {
            out.ToLine.insert(out.ToLine.end(), 5, HandshakeStar);
            handshake_ = Handshake::Up;
            ++links_;
        }
        break;
    case Handshake::SendingU:
        if (byte == HandshakeStar) {
            handshake_ = Handshake::Up;
            ++links_;
        }
        break;
    case Handshake::Up:
        out.ToPanel.push_back(byte);
        break;
    }
    if (pluses_ == 3 && noGuard) Escape(out);
}

void SimModem::Escape(Output& out) {
    mode_ = Mode::OnlineCommand;
    pluses_ = 0;
    lineState_ = LineState::WantA;
    Emit(Result::Ok, out);
}

void SimModem::HangUp(Clock::time_point now) {
    mode_ = Mode::OnHook;
    handshake_ = Handshake::AwaitingU;
    incoming_ = false;
    pluses_ = 0;
    lineState_ = LineState::WantA;
    nextRing_ = now + settings_.RingEvery;
}

void SimModem::Tick(Clock::time_point now, Output& out) {
    switch (mode_) {
    case Mode::OnHook:
        if (settings_.RingEvery.count() > 0 && now >= nextRing_) {
            incoming_ = true;
            Emit(Result::Ring, out);
            nextRing_ = now + settings_.RingEvery;
        }
        return;
    case Mode::Dialling:
    case Mode::Answering:
        if (now < callDue_) return;
        switch (outcome_) {
        case Outcome::Connect:
            Connect(now, out);
            return;
        case Outcome::Busy:
            // Below X3 a modem does not tell a busy tone from a missing carrier.
            Emit(resultLevel_ >= 3 ? Result::Busy : Result::NoCarrier, out);
            break;
        case Outcome::NoCarrier:
            Emit(Result::NoCarrier, out);
            break;
        }
        HangUp(now);
        return;
    case Mode::Online:
    case Mode::OnlineCommand:
        break;
    }
    if (handshake_ != Handshake::Up && now >= handshakeUntil_) {
        // The panel gave up waiting and dropped the call.
        Emit(Result::NoCarrier, out);
        HangUp(now);
        return;
    }
    if (mode_ != Mode::Online) return;
    if (pluses_ == 3 && now - lastData_ >= guard_) {
        Escape(out);
        return;
    }
    if (handshake_ == Handshake::SendingU && now >= nextU_) {
        out.ToLine.push_back(HandshakeU);
        nextU_ = now + UInterval;
    }
}

std::optional<SimModem::Clock::time_point> SimModem::NextDeadline() const {
    switch (mode_) {
    case Mode::OnHook:
        if (settings_.RingEvery.count() > 0) return nextRing_;
        return std::nullopt;
    case Mode::Dialling:
    case Mode::Answering:
        return callDue_;
    case Mode::Online:
    case Mode::OnlineCommand:
        break;
    }
    std::optional<Clock::time_point> next;
    auto consider = [&next](Clock::time_point t) {
        if (!next || t < *next) next = t;
    };
    if (handshake_ != Handshake::Up) consider(handshakeUntil_);
    if (mode_ == Mode::Online) {
        if (pluses_ == 3) consider(lastData_ + guard_);
        if (handshake_ == Handshake::SendingU) consider(nextU_);
    }
    return next;
}

void SimModem::SetDtr(bool on, Clock::time_point now, Output& out) {
    if (on == dtr_) return;
    dtr_ = on;
    if (on) return;
    switch (dtrMode_) {
    case 0:
        return;
    case 1:
        if (mode_ == Mode::Online) Escape(out);
        return;
    default:
        if (InCall()) {
            Emit(Result::NoCarrier, out);
            HangUp(now);
        }
        if (dtrMode_ == 3) ResetProfile();
        return;
    }
}

} // namespace vm415sim
