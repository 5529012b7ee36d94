#pragma once
// The benchmarks run the program as the user runs it, and the program keeps its settings
// (config.cfg, comconfig.cfg, registry.txt) in the user's settings folder: a benchmark gives it a
// temporary folder instead, so that the developer's own settings are neither read nor rewritten.
// Made before the program's windows, gone after them, with everything the program wrote there.
#include "support/TempFolder.h"

struct TCartellaImpostazioniBench {
    testing_support::TempFolder Cartella;
    testing_support::SettingsFolderScope Impostazioni{Cartella.Path()};
};
