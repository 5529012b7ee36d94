#pragma once
// Reading a settings file whole, telling a file that is not there from one that is there but
// cannot be read (no permission, an I/O error, a folder in its place): only the first may be
// replaced by defaults; the second is the user's and is left as it is.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

enum class ReadOutcome {
    Read,      // `content` holds the file (up to the limit)
    Missing,   // nothing at the path: defaults may be written there
    Unreadable // something is there but could not be read: never replace it on the program's own
};

// Reads at most `limit` bytes of `path` into `content`. On Unreadable, `error` (when given) holds
// the reason ("Permission denied", "Input/output error", ...) and `errorNumber` its errno (EISDIR
// for a folder, EINVAL for anything else that is not a regular file); on Missing, ENOENT.
ReadOutcome ReadWholeFile(const std::string& path, std::string& content, std::size_t limit = SIZE_MAX,
                          std::string* error = nullptr, int* errorNumber = nullptr);

// Reads a data file the program can do without (the language table, the operator table, the
// logo) as ReadWholeFile does. One that is there but cannot be read is named on the diagnostic
// log, with its reason and `consequence` (what the program does without it), once, not at each of
// the many times the program looks at it again, until it has been read or found missing.
ReadOutcome ReadDataFile(std::string_view unit, const std::string& path, std::string_view consequence,
                         std::string& content, std::size_t limit = SIZE_MAX, int* errorNumber = nullptr);

// Tests (which run as root, so that permissions do not stop a read) make the file at `path` open
// normally and then fail its reads with `err` (EIO, ...), as a damaged disk does. An empty path
// restores normal reads.
void FailReadsForTest(const std::string& path, int err);

// The same for the length of a scope.
class FailedReadsForTest {
  public:
    FailedReadsForTest(const std::string& path, int err) { FailReadsForTest(path, err); }
    ~FailedReadsForTest() { FailReadsForTest("", 0); }
    FailedReadsForTest(const FailedReadsForTest&) = delete;
    FailedReadsForTest& operator=(const FailedReadsForTest&) = delete;
};

} // namespace platform
