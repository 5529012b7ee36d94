#pragma once
// The vm415-sim program as a separate process for the simulator's own program tests: standard
// output and error on pipes, and the pseudo-terminal it announces.
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

namespace sim_test {

inline const std::string kProgram = std::string(VM415_BIN_DIR) + "/vm415-sim";

class SimProcess {
  public:
    explicit SimProcess(const std::vector<std::string>& args) {
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
    ~SimProcess() {
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

} // namespace sim_test
