#pragma once
// The benchmarks run the program as the user runs it, and the program keeps its settings
// (config.cfg, comconfig.cfg, registry.txt) in the user's settings folder: a benchmark gives it a
// temporary folder instead, so that the developer's own settings are neither read nor rewritten.
// Made before the program's windows, gone after them, with everything the program wrote there.
#include "platform/fs/SettingsFolder.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

class TCartellaImpostazioniBench {
  public:
    TCartellaImpostazioniBench() {
        std::string modello = (std::filesystem::temp_directory_path() / "vm415-bench-XXXXXX").string();
        if (!::mkdtemp(modello.data())) throw std::runtime_error("no temporary settings folder");
        percorso_ = modello;
        // The settings store follows the settings folder.
        platform::SetSettingsFolder(percorso_);
    }
    ~TCartellaImpostazioniBench() {
        platform::SetSettingsFolder("");
        std::error_code ec;
        std::filesystem::remove_all(percorso_, ec);
    }
    TCartellaImpostazioniBench(const TCartellaImpostazioniBench&) = delete;
    TCartellaImpostazioniBench& operator=(const TCartellaImpostazioniBench&) = delete;

    // The folder, without a trailing '/'.
    const std::string& Percorso() const { return percorso_; }

  private:
    std::string percorso_;
};
