#include "platform/fs/ProgramFolder.h"

#include <mutex>
#include <unistd.h>

namespace platform {
namespace {

std::mutex mutex;
std::string overridden;

std::string ExecutableFolder() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string path(buf, size_t(n));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

} // namespace

std::string ProgramFolder() {
    std::lock_guard lock(mutex);
    if (!overridden.empty()) return overridden;
    static const std::string folder = ExecutableFolder();
    return folder;
}

void SetProgramFolder(const std::string& folder) {
    std::lock_guard lock(mutex);
    overridden = folder;
    if (!overridden.empty() && overridden.back() != '/') overridden += '/';
}

} // namespace platform
