#pragma once
// The file dialogs may move the process's current folder, and the kit save writes into it; every
// file command puts it back however the command ends.
#include <filesystem>

class TCartellaCorrente {
  public:
    TCartellaCorrente();
    ~TCartellaCorrente();
    TCartellaCorrente(const TCartellaCorrente&) = delete;
    TCartellaCorrente& operator=(const TCartellaCorrente&) = delete;

    const std::filesystem::path& Salvata() const { return salvata_; }

  private:
    std::filesystem::path salvata_;
};
