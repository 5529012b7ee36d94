#pragma once
// The folder of the program's executable, where the settings files, the language and operator
// tables and the logo are kept.
#include <string>

namespace platform {

// The folder with a trailing '/'.
std::string ProgramFolder();
// Points ProgramFolder() elsewhere (tests use a temporary folder); an empty path restores the default.
void SetProgramFolder(const std::string& folder);

} // namespace platform
