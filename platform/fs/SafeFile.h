#pragma once
// Replacing a file so that a failure never destroys its previous content: the bytes go to a
// temporary file in the same folder, are flushed to the disk, and only then renamed over the target.
#include <cstddef>
#include <string>

namespace platform {

// True when the content is in place under `path`: written whole, flushed to the disk, then renamed
// over the previous file, so that every reader sees either the previous content or the new one,
// never a mixture. The rename itself is on the disk only once the folder is flushed too: when that
// flush fails the save still counts (the new content is what the file holds) and the failure is
// reported with a diagnostic line, since a power loss before the system writes the folder out may
// bring back the previous file, whole. On false the previous file, if any, is unchanged, no
// temporary file is left behind, and `error` (when given) holds the reason.
bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size, std::string* error = nullptr);

// Tests replace the low-level write to simulate a full disk or an I/O error half way;
// nullptr restores ::write.
using WriteFunction = long (*)(int fd, const void* data, std::size_t size);
void SetWriteFunctionForTest(WriteFunction fn);
// The same for the flushes (of the file and of its folder); nullptr restores ::fsync.
using SyncFunction = int (*)(int fd);
void SetSyncFunctionForTest(SyncFunction fn);

} // namespace platform
