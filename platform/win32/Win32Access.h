#pragma once
// What the text of a port refused with "Access is denied" can tell the user. The usual cure on
// Linux is the "dialout" group; a user already in it learns who may use the device instead.
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace win32 {

// The text when nothing more is known of the refusal (a port in use, or no permission).
std::string AccessDeniedText();

// The text of an open of `path` refused for lack of permission. `groups` are the process's
// effective and supplementary groups, `dialout` the id of the group named "dialout" (none where
// the system has no such group), `device` the device's status (null when it could not be read).
std::string AccessDeniedText(const std::string& path, const struct stat* device,
                             const std::vector<gid_t>& groups, std::optional<gid_t> dialout);

// The same for this process and the device at `path` as it is now.
std::string AccessDeniedText(const std::string& path);

} // namespace win32
