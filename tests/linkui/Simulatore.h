#pragma once
// The simulated panel vm415-sim, started for one test on a pseudo-terminal of its own and bound to
// a COM number in the test's settings store, so that the link opens it like any serial port.
#include "platform/win32/Win32Registry.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace testing_support {

class Simulatore {
  public:
    Simulatore(int Com, const std::vector<std::string>& Opzioni) {
        const std::string programma = std::string(VM415_BIN_DIR) + "/vm415-sim";
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t azioni;
        posix_spawn_file_actions_init(&azioni);
        posix_spawn_file_actions_adddup2(&azioni, out[1], 1);
        std::vector<std::string> argomenti{programma, "--quiet"};
        argomenti.insert(argomenti.end(), Opzioni.begin(), Opzioni.end());
        std::vector<char*> argv;
        for (auto& a : argomenti)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, programma.c_str(), &azioni, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&azioni);
        ::close(out[1]);
        // "vm415-sim: listening on PATH"
        std::string riga;
        char c;
        pollfd p{out[0], POLLIN, 0};
        while (::poll(&p, 1, 10000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
            riga += c;
        ::close(out[0]);
        const std::string prefisso = "vm415-sim: listening on ";
        if (riga.rfind(prefisso, 0) == 0) percorso_ = riga.substr(prefisso.size());
        if (!percorso_.empty()) win32::BindComPort(Com, percorso_);
    }
    ~Simulatore() { Ferma(); }
    Simulatore(const Simulatore&) = delete;
    Simulatore& operator=(const Simulatore&) = delete;

    bool Pronto() const { return pid_ > 0 && !percorso_.empty(); }
    const std::string& Percorso() const { return percorso_; }
    void Ferma() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int stato = 0;
        ::waitpid(pid_, &stato, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    std::string percorso_;
};

} // namespace testing_support
