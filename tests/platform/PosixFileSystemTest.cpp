#include "PosixFileSystem.h"
#include "FileTestSupport.h"
#include "model/VantorError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor::test {
namespace {

long peakResidentKilobytes()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class PosixFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    std::string file(const std::string& name) const { return m_folder.file(name); }
    const std::string& folder() const { return m_folder.path(); }

    // The text of the Error the call throws; "" when it throws nothing.
    template <typename Call> static std::string errorOf(Call call)
    {
        try {
            call();
        } catch (const Error& error) {
            return error.what();
        }
        return {};
    }

    TemporaryFolder m_folder;
    PosixFileSystem m_files;
};

struct ContentCase {
    const char* name;
    std::string bytes;
};

// Test names in ctest show the case, not its bytes.
void PrintTo(const ContentCase& value, std::ostream* out)
{
    *out << value.name;
}

class PosixFileSystemContentTest : public PosixFileSystemTest,
                                   public ::testing::WithParamInterface<ContentCase> { };

TEST_P(PosixFileSystemContentTest, WrittenBytesReadBackUnchanged)
{
    const std::string path = file("clip.srt");
    m_files.writeFileAtomically(path, GetParam().bytes);
    EXPECT_TRUE(m_files.fileExists(path));
    EXPECT_EQ(m_files.readFile(path, SIZE_MAX), GetParam().bytes);
    EXPECT_EQ(readBytes(path), GetParam().bytes);
}

TEST_P(PosixFileSystemContentTest, ReplacingLeavesOnlyTheTargetInTheFolder)
{
    const std::string path = file("clip.srt");
    m_files.writeFileAtomically(path, "old content\r\n");
    m_files.writeFileAtomically(path, GetParam().bytes);
    EXPECT_EQ(m_files.readFile(path, SIZE_MAX), GetParam().bytes);
    EXPECT_EQ(folderEntries(folder()), std::vector<std::string> { "clip.srt" });
}

INSTANTIATE_TEST_SUITE_P(Contents, PosixFileSystemContentTest,
    ::testing::Values(ContentCase { "Empty", "" },
        ContentCase { "GbkSubtitleEntry", "1\r\n00:00:01,000 --> 00:00:02,500\r\n\xBA\xDA\xCC\xE5\r\n\r\n" },
        ContentCase { "BinaryWithNulBytes", std::string("a\0b\0\xFF\r\n", 7) },
        ContentCase { "ThreeMegabytes", std::string(3 * 1024 * 1024 + 17, 'x') }),
    [](const auto& info) { return std::string(info.param.name); });

class PosixFileSystemModeTest : public PosixFileSystemTest,
                                public ::testing::WithParamInterface<unsigned> { };

TEST_P(PosixFileSystemModeTest, ReplacementKeepsTheTargetsPermissionBits)
{
    const std::string path = file("clip.srt");
    ASSERT_TRUE(writeBytes(path, "old"));
    ASSERT_EQ(::chmod(path.c_str(), GetParam()), 0);
    m_files.writeFileAtomically(path, "new");
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_EQ(permissionBits(path), GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PosixFileSystemModeTest, ::testing::Values(0600u, 0640u, 0644u, 0664u, 0705u));

TEST_F(PosixFileSystemTest, NewFileGetsTheUsualModeUnderTheUmask)
{
    const mode_t previous = ::umask(027);
    m_files.writeFileAtomically(file("clip.srt"), "new");
    ::umask(previous);
    EXPECT_EQ(permissionBits(file("clip.srt")), 0640u);
}

TEST_F(PosixFileSystemTest, WritingThroughASymbolicLinkReplacesTheFileItPointsTo)
{
    ASSERT_EQ(::mkdir(file("real").c_str(), 0755), 0);
    ASSERT_TRUE(writeBytes(file("real/clip.srt"), "old"));
    ASSERT_EQ(::symlink("real/clip.srt", file("link.srt").c_str()), 0);

    m_files.writeFileAtomically(file("link.srt"), "new");

    struct stat status { };
    ASSERT_EQ(::lstat(file("link.srt").c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ(readBytes(file("real/clip.srt")), "new");
    EXPECT_EQ(temporariesIn(file("real")), std::vector<std::string> {});
}

TEST_F(PosixFileSystemTest, ManyWritesLeaveNoTemporaryFile)
{
    for (int i = 0; i < 50; ++i)
        m_files.writeFileAtomically(file("clip.srt"), std::string(1000 + i, 'a' + i % 26));
    EXPECT_EQ(folderEntries(folder()), std::vector<std::string> { "clip.srt" });
    EXPECT_EQ(readBytes(file("clip.srt")), std::string(1049, 'a' + 49 % 26));
}

TEST_F(PosixFileSystemTest, AWriteRemovesTemporariesThatKilledWritersLeftForTheSameFile)
{
    ASSERT_TRUE(writeBytes(file(".clip.srt.Ab3xY9.tmp"), "torn"));
    ASSERT_TRUE(writeBytes(file(".clip.srt.QQQQQQ.tmp"), "torn"));
    // Not ours or not for this file: they stay.
    ASSERT_TRUE(writeBytes(file(".other.srt.Ab3xY9.tmp"), "other"));
    ASSERT_TRUE(writeBytes(file(".clip.srt.toolong7.tmp"), "other"));
    ASSERT_TRUE(writeBytes(file("clip.srt.Ab3xY9.tmp"), "other"));

    m_files.writeFileAtomically(file("clip.srt"), "new");

    EXPECT_EQ(folderEntries(folder()),
        (std::vector<std::string> {
            ".clip.srt.toolong7.tmp", ".other.srt.Ab3xY9.tmp", "clip.srt", "clip.srt.Ab3xY9.tmp" }));
}

TEST_F(PosixFileSystemTest, AWriteKeepsTheTemporaryOfAWriterStillAtWork)
{
    const std::string busy = file(".clip.srt.Busy01.tmp");
    ASSERT_TRUE(writeBytes(busy, "being written"));
    const int fd = ::open(busy.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);

    m_files.writeFileAtomically(file("clip.srt"), "new");
    EXPECT_EQ(readBytes(busy), "being written");

    ::close(fd);
    m_files.writeFileAtomically(file("clip.srt"), "newer");
    EXPECT_EQ(folderEntries(folder()), std::vector<std::string> { "clip.srt" });
}

struct ReadFailureCase {
    const char* name;
    const char* reason;
    void (*prepare)(const std::string& path);
};

// Test names in ctest show the case, not its bytes.
void PrintTo(const ReadFailureCase& value, std::ostream* out)
{
    *out << value.name;
}

class PosixFileSystemReadFailureTest : public PosixFileSystemTest,
                                       public ::testing::WithParamInterface<ReadFailureCase> { };

TEST_P(PosixFileSystemReadFailureTest, ReadThrowsAnErrorNamingTheFileAndTheReason)
{
    const std::string path = file("clip.srt");
    GetParam().prepare(path);
    EXPECT_EQ(errorOf([&] { m_files.readFile(path, SIZE_MAX); }),
        "Could not read " + path + ": " + GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(Reads, PosixFileSystemReadFailureTest,
    ::testing::Values(ReadFailureCase { "Missing", "No such file or directory", [](const std::string&) {} },
        ReadFailureCase {
            "Directory", "Is a directory", [](const std::string& path) { ::mkdir(path.c_str(), 0755); } },
        // A pipe must be refused at once, not waited on.
        ReadFailureCase {
            "Pipe", "Not a regular file", [](const std::string& path) { ::mkfifo(path.c_str(), 0644); } }),
    [](const auto& info) { return std::string(info.param.name); });

// A file far over the limit is refused from its size alone: a sparse 4 GiB file read whole would take 4 GiB.
TEST_F(PosixFileSystemTest, AHugeFileIsRefusedBeforeAnyOfItIsRead)
{
    const std::string path = file("clip.srt");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 4LL << 30), 0);
    ::close(fd);
    const long peakBefore = peakResidentKilobytes();
    try {
        m_files.readFile(path, 10 << 20);
        ADD_FAILURE() << "a 4 GiB file passed a 10 MiB limit";
    } catch (const FileTooLarge& error) {
        EXPECT_EQ(error.size(), 4ULL << 30);
        EXPECT_EQ(
            std::string(error.what()), "Could not read " + path + ": File too large (4294967296 bytes)");
    }
    EXPECT_LT(peakResidentKilobytes() - peakBefore, 1024)
        << "kilobytes added to the peak by the refused read";
}

struct WritableCase {
    const char* name;
    // Puts something in clip.srt's place (or nothing); the reason the check gives, or "" when it passes.
    std::string (*prepare)(const std::string& folder);
};

void PrintTo(const WritableCase& value, std::ostream* out)
{
    *out << value.name;
}

class PosixFileSystemWritableTest : public PosixFileSystemTest,
                                    public ::testing::WithParamInterface<WritableCase> { };

// The check answers as a write would, and leaves the folder as it found it.
TEST_P(PosixFileSystemWritableTest, CheckAnswersAsAWriteWouldAndLeavesNothing)
{
    const std::string path = file("clip.srt");
    const std::string reason = GetParam().prepare(folder());
    const auto before = folderEntries(folder());
    const std::string expected = reason.empty() ? "" : "Could not save " + path + ": " + reason;
    EXPECT_EQ(errorOf([&] { m_files.checkWritable(path); }), expected);
    EXPECT_EQ(folderEntries(folder()), before);
    if (reason.empty())
        EXPECT_EQ(errorOf([&] { m_files.writeFileAtomically(path, "new"); }), "");
    else
        EXPECT_EQ(errorOf([&] { m_files.writeFileAtomically(path, "new"); }), expected);
}

INSTANTIATE_TEST_SUITE_P(Places, PosixFileSystemWritableTest,
    ::testing::Values(WritableCase { "NewFile", [](const std::string&) { return std::string(); } },
        WritableCase { "ExistingFile",
            [](const std::string& folder) {
                writeBytes(folder + "/clip.srt", "old");
                return std::string();
            } },
        WritableCase { "Folder",
            [](const std::string& folder) {
                ::mkdir((folder + "/clip.srt").c_str(), 0755);
                return std::string("Is a directory");
            } },
        WritableCase { "ReadOnlyFile",
            [](const std::string& folder) {
                writeBytes(folder + "/clip.srt", "old");
                ::chmod((folder + "/clip.srt").c_str(), 0444);
                return std::string("Permission denied");
            } },
        WritableCase { "Pipe",
            [](const std::string& folder) {
                ::mkfifo((folder + "/clip.srt").c_str(), 0644);
                return std::string("Not a regular file");
            } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PosixFileSystemTest, WriteIntoAMissingFolderFailsAndCreatesNothing)
{
    const std::string path = file("missing/clip.srt");
    EXPECT_EQ(errorOf([&] { m_files.writeFileAtomically(path, "new"); }),
        "Could not save " + path + ": No such file or directory");
    EXPECT_EQ(folderEntries(folder()), std::vector<std::string> {});
}

TEST_F(PosixFileSystemTest, WriteOverAFolderFailsAndLeavesIt)
{
    const std::string path = file("clip.srt");
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    EXPECT_EQ(errorOf([&] { m_files.writeFileAtomically(path, "new"); }),
        "Could not save " + path + ": Is a directory");
    EXPECT_FALSE(m_files.fileExists(path));
    EXPECT_EQ(folderEntries(folder()), std::vector<std::string> { "clip.srt" });
}

TEST_F(PosixFileSystemTest, WriteOverAReadOnlyFileFailsAndKeepsItsContent)
{
    const std::string path = file("clip.srt");
    ASSERT_TRUE(writeBytes(path, "old"));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(errorOf([&] { m_files.writeFileAtomically(path, "new"); }),
        "Could not save " + path + ": Permission denied");
    EXPECT_EQ(readBytes(path), "old");
    EXPECT_EQ(folderEntries(folder()), std::vector<std::string> { "clip.srt" });
}

TEST_F(PosixFileSystemTest, WriteIntoAReadOnlyFolderFailsAndKeepsTheOldContent)
{
    const std::string sub = file("ro");
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    ReadOnlyFolder readOnly(sub);
    if (!readOnly.skipReason().empty())
        GTEST_SKIP() << readOnly.skipReason();
    const std::string path = sub + "/clip.srt";
    ASSERT_TRUE(writeBytes(path, "old"));
    ASSERT_TRUE(readOnly.seal());

    const std::string error = errorOf([&] { m_files.writeFileAtomically(path, "new"); });
    // A read-only mount (as root) or a folder without write permission.
    EXPECT_TRUE(error == "Could not save " + path + ": Read-only file system"
        || error == "Could not save " + path + ": Permission denied")
        << error;
    EXPECT_EQ(readBytes(path), "old");
    EXPECT_EQ(folderEntries(sub), std::vector<std::string> { "clip.srt" });
    // A new file cannot be made there either.
    EXPECT_NE(errorOf([&] { m_files.writeFileAtomically(sub + "/new.srt", "new"); }), "");
}

TEST_F(PosixFileSystemTest, WriteThatDoesNotFitOnTheDiskFailsAndKeepsTheOldContent)
{
    SmallDisk disk(folder(), "256k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason();
    const std::string path = file("clip.srt");
    const std::string old(100 * 1024, 'A');
    m_files.writeFileAtomically(path, old);

    // The old file and the new one do not fit side by side.
    EXPECT_EQ(errorOf([&] { m_files.writeFileAtomically(path, std::string(200 * 1024, 'B')); }),
        "Could not save " + path + ": No space left on device");
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(folderEntries(folder()), std::vector<std::string> { "clip.srt" });

    // The failed write gave its space back: a smaller one that fits goes through.
    m_files.writeFileAtomically(path, std::string(100 * 1024, 'C'));
    EXPECT_EQ(readBytes(path), std::string(100 * 1024, 'C'));
}

TEST_F(PosixFileSystemTest, FileExistsIsTrueForFilesOnly)
{
    ASSERT_TRUE(writeBytes(file("clip.srt"), ""));
    ASSERT_EQ(::mkdir(file("folder.srt").c_str(), 0755), 0);
    EXPECT_TRUE(m_files.fileExists(file("clip.srt")));
    EXPECT_FALSE(m_files.fileExists(file("folder.srt")));
    EXPECT_FALSE(m_files.fileExists(file("missing.srt")));
}

TEST_F(PosixFileSystemTest, RemoveReportsWhetherTheFileWentAway)
{
    ASSERT_TRUE(writeBytes(file("clip.srt.bak"), "old"));
    ASSERT_EQ(::mkdir(file("folder.bak").c_str(), 0755), 0);
    EXPECT_TRUE(m_files.removeFile(file("clip.srt.bak")));
    EXPECT_FALSE(m_files.removeFile(file("clip.srt.bak")));
    EXPECT_FALSE(m_files.removeFile(file("folder.bak")));
    EXPECT_EQ(folderEntries(folder()), std::vector<std::string> { "folder.bak" });
}

TEST_F(PosixFileSystemTest, RenameMovesTheFileAndReplacesAnExistingTarget)
{
    ASSERT_TRUE(writeBytes(file("clip.srt"), "current"));
    ASSERT_TRUE(writeBytes(file("clip.srt.bak"), "older"));
    EXPECT_TRUE(m_files.renameFile(file("clip.srt"), file("clip.srt.bak")));
    EXPECT_EQ(folderEntries(folder()), std::vector<std::string> { "clip.srt.bak" });
    EXPECT_EQ(readBytes(file("clip.srt.bak")), "current");
}

TEST_F(PosixFileSystemTest, RenameOfAMissingFileOrIntoAMissingFolderReturnsFalse)
{
    ASSERT_TRUE(writeBytes(file("clip.srt"), "current"));
    EXPECT_FALSE(m_files.renameFile(file("missing.srt"), file("missing.srt.bak")));
    EXPECT_FALSE(m_files.renameFile(file("clip.srt"), file("missing/clip.srt.bak")));
    EXPECT_EQ(readBytes(file("clip.srt")), "current");
}

} // namespace
} // namespace vantor::test
