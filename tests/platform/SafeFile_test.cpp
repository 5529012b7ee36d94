#include "platform/diag/Diagnostica.h"
#include "platform/fs/SafeFile.h"
#include "support/TempFolder.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::TempFolder;

namespace {

int EntriesIn(const std::string& folder) {
    int n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

// Writes at most 3 bytes, then reports a full disk.
long FullAfterThreeBytes(int fd, const void* data, std::size_t size) {
    static thread_local std::size_t written = 0;
    if (written >= 3) {
        written = 0;
        errno = ENOSPC;
        return -1;
    }
    const std::size_t n = std::min<std::size_t>(size, 3 - written);
    written += n;
    return ::write(fd, data, n);
}

struct WriterScope {
    explicit WriterScope(platform::WriteFunction fn) { platform::SetWriteFunctionForTest(fn); }
    ~WriterScope() { platform::SetWriteFunctionForTest(nullptr); }
};

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// The file's own flush works; the folder's fails as on a disk that has gone read-only.
int FolderFlushFails(int fd) {
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EIO;
        return -1;
    }
    return ::fsync(fd);
}

} // namespace

TEST(SafeFile, ReplacesContentAndLeavesNoTemporary) {
    TempFolder dir;
    dir.Write("a.bin", std::string("old content"));
    const std::string fresh = "new";
    ASSERT_TRUE(platform::WriteFileAtomically(dir.File("a.bin"), fresh.data(), fresh.size()));
    EXPECT_EQ(dir.Read("a.bin"), Bytes(fresh));
    EXPECT_EQ(EntriesIn(dir.Path()), 1);
}

TEST(SafeFile, DiskFullHalfWayKeepsPreviousFileAndCleansUp) {
    TempFolder dir;
    dir.Write("a.bin", std::string("previous"));
    WriterScope full(&FullAfterThreeBytes);
    std::string err;
    EXPECT_FALSE(platform::WriteFileAtomically(dir.File("a.bin"), "0123456789", 10, &err));
    EXPECT_NE(err.find("No space"), std::string::npos) << err;
    EXPECT_EQ(dir.Read("a.bin"), Bytes("previous"));
    EXPECT_EQ(EntriesIn(dir.Path()), 1);
}

TEST(SafeFile, ASaveRemovesWhatAnInterruptedSaveOfItsTargetLeft) {
    TempFolder dir;
    // A process that is gone, as the one killed half way through a save.
    const pid_t finito = fork();
    if (finito == 0) _exit(0);
    ASSERT_GT(finito, 0);
    ASSERT_EQ(waitpid(finito, nullptr, 0), finito);
    const std::string morto = std::to_string(finito), vivo = std::to_string(getppid());
    dir.Write("a.bin", std::string("old"));
    dir.Write("a.bin.tmp" + morto + "-0-123", std::string("half"));
    dir.Write("a.bin.tmp" + vivo + "-4-56", std::string("a save going on now"));
    dir.Write("b.bin.tmp" + morto + "-1-7", std::string("another file's"));
    dir.Write("a.bin.tmp" + morto + "-notes", std::string("not a temporary file"));

    ASSERT_TRUE(platform::WriteFileAtomically(dir.File("a.bin"), "new", 3));
    EXPECT_EQ(dir.Read("a.bin"), Bytes("new"));
    EXPECT_FALSE(dir.Exists("a.bin.tmp" + morto + "-0-123"));
    EXPECT_TRUE(dir.Exists("a.bin.tmp" + vivo + "-4-56"));
    EXPECT_TRUE(dir.Exists("b.bin.tmp" + morto + "-1-7"));
    EXPECT_TRUE(dir.Exists("a.bin.tmp" + morto + "-notes"));
}

TEST(SafeFile, UnwritableTargetFolderFails) {
    TempFolder dir;
    dir.Write("notafolder", std::string("x"));
    std::string err;
    EXPECT_FALSE(platform::WriteFileAtomically(dir.File("missing/a.bin"), "x", 1, &err));
    EXPECT_FALSE(err.empty());
    EXPECT_FALSE(platform::WriteFileAtomically(dir.File("notafolder/a.bin"), "x", 1));
    EXPECT_EQ(dir.Read("notafolder"), Bytes("x"));
}

TEST(SafeFile, SavingThroughASymbolicLinkUpdatesTheFileItNames) {
    TempFolder dir;
    dir.Write("real.bin", std::string("old"));
    std::filesystem::create_symlink(dir.File("real.bin"), dir.File("link.bin"));
    ASSERT_TRUE(platform::WriteFileAtomically(dir.File("link.bin"), "new", 3));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.bin")));
    EXPECT_EQ(dir.Read("real.bin"), Bytes("new"));
}

TEST(SafeFile, KeepsThePermissionsOfTheReplacedFile) {
    TempFolder dir;
    dir.Write("a.bin", std::string("old"));
    std::filesystem::permissions(dir.File("a.bin"), std::filesystem::perms(0640));
    ASSERT_TRUE(platform::WriteFileAtomically(dir.File("a.bin"), "new", 3));
    EXPECT_EQ(std::filesystem::status(dir.File("a.bin")).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0640));
}

TEST(SafeFile, ReadOnlyFileIsNotReplaced) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
    TempFolder dir;
    dir.Write("a.bin", std::string("keep"));
    std::filesystem::permissions(dir.File("a.bin"), std::filesystem::perms(0444));
    EXPECT_FALSE(platform::WriteFileAtomically(dir.File("a.bin"), "new", 3));
    EXPECT_EQ(dir.Read("a.bin"), Bytes("keep"));
}

TEST(SafeFile, AFolderInTheTargetsPlaceIsRefused) {
    TempFolder dir;
    std::filesystem::create_directory(dir.File("a.bin"));
    std::string err;
    EXPECT_FALSE(platform::WriteFileAtomically(dir.File("a.bin"), "x", 1, &err));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("a.bin")));
}

TEST(SafeFile, AFailedFlushOfTheFolderIsReportedAndTheSaveStillCounts) {
    TempFolder dir;
    dir.Write("a.bin", std::string("old"));
    std::vector<std::string> righe;
    platform::CatturaDiagnostica cattura([&](std::string_view r) { righe.emplace_back(r); });
    platform::SetSyncFunctionForTest(&FolderFlushFails);
    const bool salvato = platform::WriteFileAtomically(dir.File("a.bin"), "new", 3);
    platform::SetSyncFunctionForTest(nullptr);
    EXPECT_TRUE(salvato) << "the new content is in place";
    EXPECT_EQ(dir.Read("a.bin"), Bytes("new"));
    ASSERT_EQ(righe.size(), 1u);
    EXPECT_EQ(righe[0].rfind("vm415: SafeFile: " + dir.File("a.bin"), 0), 0u) << righe[0];
    EXPECT_NE(righe[0].find("Input/output error"), std::string::npos) << righe[0];
}
