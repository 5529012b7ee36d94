// Reading a settings file: missing, read, or there but unreadable (a folder, a pipe, an injected
// I/O error).
#include "platform/fs/ReadFile.h"
#include "support/TempFolder.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using platform::ReadOutcome;
using platform::ReadWholeFile;

TEST(ReadFile, TellsMissingFromReadFromUnreadable) {
    testing_support::TempFolder dir;
    std::string content = "stale", error;
    EXPECT_EQ(ReadWholeFile(dir.File("none"), content), ReadOutcome::Missing);
    EXPECT_EQ(ReadWholeFile(dir.File("none/deeper"), content), ReadOutcome::Missing);
    EXPECT_TRUE(content.empty());

    dir.Write("a.cfg", std::string("0123456789"));
    ASSERT_EQ(ReadWholeFile(dir.File("a.cfg"), content), ReadOutcome::Read);
    EXPECT_EQ(content, "0123456789");
    ASSERT_EQ(ReadWholeFile(dir.File("a.cfg"), content, 4), ReadOutcome::Read);
    EXPECT_EQ(content, "0123");

    std::filesystem::create_directory(dir.File("folder.cfg"));
    EXPECT_EQ(ReadWholeFile(dir.File("folder.cfg"), content, SIZE_MAX, &error), ReadOutcome::Unreadable);
    EXPECT_FALSE(error.empty());
    ASSERT_EQ(::mkfifo(dir.File("pipe.cfg").c_str(), 0600), 0); // read without a writer: never blocks
    EXPECT_EQ(ReadWholeFile(dir.File("pipe.cfg"), content), ReadOutcome::Unreadable);

    {
        platform::FailedReadsForTest failing(dir.File("./a.cfg"), EIO); // the same file, however spelt
        EXPECT_EQ(ReadWholeFile(dir.File("a.cfg"), content, SIZE_MAX, &error), ReadOutcome::Unreadable);
        EXPECT_NE(error.find("Input/output"), std::string::npos) << error;
        EXPECT_TRUE(content.empty());
        dir.Write("b.cfg", std::string("b"));
        EXPECT_EQ(ReadWholeFile(dir.File("b.cfg"), content), ReadOutcome::Read); // other files read
    }
    EXPECT_EQ(ReadWholeFile(dir.File("a.cfg"), content), ReadOutcome::Read);
}
