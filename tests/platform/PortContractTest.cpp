// The fakes that the core tests use must behave like the real adapters where the core can tell the
// difference; the same cases run on both.
#include "FakeFileSystem.h"
#include "FakeSettingsStore.h"
#include "FileTestSupport.h"
#include "IniSettingsStore.h"
#include "PosixFileSystem.h"
#include "model/VantorError.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vantor::test {
namespace {

template <typename Call> std::string errorOf(Call call)
{
    try {
        call();
    } catch (const Error& error) {
        return error.what();
    }
    return {};
}

// Files: the real adapter in a temporary folder, the fake with paths of the same shape.
struct RealFiles {
    TemporaryFolder folder;
    PosixFileSystem files;
    std::string path(const std::string& name) const { return folder.file(name); }
};

struct FakeFiles {
    FakeFileSystem files;
    std::string path(const std::string& name) const { return "/v/" + name; }
};

template <typename Files> class FileSystemContractTest : public ::testing::Test {
protected:
    Files m_subject;
    FileSystem& files() { return m_subject.files; }
    std::string path(const std::string& name) const { return m_subject.path(name); }
};

using FileSystems = ::testing::Types<RealFiles, FakeFiles>;
TYPED_TEST_SUITE(FileSystemContractTest, FileSystems);

TYPED_TEST(FileSystemContractTest, WrittenBytesReadBackAndTheFileExists)
{
    const std::string clip = this->path("clip.srt");
    EXPECT_FALSE(this->files().fileExists(clip));
    this->files().writeFileAtomically(clip, "1\r\n\xBA\xDA\r\n");
    this->files().writeFileAtomically(clip, "2\r\n");
    EXPECT_TRUE(this->files().fileExists(clip));
    EXPECT_EQ(this->files().readFile(clip, 1024), "2\r\n");
}

TYPED_TEST(FileSystemContractTest, ReadingAMissingFileThrowsAnErrorNamingIt)
{
    const std::string clip = this->path("clip.srt");
    EXPECT_EQ(errorOf([&] { this->files().readFile(clip, 1024); }),
        "Could not read " + clip + ": No such file or directory");
}

TYPED_TEST(FileSystemContractTest, AFileOverTheLimitIsRefusedWithItsSize)
{
    const std::string clip = this->path("clip.srt");
    this->files().writeFileAtomically(clip, "12345");
    EXPECT_EQ(this->files().readFile(clip, 5), "12345");
    try {
        this->files().readFile(clip, 4);
        ADD_FAILURE() << "a 5-byte file passed a 4-byte limit";
    } catch (const FileTooLarge& error) {
        EXPECT_EQ(error.size(), 5u);
    }
}

TYPED_TEST(FileSystemContractTest, BackupStepsReportWithoutThrowing)
{
    const std::string clip = this->path("clip.srt");
    const std::string backup = this->path("clip.srt.bak");
    EXPECT_FALSE(this->files().removeFile(backup));
    EXPECT_FALSE(this->files().renameFile(backup, clip));
    this->files().writeFileAtomically(clip, "current");
    this->files().writeFileAtomically(backup, "older");
    EXPECT_TRUE(this->files().renameFile(clip, backup));
    EXPECT_FALSE(this->files().fileExists(clip));
    EXPECT_EQ(this->files().readFile(backup, 1024), "current");
    EXPECT_TRUE(this->files().removeFile(backup));
    EXPECT_FALSE(this->files().fileExists(backup));
}

// Settings: the real store in a temporary folder, the fake; each can be made to lack its location.
struct RealSettings {
    TemporaryFolder folder;
    std::unique_ptr<IniSettingsStore> store = std::make_unique<IniSettingsStore>(folder.path());
    SettingsStore& get() { return *store; }
    void removeLocation() { store = std::make_unique<IniSettingsStore>(folder.file("missing")); }
};

struct FakeSettings {
    FakeSettingsStore store;
    SettingsStore& get() { return store; }
    void removeLocation() { store.locationExists = false; }
};

template <typename Settings> class SettingsStoreContractTest : public ::testing::Test {
protected:
    Settings m_subject;
};

using SettingsStores = ::testing::Types<RealSettings, FakeSettings>;
TYPED_TEST_SUITE(SettingsStoreContractTest, SettingsStores);

TYPED_TEST(SettingsStoreContractTest, AbsentValueReadsEmptyAndWrittenValuesReadBack)
{
    SettingsStore& store = this->m_subject.get();
    EXPECT_EQ(store.readValue("srtDefault"), "");
    store.writeValue("srtFontNameD", "黑体");
    store.writeValue("srtFontPosLD", "");
    store.writeValue("srtDefault", "1");
    store.writeValue("srtDefault", "0");
    EXPECT_EQ(store.readValue("srtFontNameD"), "黑体");
    EXPECT_EQ(store.readValue("srtFontPosLD"), "");
    EXPECT_EQ(store.readValue("srtDefault"), "0");
    EXPECT_EQ(store.readValue("srtdefault"), "");
}

TYPED_TEST(SettingsStoreContractTest, WithoutItsLocationReadsAreEmptyAndWritesFail)
{
    this->m_subject.get().writeValue("srtDefault", "1");
    this->m_subject.removeLocation();
    SettingsStore& store = this->m_subject.get();
    EXPECT_EQ(store.readValue("srtDefault"), "");
    EXPECT_EQ(errorOf([&] { store.writeValue("srtFontColorD", "#FFFFFF"); }),
        "Failed to set data for 'srtFontColorD'");
}

TEST(FakeFileSystemTest, AFailedWriteKeepsTheOldContentAndIsRecorded)
{
    FakeFileSystem files;
    files.writeFileAtomically("/v/clip.srt", "old");
    files.failNextWrite("Could not save /v/clip.srt: No space left on device");
    EXPECT_EQ(errorOf([&] { files.writeFileAtomically("/v/clip.srt", "new"); }),
        "Could not save /v/clip.srt: No space left on device");
    EXPECT_EQ(files.readFile("/v/clip.srt", 1024), "old");
    files.writeFileAtomically("/v/NoFormatclip.srt", "plain");
    files.failWritesTo("/v/clip.srt", "locked");
    EXPECT_EQ(errorOf([&] { files.writeFileAtomically("/v/clip.srt", "x"); }), "locked");
    EXPECT_EQ(errorOf([&] { files.writeFileAtomically("/v/clip.srt", "y"); }), "locked");

    EXPECT_EQ(files.writtenPaths(), (std::vector<std::string> { "/v/clip.srt", "/v/NoFormatclip.srt" }));
    ASSERT_EQ(files.operations.size(), 6u);
    EXPECT_FALSE(files.operations[1].succeeded);
    EXPECT_EQ(files.operations[1].action, FakeFileSystem::Action::Write);
}

TEST(FakeSettingsStoreTest, RecordsWritesInOrderAndFailsOnDemand)
{
    FakeSettingsStore store;
    store.writeValue("srtFontColorD", "#FFFFFF");
    store.failNextWrite();
    EXPECT_EQ(
        errorOf([&] { store.writeValue("srtFontNameD", "黑体"); }), "Failed to set data for 'srtFontNameD'");
    store.writeValue("srtFontSizeD", "18");
    store.storeNonText("srtFontColor");
    EXPECT_EQ(errorOf([&] { store.readValue("srtFontColor"); }), "Invalid data type for 'srtFontColor'");
    store.failReadsOf("srtFontName");
    EXPECT_EQ(errorOf([&] { store.readValue("srtFontName"); }), "Failed to get data for 'srtFontName'");

    EXPECT_EQ(store.writtenNames(), (std::vector<std::string> { "srtFontColorD", "srtFontSizeD" }));
    EXPECT_EQ(store.refusedWrites, std::vector<std::string> { "srtFontNameD" });
    EXPECT_EQ(store.reads, (std::vector<std::string> { "srtFontColor", "srtFontName" }));
    EXPECT_EQ(store.readValue("srtFontNameD"), "");
}

} // namespace
} // namespace vantor::test
