#pragma once
// Replacing a file so that a failure never destroys its previous content: the bytes go to a
// temporary file in the same folder, are flushed to the disk, and only then renamed over the target.
#include <cstddef>
#include <string>

namespace platform {

// True when the whole content reached the disk under `path`. On false the previous file, if any,
// is unchanged, no temporary file is left behind, and `error` (when given) holds the reason.
bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size, std::string* error = nullptr);

// Tests replace the low-level write to simulate a full disk or an I/O error half way;
// nullptr restores ::write.
using WriteFunction = long (*)(int fd, const void* data, std::size_t size);
void SetWriteFunctionForTest(WriteFunction fn);

} // namespace platform
