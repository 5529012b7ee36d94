#pragma once
// The simulated panel vm415-sim as a separate process, on a pseudo-terminal of its own, for tests
// and benchmarks that reach it through the real serial link. Header-only so that the benchmarks,
// which do not link the test support library, can use it too.
#include "platform/win32/Win32Registry.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
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
    // Starts vm415-sim from the running program's folder with the given options and waits for the
    // path of its pseudo-terminal. Com > 0 binds that path to COMn in the settings store in use.
    // With FileTracce, the panel's traces (--verbose) are written there, for StatoModem.
    Simulatore(int Com, const std::vector<std::string>& Opzioni, const std::string& FileTracce = "")
        : tracce_(FileTracce) {
        const std::string programma =
            (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "vm415-sim").string();
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t azioni;
        posix_spawn_file_actions_init(&azioni);
        posix_spawn_file_actions_adddup2(&azioni, out[1], 1);
        if (!tracce_.empty())
            posix_spawn_file_actions_addopen(&azioni, 2, tracce_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<std::string> argomenti{programma, tracce_.empty() ? "--quiet" : "--verbose"};
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
        if (!percorso_.empty() && Com > 0 && !win32::BindComPort(Com, percorso_)) percorso_.clear();
    }
    explicit Simulatore(const std::vector<std::string>& Opzioni) : Simulatore(0, Opzioni) {}
    ~Simulatore() { Ferma(); }
    Simulatore(const Simulatore&) = delete;
    Simulatore& operator=(const Simulatore&) = delete;

    // Running, with its pseudo-terminal known (and bound, when asked).
    bool Pronto() const { return pid_ > 0 && !percorso_.empty(); }
    const std::string& Percorso() const { return percorso_; }
    void Segnala(int Segnale) const {
        if (pid_ > 0) ::kill(pid_, Segnale);
    }

    // The modem's state as its last trace gives it ("on hook", "on line", "dialling \"N\"", ...);
    // empty before the first change.
    std::string StatoModem() const {
        std::ifstream f(tracce_);
        std::string riga, stato;
        const std::string prefisso = "vm415-sim: modem: ";
        while (std::getline(f, riga))
            if (riga.rfind(prefisso, 0) == 0 && riga.find("DTR ") == std::string::npos &&
                riga.find("handshake") == std::string::npos)
                stato = riga.substr(prefisso.size());
        return stato;
    }

    void Ferma() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int stato = 0;
        ::waitpid(pid_, &stato, 0);
        pid_ = -1;
    }

  private:
    std::string tracce_;
    pid_t pid_ = -1;
    std::string percorso_;
};

} // namespace testing_support
