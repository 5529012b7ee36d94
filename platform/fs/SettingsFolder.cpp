#include "platform/fs/SettingsFolder.h"

#include "platform/fs/ProgramFolder.h"
#include "platform/fs/SafeFile.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::mutex mutex;
std::string overridden;

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

std::string DefaultFolder() {
    // A relative XDG_CONFIG_HOME is to be ignored: it would move with the current folder.
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') return WithSlash(x) + "vm415/";
    if (const char* h = std::getenv("HOME"); h && *h) return WithSlash(h) + ".config/vm415/";
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir)
        return WithSlash(pw->pw_dir) + ".config/vm415/";
    return "./";
}

} // namespace

std::string SettingsFolder() {
    std::lock_guard lock(mutex);
    return overridden.empty() ? DefaultFolder() : overridden;
}

void SetSettingsFolder(const std::string& folder) {
    std::lock_guard lock(mutex);
    overridden = WithSlash(folder);
}

ReadOutcome ReadSettingsFile(const std::string& name, std::string& content, std::size_t limit,
                             std::string* error, std::string* path) {
    const std::string own = SettingsFolder() + name;
    if (path) *path = own;
    const ReadOutcome outcome = ReadWholeFile(own, content, limit, error);
    if (outcome != ReadOutcome::Missing) return outcome;
    const std::string shipped = ProgramFolder() + name;
    if (path) *path = shipped;
    return ReadWholeFile(shipped, content, limit, error);
}

bool WriteSettingsFile(const std::string& name, const void* data, std::size_t size, std::string* error) {
    const std::string folder = SettingsFolder();
    // The folders on the way as the user's umask makes them; the settings folder itself private.
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(folder).parent_path().parent_path(), ec);
    ::mkdir(folder.c_str(), 0700);
    return WriteFileAtomically(folder + name, data, size, error);
}

} // namespace platform
