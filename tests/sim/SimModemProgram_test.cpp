// vm415-sim with its modem, as the link tests start it: the options reach the modem, SIGUSR1 stands
// in for the DTR drop a pseudo-terminal cannot carry, and bad modem options are refused.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

const std::string kProgram = std::string(VM415_BIN_DIR) + "/vm415-sim";

class Sim {
  public:
    explicit Sim(const std::vector<std::string>& args) {
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0) return;
        if (::pipe2(err, O_CLOEXEC) != 0) {
            ::close(out[0]);
            ::close(out[1]);
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<char*> argv{const_cast<char*>(kProgram.c_str())};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, kProgram.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Sim() {
        if (line_ >= 0) ::close(line_);
        if (pid_ > 0 && !waited_) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
        if (out_ >= 0) ::close(out_);
        if (err_ >= 0) ::close(err_);
    }

    bool Started() const { return pid_ > 0; }

    std::string Line() {
        std::string line;
        char c;
        pollfd p{out_, POLLIN, 0};
        while (::poll(&p, 1, 10000) > 0 && ::read(out_, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

    // Opens the pseudo-terminal the program announces.
    bool Open() {
        const std::string prefix = "vm415-sim: listening on ";
        const std::string line = Line();
        if (line.rfind(prefix, 0) != 0) return false;
        line_ = ::open(line.substr(prefix.size()).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return line_ >= 0;
    }

    void Write(const std::string& bytes) {
        ASSERT_EQ(::write(line_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

    std::string ReadUntil(const std::string& tail) {
        std::string got;
        pollfd p{line_, POLLIN, 0};
        while (
            !(got.size() >= tail.size() && got.compare(got.size() - tail.size(), tail.size(), tail) == 0) &&
            ::poll(&p, 1, 5000) > 0) {
            char buf[256];
            const ssize_t n = ::read(line_, buf, sizeof buf);
            if (n > 0) got.append(buf, std::size_t(n));
        }
        return got;
    }

    // Standard output up to its end.
    std::string Output() {
        std::string text;
        char buf[512];
        ssize_t n;
        pollfd p{out_, POLLIN, 0};
        while (::poll(&p, 1, 10000) > 0 && (n = ::read(out_, buf, sizeof buf)) > 0)
            text.append(buf, std::size_t(n));
        return text;
    }

    std::string Errors() {
        std::string text;
        char buf[512];
        ssize_t n;
        while ((n = ::read(err_, buf, sizeof buf)) > 0)
            text.append(buf, std::size_t(n));
        return text;
    }

    void Signal(int sig) { ::kill(pid_, sig); }

    int Wait() {
        int status = 0;
        waited_ = true;
        if (::waitpid(pid_, &status, 0) != pid_) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1, err_ = -1, line_ = -1;
    bool waited_ = false;
};

} // namespace

TEST(SimModemProgram, OptionsReachTheModemAndSigusr1DropsDtr) {
    Sim sim({"--modem", "--modem-connect-delay-ms", "10", "--modem-guard-ms=40", "--gsm-csq", "7",
             "--gsm-ber", "0", "--gsm-creg", "5", "--gsm-operator", "Prova GSM"});
    ASSERT_TRUE(sim.Started());
    ASSERT_TRUE(sim.Open());
    sim.Write("ATE0V0\r");
    EXPECT_EQ(sim.ReadUntil("0\r"), "0\r");
    sim.Write("AT+CREG?\r");
    EXPECT_EQ(sim.ReadUntil("0\r"), "+CREG: 0,5\r\n0\r");
    sim.Write("AT+COPS?\r");
    EXPECT_EQ(sim.ReadUntil("0\r"), "+COPS: 0,0,\"Prova GSM\"\r\n0\r");
    sim.Write("AT+CSQ\r");
    EXPECT_EQ(sim.ReadUntil("0\r"), "+CSQ: 7,0\r\n0\r");
    sim.Write("ATS12?\r");
    EXPECT_EQ(sim.ReadUntil("0\r"), "002\r\n0\r");

    sim.Write("ATD0123\r");
    EXPECT_EQ(sim.ReadUntil("1\rU"), "1\rU");
    sim.Write("U");
    EXPECT_EQ(sim.ReadUntil("*****"), "*****");
    const std::string identified("\x03\x02\x04\x01\xA4\x0B\x01\x49\x03\x03", 10);
    sim.Write(std::string("\x03\x02\x01\x01\xFC\x03\x03", 7));
    EXPECT_EQ(sim.ReadUntil(identified), identified);

    sim.Signal(SIGUSR1);
    EXPECT_EQ(sim.ReadUntil("3\r"), "3\r");
    sim.Write("AT\r");
    EXPECT_EQ(sim.ReadUntil("0\r"), "0\r") << "back in command mode, on hook";

    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0) << sim.Errors();
}

TEST(SimModemProgram, RingAndFailureOptions) {
    Sim ring({"--modem", "--modem-ring-every-s", "0.05", "--modem-connect-delay-ms", "0"});
    ASSERT_TRUE(ring.Started());
    ASSERT_TRUE(ring.Open());
    EXPECT_EQ(ring.ReadUntil("2\r"), "2\r");
    ring.Write("ATA\r");
    EXPECT_EQ(ring.ReadUntil("1\rU"), "1\rU");

    Sim busy({"--modem", "--modem-fail", "busy", "--modem-connect-delay-ms", "0"});
    ASSERT_TRUE(busy.Started());
    ASSERT_TRUE(busy.Open());
    busy.Write("ATD1\r");
    EXPECT_EQ(busy.ReadUntil("7\r"), "7\r");

    Sim none({"--modem", "--modem-fail=nocarrier", "--modem-connect-delay-ms", "0"});
    ASSERT_TRUE(none.Started());
    ASSERT_TRUE(none.Open());
    none.Write("ATD1\r");
    EXPECT_EQ(none.ReadUntil("3\r"), "3\r");
}

TEST(SimModemProgram, BadModemOptionsAreRefused) {
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const Case cases[] = {
        {{"--modem-connect-delay-ms", "10"}, "--modem-connect-delay-ms needs --modem"},
        {{"--gsm-csq", "10"}, "--gsm-csq needs --modem"},
        {{"--modem", "--modem-fail", "maybe"}, "--modem-fail wants busy or nocarrier"},
        {{"--modem", "--gsm-csq", "40"}, "--gsm-csq wants 0..31 or 99"},
        {{"--modem", "--gsm-ber", "8"}, "--gsm-ber wants 0..7 or 99"},
        {{"--modem", "--gsm-creg", "6"}, "--gsm-creg"},
        {{"--modem", "--gsm-operator", "a\"b"}, "double quotes"},
        {{"--modem", "--modem-ring-every-s", "0"}, "--modem-ring-every-s"},
        {{"--modem", "--modem-guard-ms", "6000"}, "--modem-guard-ms"},
    };
    for (const Case& c : cases) {
        Sim sim(c.args);
        ASSERT_TRUE(sim.Started());
        EXPECT_EQ(sim.Wait(), 2) << c.args.back();
        EXPECT_NE(sim.Errors().find(c.says), std::string::npos) << c.args.back();
    }
    Sim help({"--help"});
    const std::string text = help.Output();
    EXPECT_EQ(help.Wait(), 0);
    for (const char* option :
         {"--modem ", "--modem-connect-delay-ms", "--modem-fail", "--modem-ring-every-s", "--modem-guard-ms",
          "--gsm-csq", "--gsm-ber", "--gsm-operator", "--gsm-creg", "SIGUSR1"})
        EXPECT_NE(text.find(option), std::string::npos) << option;
}
