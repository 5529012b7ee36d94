#include "platform/fs/SafeFile.h"

#include "platform/diag/Diagnostica.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <string_view>
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

// Saving through a symbolic link must update the file it points to, not replace the link.
std::string RealTarget(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

int CreateTemporary(const std::string& target, mode_t mode, std::string& name) {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" +
               std::to_string(rd() % 100000);
        // The kernel applies the umask to a new file's mode, as it would have for the target itself.
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// The process a temporary file of `target` belongs to, from its name ("<target>.tmp<pid>-<n>-<r>"
// as CreateTemporary makes it); 0 when the name is not one of those.
pid_t OwnerOfTemporary(std::string_view name, const std::string& target) {
    const std::string prefix = target + ".tmp";
    if (!name.starts_with(prefix)) return 0;
    name.remove_prefix(prefix.size());
    unsigned long numbers[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && !name.starts_with('-')) return 0;
        if (i > 0) name.remove_prefix(1);
        const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), numbers[i]);
        if (ec != std::errc() || end == name.data()) return 0;
        name.remove_prefix(std::size_t(end - name.data()));
    }
    return name.empty() && numbers[0] > 0 && numbers[0] <= INT_MAX ? pid_t(numbers[0]) : 0;
}

// A save cut short (the program killed, the machine stopped) leaves its temporary file beside the
// target for good: the next save of the target removes those of processes that are gone. Those
// of a process still running may be a save going on right now, and stay.
void RemoveLeftovers(const std::string& target) {
    const auto slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    DIR* folder = opendir(FolderOf(target).c_str());
    if (!folder) return;
    while (const dirent* e = readdir(folder)) {
        const pid_t owner = OwnerOfTemporary(e->d_name, name);
        if (owner == 0 || owner == getpid() || kill(owner, 0) == 0 || errno != ESRCH) continue;
        unlinkat(dirfd(folder), e->d_name, 0);
    }
    closedir(folder);
}

long SystemWrite(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
std::atomic<WriteFunction> writeFunction{&SystemWrite};
int SystemSync(int fd) {
    return ::fsync(fd);
}
std::atomic<SyncFunction> syncFunction{&SystemSync};

} // namespace

void SetWriteFunctionForTest(WriteFunction fn) { writeFunction.store(fn ? fn : &SystemWrite); }
void SetSyncFunctionForTest(SyncFunction fn) {
    syncFunction.store(fn ? fn : &SystemSync);
}

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size, std::string* error) {
    const std::string target = RealTarget(path);
    const std::string folder = FolderOf(target);

    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return Fail(error, "cannot replace " + path, EISDIR);
    // A file the user made read-only stays as it is, though the folder would allow replacing it.
    if (exists && access(target.c_str(), W_OK) != 0) return Fail(error, "cannot write " + path, errno);

    RemoveLeftovers(target);
    std::string tmp;
    const int fd = CreateTemporary(target, exists ? (old.st_mode & 07777) : 0666, tmp);
    if (fd < 0) return Fail(error, "cannot create a file in " + folder, errno);
    if (exists) {
        fchmod(fd, old.st_mode & 07777);
        if (fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only the owner's group can be kept by an ordinary user; the content matters more.
        }
    }

    auto abandon = [&](const std::string& what, int err) {
        close(fd);
        unlink(tmp.c_str());
        return Fail(error, what, err);
    };
    const char* p = static_cast<const char*>(data);
    std::size_t left = size;
    while (left > 0) {
        const long n = writeFunction.load()(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return abandon("cannot write " + path, n < 0 ? errno : ENOSPC);
        p += n;
        left -= std::size_t(n);
    }
    if (syncFunction.load()(fd) != 0) return abandon("cannot flush " + path, errno);
    if (close(fd) != 0) {
        const int err = errno;
        unlink(tmp.c_str());
        return Fail(error, "cannot close " + path, err);
    }
    if (rename(tmp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        unlink(tmp.c_str());
        return Fail(error, "cannot replace " + path, err);
    }
    // Make the rename itself durable. The new content is in place whatever happens here: a failure
    // is no reason to report the save as failed, but the user's report must show it.
    const int dfd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool flushed = dfd >= 0 && syncFunction.load()(dfd) == 0;
    const int err = errno;
    if (dfd >= 0) close(dfd);
    if (!flushed)
        Diagnostica("SafeFile", path + " saved, but its folder " + folder +
                                    " could not be flushed to the disk (" + std::strerror(err) +
                                    "): a power loss now may bring back the previous file");
    return true;
}

} // namespace platform
