#pragma once
// The program's diagnostic log: one line on stderr for each error the program chooses to swallow
// (a cleanup that failed, a settings line it could not parse, a thread that ended by an exception),
// so that an installer's report or a test run shows what happened. The user's dialogs are not
// touched by it: they stay the program's own texts.
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Writes "vm415: <Unita>: <Motivo>" as one line. Safe from any thread.
void Diagnostica(std::string_view Unita, std::string_view Motivo);

// The text of the exception being handled, for use inside a catch block ("unknown exception" for
// one that is not a std::exception).
std::string MotivoEccezione();

// While one exists, lines go to its callback instead of stderr (tests read what was logged).
class CatturaDiagnostica {
  public:
    using Destinazione = std::function<void(std::string_view Riga)>;
    explicit CatturaDiagnostica(Destinazione d);
    ~CatturaDiagnostica();
    CatturaDiagnostica(const CatturaDiagnostica&) = delete;
    CatturaDiagnostica& operator=(const CatturaDiagnostica&) = delete;

  private:
    Destinazione precedente_;
};

} // namespace platform
