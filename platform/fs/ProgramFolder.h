#pragma once
// The folder of the program's executable, where the language and operator tables, the logo and
// the report projects are kept, and a distributor's copy of the settings files may be (the user's
// own settings are in the user's settings folder: SettingsFolder.h).
#include <string>

namespace platform {

// The folder with a trailing '/'.
std::string ProgramFolder();
// Points ProgramFolder() elsewhere (tests use a temporary folder); an empty path restores the default.
void SetProgramFolder(const std::string& folder);

} // namespace platform
