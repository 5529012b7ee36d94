#include "platform/win32/Win32Access.h"

#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace win32 {
namespace {

// Runs one of the reentrant user and group lookups, with a buffer grown while it is too small (a
// group lists its members there). Null when the system has no such entry.
template <class Entry, class Lookup> Entry* Find(Entry& entry, std::vector<char>& buffer, Lookup lookup) {
    for (buffer.resize(1024);; buffer.resize(buffer.size() * 2)) {
        Entry* found = nullptr;
        const int e = lookup(&entry, buffer.data(), buffer.size(), &found);
        if (e != ERANGE || buffer.size() >= (std::size_t(1) << 24)) return e == 0 ? found : nullptr;
    }
}

// The name of a user or group, or its number when the system has no name for it.
template <class Entry, class Id>
std::string NameOf(Id id, int (*lookup)(Id, Entry*, char*, std::size_t, Entry**), char* Entry::*name) {
    Entry entry{};
    std::vector<char> buffer;
    const Entry* found = Find(
        entry, buffer, [&](Entry* e, char* b, std::size_t n, Entry** r) { return lookup(id, e, b, n, r); });
    return found ? found->*name : std::to_string(id);
}

std::string UserName(uid_t uid) {
    return NameOf(uid, &::getpwuid_r, &passwd::pw_name);
}

std::string GroupName(gid_t gid) {
    return NameOf(gid, &::getgrgid_r, &group::gr_name);
}

// The mode as "ls -l" shows it.
std::string ModeText(mode_t mode) {
    const char type = S_ISCHR(mode)    ? 'c'
                      : S_ISBLK(mode)  ? 'b'
                      : S_ISDIR(mode)  ? 'd'
                      : S_ISFIFO(mode) ? 'p'
                      : S_ISLNK(mode)  ? 'l'
                      : S_ISSOCK(mode) ? 's'
                                       : '-';
    std::string s(1, type);
    auto triplet = [&](mode_t r, mode_t w, mode_t x, mode_t special, char set, char setNoX) {
        s += (mode & r) ? 'r' : '-';
        s += (mode & w) ? 'w' : '-';
        if (mode & special)
            s += (mode & x) ? set : setNoX;
        else
            s += (mode & x) ? 'x' : '-';
    };
    triplet(S_IRUSR, S_IWUSR, S_IXUSR, S_ISUID, 's', 'S');
    triplet(S_IRGRP, S_IWGRP, S_IXGRP, S_ISGID, 's', 'S');
    triplet(S_IROTH, S_IWOTH, S_IXOTH, S_ISVTX, 't', 'T');
    return s;
}

std::vector<gid_t> ProcessGroups() {
    std::vector<gid_t> groups;
    const int n = ::getgroups(0, nullptr);
    if (n > 0) {
        groups.resize(std::size_t(n));
        groups.resize(std::size_t(std::max(::getgroups(n, groups.data()), 0)));
    }
    groups.push_back(::getegid());
    return groups;
}

std::optional<gid_t> DialoutGroup() {
    group entry{};
    std::vector<char> buffer;
    const group* found = Find(entry, buffer, [](group* e, char* b, std::size_t n, group** r) {
        return ::getgrnam_r("dialout", e, b, n, r);
    });
    if (!found) return std::nullopt;
    return found->gr_gid;
}

} // namespace

std::string AccessDeniedText() {
    return "Access is denied (the port is in use by another program, or this user may not use it: "
           "join the \"dialout\" group and log in again)";
}

std::string AccessDeniedText(const std::string& path, const struct stat* device,
                             const std::vector<gid_t>& groups, std::optional<gid_t> dialout) {
    const bool inDialout = dialout && std::find(groups.begin(), groups.end(), *dialout) != groups.end();
    if (!inDialout || !device) return AccessDeniedText();
    return "Access is denied (this user is already in the \"dialout\" group; " + path + " is owned by " +
           UserName(device->st_uid) + ":" + GroupName(device->st_gid) + ", mode " +
           ModeText(device->st_mode) + ")";
}

std::string AccessDeniedText(const std::string& path) {
    struct stat device {};
    const bool known = ::stat(path.c_str(), &device) == 0;
    return AccessDeniedText(path, known ? &device : nullptr, ProcessGroups(), DialoutGroup());
}

} // namespace win32
