#include "platform/fs/SafeFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool Fail(std::string* error, const std::string& what, int err) {
    if (error) *error = what + ": " + std::strerror(err);
    return false;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

long SystemWrite(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
std::atomic<WriteFunction> writeFunction{&SystemWrite};

} // namespace

void SetWriteFunctionForTest(WriteFunction fn) { writeFunction.store(fn ? fn : &SystemWrite); }

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size, std::string* error) {
    const std::string folder = FolderOf(path);
    std::string tmpl = path + ".XXXXXX";
    int fd = mkstemp(tmpl.data());
    if (fd < 0) return Fail(error, "cannot create a file in " + folder, errno);

    // Keep the permissions of the file being replaced; a new file gets the usual 0666 less umask.
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        fchmod(fd, st.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }

    const char* p = static_cast<const char*>(data);
    std::size_t left = size;
    while (left > 0) {
        const long n = writeFunction.load()(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC;
            close(fd);
            unlink(tmpl.c_str());
            return Fail(error, "cannot write " + path, err);
        }
        p += n;
        left -= std::size_t(n);
    }
    if (fsync(fd) != 0) {
        const int err = errno;
        close(fd);
        unlink(tmpl.c_str());
        return Fail(error, "cannot flush " + path, err);
    }
    if (close(fd) != 0) {
        const int err = errno;
        unlink(tmpl.c_str());
        return Fail(error, "cannot close " + path, err);
    }
    if (rename(tmpl.c_str(), path.c_str()) != 0) {
        const int err = errno;
        unlink(tmpl.c_str());
        return Fail(error, "cannot replace " + path, err);
    }
    // Make the rename itself durable.
    const int dfd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    return true;
}

} // namespace platform
