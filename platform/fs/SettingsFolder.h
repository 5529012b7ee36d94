#pragma once
// The user's own settings folder, where each user's settings are kept: the settings store
// (registry.txt), the program settings (config.cfg) and the link settings (comconfig.cfg). It is
// $XDG_CONFIG_HOME/vm415/, or ~/.config/vm415/ without it. The program's own folder may hold a
// distributor's copy of a settings file, from which a user who has none yet starts; the program
// never writes there, since an installed program's user usually may not.
#include "platform/fs/ReadFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// The folder, with a trailing '/'.
std::string SettingsFolder();
// Points SettingsFolder() elsewhere (tests use a temporary folder); an empty path restores the default.
void SetSettingsFolder(const std::string& folder);

// Reads the settings file `name` (at most `limit` bytes): the user's copy, or, when the user has
// none yet, the copy beside the program. Missing only when neither is there; a copy that is there
// but cannot be read is Unreadable, and the other one is not looked at. `path` (when given) is
// the file that was read, or the one that could not be.
ReadOutcome ReadSettingsFile(const std::string& name, std::string& content, std::size_t limit = SIZE_MAX,
                             std::string* error = nullptr, std::string* path = nullptr);

// Writes the user's copy of the settings file `name` as WriteFileAtomically does, making the
// settings folder first when it is not there yet.
bool WriteSettingsFile(const std::string& name, const void* data, std::size_t size,
                       std::string* error = nullptr);

} // namespace platform
