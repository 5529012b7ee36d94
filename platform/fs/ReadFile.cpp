#include "platform/fs/ReadFile.h"

#include "platform/diag/Diagnostica.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::mutex failM;
std::string failPath; // normalised; empty: no failure injected
int failErr = 0;

std::string Normal(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

// The errno that reads of `path` must fail with, 0 for a normal read.
int InjectedFailure(const std::string& path) {
    std::lock_guard lock(failM);
    return !failPath.empty() && Normal(path) == failPath ? failErr : 0;
}

} // namespace

void FailReadsForTest(const std::string& path, int err) {
    std::lock_guard lock(failM);
    failPath = path.empty() ? std::string() : Normal(path);
    failErr = err;
}

ReadOutcome ReadWholeFile(const std::string& path, std::string& content, std::size_t limit,
                          std::string* error, int* errorNumber) {
    content.clear();
    const auto unreadable = [&](int err, const char* reason) {
        if (error) *error = reason;
        if (errorNumber) *errorNumber = err;
        return ReadOutcome::Unreadable;
    };
    // Not blocking: a pipe or a device in the file's place must not hold the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        // A missing file, or a folder on its way that is missing or is a file: nothing is there.
        if (err == ENOENT || err == ENOTDIR) {
            if (errorNumber) *errorNumber = ENOENT;
            return ReadOutcome::Missing;
        }
        return unreadable(err, std::strerror(err));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        return folder ? unreadable(EISDIR, std::strerror(EISDIR)) : unreadable(EINVAL, "not a regular file");
    }
    const int injected = InjectedFailure(path);
    char buf[4096];
    while (content.size() < limit) {
        const std::size_t want = std::min(sizeof buf, limit - content.size());
        long n;
        if (injected) {
            errno = injected;
            n = -1;
        } else {
            n = ::read(fd, buf, want);
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            content.clear();
            return unreadable(err, std::strerror(err));
        }
        if (n == 0) break;
        content.append(buf, std::size_t(n));
    }
    ::close(fd);
    return ReadOutcome::Read;
}

ReadOutcome ReadDataFile(std::string_view unit, const std::string& path, std::string_view consequence,
                         std::string& content, std::size_t limit, int* errorNumber) {
    static std::mutex reportedM;
    static std::set<std::string> reported;
    std::string error;
    const ReadOutcome outcome = ReadWholeFile(path, content, limit, &error, errorNumber);
    std::lock_guard lock(reportedM);
    if (outcome != ReadOutcome::Unreadable) {
        reported.erase(path);
    } else if (reported.insert(path).second) {
        Diagnostica(unit, path + ": cannot be read (" + error + "): " + std::string(consequence));
    }
    return outcome;
}

} // namespace platform
