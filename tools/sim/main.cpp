// vm415-sim: a simulated Vm415 panel on a pseudo-terminal or a serial device.
#include "platform/fs/SafeFile.h"
#include "tools/sim/SimClock.h"
#include "tools/sim/SimFaults.h"
#include "tools/sim/SimModem.h"
#include "tools/sim/SimPanel.h"
#include "tools/sim/SimQueue.h"
#include "tools/sim/SimServer.h"
#include "tools/sim/SimUdp.h"

#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

using namespace vm415sim;

const char* const Usage = R"(Usage: vm415-sim [options]

A simulated Vm415 panel. It answers the programming tool's command frames on a
pseudo-terminal it creates (the default; its path is printed on standard output
as "vm415-sim: listening on PATH") or on a serial device.

Line:
  --pty                   create a pseudo-terminal (default)
  --device PATH           serve on this serial device instead
  --link-file PATH        also write the line's path into PATH (removed on exit)
  --baud N                send replies no faster than N baud (10 bits a byte);
                          on a device, also the line speed when N is standard

Panel:
  --image FILE.415        start from this 4864-byte configuration image
  --save-on-exit FILE     write the image the panel holds into FILE when it stops
  --events FILE.cod       load the event queue from this file (16-byte events)
  --queue-size N          places in the event queue ring, 2..255 (default 64;
                          it holds at most N - 1 events)
  --queue-start N         ring place of the oldest loaded event (default 0)
  --clock "YYYY-MM-DD HH:MM[:SS]"
                          set the panel clock (default: this computer's time);
                          it runs on from there
  --model N               model code in the identification reply (default 164)
  --version N             format version in the identification reply (default 11)
  --programming 0|1       programming enabled byte (default 1); with 0 the panel
                          refuses every write and the queue clear

Faults:
  --delay-ms N            wait N ms before each reply
  --drop-rate P           leave a reply unsent with chance P (0..1)
  --corrupt-rate P        change one byte of a reply frame with chance P (0..1)
  --seed N                seed for the chances above (default 1)
  --wrong-command         answer every request with another command code
  --wrong-length          answer every request with one data byte too many
  --late-block-copies     send each reply to a block read (zones, keypads, events)
                          again just before the next reply, as a late copy

Modem (the panel is reached by a call through a Hayes modem):
  --modem                 put a modem between the line and the panel; it starts
                          in command mode with echo off and numeric results
                          (E0 V0 X4 &D2). After CONNECT ("1") an answering panel
                          sends "U" and answers the caller's "U" with "*****";
                          a calling panel (see --modem-ring-every-s) sends "U"
                          every 0.1 s until it gets "*". Then frames flow.
  --modem-connect-delay-ms N
                          time from ATD or ATA to the call's result (default
                          1000)
  --modem-fail busy|nocarrier
                          every dialled call fails: BUSY ("7"; "3" below X3,
                          as after AT&D2X0) or NO CARRIER ("3")
  --modem-ring-every-s N  the panel calls: RING ("2") N seconds after the modem
                          went on hook or answered a command line, and every N
                          seconds until ATA answers (N may have decimals)
  --modem-guard-ms N      silence wanted before and after "+++" (default 1000;
                          0 escapes on three "+" in a row); ATS12 changes it
  --gsm-creg N            registration state in "+CREG: 0,N" (default 1 = home;
                          5 = roaming; 0, 2, 3, 4 = not registered)
  --gsm-operator NAME     operator name in "+COPS: 0,0,"NAME"" (default
                          "VM415 SIM")
  --gsm-csq N             signal level in "+CSQ: N,99", 0..31 or 99 (default 20)
  --gsm-ber N             bit error rate in "+CSQ", 0..7 or 99 (default 99)
  A pseudo-terminal has no DTR line: SIGUSR1 stands for a DTR drop and raise.

Remote link (the panel reaches the program over GPRS):
  --udp HOST:PORT         play a GPRS panel: send the hello to the program's UDP
                          port (HOST must be 127.x.x.x), answer the frames it
                          sends as hexadecimal text, and stop after command 22;
                          prints "vm415-sim: listening on 127.0.0.1:PORT"
  --ident TEXT            the identification in the hello (default VM415SIM)

Other:
  --verbose               log every request and reply on standard error
  --quiet                 do not log why requests went unanswered
  --help                  show this text

The panel stops on SIGINT or SIGTERM. Exit status: 0 after a stop, 1 when the
line or a file failed, 2 for a bad command line.
)";

struct Options {
    std::optional<std::string> Device, LinkFile, Image, SaveOnExit, Events;
    unsigned Baud = 0;
    int QueueSize = EventQueue::DefaultSize, QueueStart = 0;
    std::optional<double> Clock;
    int Model = SimPanel::DefaultModel, Version = SimPanel::DefaultVersion, Programming = 1;
    FaultSettings Faults;
    ModemSettings Modem;
    bool ModemOn = false;
    std::optional<std::string> ModemOption; // the first modem option seen, for the check below
    bool Verbose = false, Quiet = false, Help = false;
    std::optional<UdpOptions> Udp;
    std::optional<std::string> Ident;
};

[[noreturn]] void Fail(int status, const std::string& message) {
    std::fprintf(stderr, "vm415-sim: %s\n", message.c_str());
    if (status == 2) std::fprintf(stderr, "Try 'vm415-sim --help'.\n");
    std::exit(status);
}

long long ParseInteger(const std::string& option, const std::string& text, long long lo, long long hi) {
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < lo || value > hi)
        Fail(2, option + " wants a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) +
                    ", not '" + text + "'");
    return value;
}

double ParseRate(const std::string& option, const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= 0 && value <= 1))
        Fail(2, option + " wants a chance from 0 to 1, not '" + text + "'");
    return value;
}

double ParseClock(const std::string& text) {
    CivilTime t;
    char sep = 0;
    int consumed = 0;
    const int n = std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d%n:%2d%n", &t.Year, &t.Month, &t.Day, &sep,
                              &t.Hour, &t.Minute, &consumed, &t.Second, &consumed);
    const auto value =
        (n >= 6 && (sep == ' ' || sep == 'T') && consumed == int(text.size())) ? ToDateTime(t) : std::nullopt;
    if (!value)
        Fail(2, "--clock wants a real date and time as \"YYYY-MM-DD HH:MM[:SS]\", not '" + text + "'");
    return *value;
}

Options ParseOptions(int argc, char** argv) {
    Options o;
    using Apply = std::function<void(const std::string& option, const std::string& value)>;
    struct Spec {
        const char* Name;
        bool TakesValue;
        Apply Set;
    };
    const Spec specs[] = {
        {"--help", false, [&](auto&, auto&) { o.Help = true; }},
        {"--pty", false, [&](auto&, auto&) { o.Device.reset(); }},
        {"--device", true, [&](auto&, auto& v) { o.Device = v; }},
        {"--link-file", true, [&](auto&, auto& v) { o.LinkFile = v; }},
        {"--baud", true, [&](auto& n, auto& v) { o.Baud = unsigned(ParseInteger(n, v, 1, 10'000'000)); }},
        {"--image", true, [&](auto&, auto& v) { o.Image = v; }},
        {"--save-on-exit", true, [&](auto&, auto& v) { o.SaveOnExit = v; }},
        {"--events", true, [&](auto&, auto& v) { o.Events = v; }},
        {"--queue-size", true,
         [&](auto& n, auto& v) {
             o.QueueSize = int(ParseInteger(n, v, EventQueue::MinSize, EventQueue::MaxSize));
         }},
        {"--queue-start", true,
         [&](auto& n, auto& v) { o.QueueStart = int(ParseInteger(n, v, 0, EventQueue::MaxSize - 1)); }},
        {"--clock", true, [&](auto&, auto& v) { o.Clock = ParseClock(v); }},
        {"--model", true, [&](auto& n, auto& v) { o.Model = int(ParseInteger(n, v, 0, 255)); }},
        {"--version", true, [&](auto& n, auto& v) { o.Version = int(ParseInteger(n, v, 0, 255)); }},
        {"--programming", true, [&](auto& n, auto& v) { o.Programming = int(ParseInteger(n, v, 0, 1)); }},
        {"--delay-ms", true,
         [&](auto& n, auto& v) {
             o.Faults.Delay = std::chrono::milliseconds(ParseInteger(n, v, 0, 600'000));
         }},
        {"--drop-rate", true, [&](auto& n, auto& v) { o.Faults.DropRate = ParseRate(n, v); }},
        {"--corrupt-rate", true, [&](auto& n, auto& v) { o.Faults.CorruptRate = ParseRate(n, v); }},
        {"--seed", true,
         [&](auto& n, auto& v) { o.Faults.Seed = std::uint64_t(ParseInteger(n, v, 0, INT64_MAX)); }},
        {"--wrong-command", false, [&](auto&, auto&) { o.Faults.WrongCommand = true; }},
        {"--wrong-length", false, [&](auto&, auto&) { o.Faults.WrongLength = true; }},
        {"--late-block-copies", false, [&](auto&, auto&) { o.Faults.LateBlockCopies = true; }},
        {"--modem", false, [&](auto&, auto&) { o.ModemOn = true; }},
        {"--modem-connect-delay-ms", true,
         [&](auto& n, auto& v) {
             o.Modem.ConnectDelay = std::chrono::milliseconds(ParseInteger(n, v, 0, 600'000));
         }},
        {"--modem-fail", true,
         [&](auto& n, auto& v) {
             if (v == "busy")
                 o.Modem.Failure = CallFailure::Busy;
             else if (v == "nocarrier")
                 o.Modem.Failure = CallFailure::NoCarrier;
             else
                 Fail(2, n + " wants busy or nocarrier, not '" + v + "'");
         }},
        {"--modem-ring-every-s", true,
         [&](auto& n, auto& v) {
             char* end = nullptr;
             const double seconds = std::strtod(v.c_str(), &end);
             if (v.empty() || *end != '\0' || !(seconds >= 0.01 && seconds <= 3600))
                 Fail(2, n + " wants a number of seconds from 0.01 to 3600, not '" + v + "'");
             o.Modem.RingEvery = std::chrono::milliseconds(std::llround(seconds * 1000));
         }},
        {"--modem-guard-ms", true,
         [&](auto& n, auto& v) {
             o.Modem.GuardTime = std::chrono::milliseconds(ParseInteger(n, v, 0, 5100));
         }},
        {"--gsm-creg", true, [&](auto& n, auto& v) { o.Modem.Registration = int(ParseInteger(n, v, 0, 5)); }},
        {"--gsm-operator", true,
         [&](auto& n, auto& v) {
             ModemSettings check;
             check.Operator = v;
             if (const std::string why = CheckModemSettings(check); !why.empty()) Fail(2, n + ": " + why);
             o.Modem.Operator = v;
         }},
        {"--gsm-csq", true,
         [&](auto& n, auto& v) {
             o.Modem.Rssi = int(ParseInteger(n, v, 0, 99));
             if (o.Modem.Rssi > 31 && o.Modem.Rssi != 99) Fail(2, n + " wants 0..31 or 99, not '" + v + "'");
         }},
        {"--gsm-ber", true,
         [&](auto& n, auto& v) {
             o.Modem.Ber = int(ParseInteger(n, v, 0, 99));
             if (o.Modem.Ber > 7 && o.Modem.Ber != 99) Fail(2, n + " wants 0..7 or 99, not '" + v + "'");
         }},
        {"--udp", true,
         [&](auto&, auto& v) {
             UdpOptions u;
             std::string why;
             if (!ParseUdpTarget(v, u, why)) Fail(2, why);
             o.Udp = u;
         }},
        {"--ident", true, [&](auto&, auto& v) { o.Ident = v; }},
        {"--verbose", false, [&](auto&, auto&) { o.Verbose = true; }},
        {"--quiet", false, [&](auto&, auto&) { o.Quiet = true; }},
    };

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h") arg = "--help";
        std::optional<std::string> value;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        }
        const Spec* spec = nullptr;
        for (const Spec& s : specs)
            if (arg == s.Name) spec = &s;
        if (!spec) Fail(2, "unknown option '" + arg + "'");
        if (!spec->TakesValue && value) Fail(2, arg + " takes no value");
        if (spec->TakesValue && !value) {
            if (i + 1 >= argc) Fail(2, arg + " needs a value");
            value = argv[++i];
        }
        spec->Set(arg, value.value_or(""));
        if ((arg.rfind("--modem-", 0) == 0 || arg.rfind("--gsm-", 0) == 0) && !o.ModemOption)
            o.ModemOption = arg;
    }
    if (o.ModemOption && !o.ModemOn) Fail(2, *o.ModemOption + " needs --modem");
    if (o.Ident && !o.Udp) Fail(2, "--ident needs --udp");
    if (o.Udp && (o.ModemOn || o.Device)) Fail(2, "--udp goes without --modem and --device");
    if (o.Udp && o.Ident) o.Udp->Ident = *o.Ident;
    if (o.QueueStart >= o.QueueSize)
        Fail(2, "--queue-start must be below --queue-size (" + std::to_string(o.QueueSize) + ")");
    return o;
}

} // namespace

int main(int argc, char** argv) {
    const Options o = ParseOptions(argc, argv);
    if (o.Help) {
        std::fputs(Usage, stdout);
        return 0;
    }

    SimPanel panel;
    const bool verbose = o.Verbose, quiet = o.Quiet;
    auto log = [verbose, quiet](SimPanel::LogLevel level, const std::string& text) {
        if (level == SimPanel::LogLevel::Trace ? verbose : !quiet)
            std::fprintf(stderr, "vm415-sim: %s\n", text.c_str());
    };
    panel.SetLog(log);
    panel.SetModel(std::uint8_t(o.Model));
    panel.SetVersion(std::uint8_t(o.Version));
    panel.SetProgramming(std::uint8_t(o.Programming));
    if (o.Clock) panel.SetClock(*o.Clock);
    panel.SetFaults(o.Faults);

    std::string error;
    EventQueue queue;
    if (!queue.Resize(o.QueueSize, error)) Fail(2, error);
    panel.SetQueue(queue);
    if (o.Image && !panel.LoadImageFile(*o.Image, error)) Fail(1, error);
    if (o.Events && !panel.LoadEventsFile(*o.Events, o.QueueStart, error)) Fail(1, error);

    // Signals arrive as a readable descriptor, so the server's poll sees them between two bytes.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    const int signals = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (signals < 0) Fail(1, std::string("signalfd: ") + std::strerror(errno));

    if (o.Udp) {
        const bool ok = RunUdpPanel(panel, *o.Udp, signals, error);
        if (!ok) std::fprintf(stderr, "vm415-sim: %s\n", error.c_str());
        if (o.SaveOnExit && !panel.SaveImageFile(*o.SaveOnExit, error)) {
            std::fprintf(stderr, "vm415-sim: %s\n", error.c_str());
            return 1;
        }
        ::close(signals);
        return ok ? 0 : 1;
    }

    ServerOptions serverOptions{o.Baud};
    int dtrSignal = -1;
    if (o.ModemOn) {
        serverOptions.Modem = o.Modem;
        sigset_t dtr;
        sigemptyset(&dtr);
        sigaddset(&dtr, SIGUSR1);
        sigprocmask(SIG_BLOCK, &dtr, nullptr);
        dtrSignal = signalfd(-1, &dtr, SFD_CLOEXEC | SFD_NONBLOCK);
        if (dtrSignal < 0) Fail(1, std::string("signalfd: ") + std::strerror(errno));
        serverOptions.DtrPulseFd = dtrSignal;
    }
    SimServer server(panel, serverOptions);
    server.SetLog(log);
    if (!(o.Device ? server.OpenDevice(*o.Device, error) : server.OpenPty(error))) Fail(1, error);

    // The link file first: whoever waits for the printed line may go straight to the file.
    if (o.LinkFile) {
        const std::string line = server.Path() + "\n";
        if (!platform::WriteFileAtomically(*o.LinkFile, line.data(), line.size(), &error))
            Fail(1, *o.LinkFile + ": " + error);
    }
    std::printf("vm415-sim: listening on %s\n", server.Path().c_str());
    std::fflush(stdout);

    int status = 0;
    if (!server.Run(error, signals)) {
        std::fprintf(stderr, "vm415-sim: %s\n", error.c_str());
        status = 1;
    }
    if (o.LinkFile) ::unlink(o.LinkFile->c_str());
    // The image is worth keeping however the line ended.
    if (o.SaveOnExit) {
        if (panel.SaveImageFile(*o.SaveOnExit, error)) {
            if (!quiet) std::fprintf(stderr, "vm415-sim: image saved to %s\n", o.SaveOnExit->c_str());
        } else {
            std::fprintf(stderr, "vm415-sim: %s\n", error.c_str());
            status = 1;
        }
    }
    ::close(signals);
    if (dtrSignal >= 0) ::close(dtrSignal);
    return status;
}
