#include "IniSettingsStore.h"
#include "FileTestSupport.h"
#include "model/VantorError.h"

#include <QSettings>
#include <QString>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace vantor::test {
namespace {

// What other programs keep in the shared file: it must come through every write of ours untouched.
const std::string kOtherPrograms = "; written by hand\n"
                                   "[General]\n"
                                   "editorTheme=dark\n"
                                   "lastFolder=\"/home/u/My Videos\"\n"
                                   "\n"
                                   "[SomeTool]\n"
                                   "geometry=@ByteArray(\\x1\\xd9\\xd0\\xcb)\n"
                                   "srtFontColor=not ours\n";

class IniSettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    std::string settingsFile() const { return m_folder.file("software.conf"); }

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
    IniSettingsStore m_store { m_folder.path() };
};

TEST_F(IniSettingsStoreTest, MissingFolderReadsEmptyAndRefusesWritesWithoutCreatingIt)
{
    IniSettingsStore store(m_folder.file("missing"));
    EXPECT_EQ(store.readValue("srtDefault"), "");
    EXPECT_EQ(errorOf([&] { store.writeValue("srtFontColor", "#FFFFFF"); }),
        "Failed to set data for 'srtFontColor'");
    EXPECT_EQ(folderEntries(m_folder.path()), std::vector<std::string> {});
}

TEST_F(IniSettingsStoreTest, AFileInPlaceOfTheFolderCountsAsAMissingFolder)
{
    ASSERT_TRUE(writeBytes(m_folder.file("config"), "a file"));
    IniSettingsStore store(m_folder.file("config"));
    EXPECT_EQ(store.readValue("srtDefault"), "");
    EXPECT_EQ(errorOf([&] { store.writeValue("srtDefault", "1"); }), "Failed to set data for 'srtDefault'");
    EXPECT_EQ(readBytes(m_folder.file("config")), "a file");
}

TEST_F(IniSettingsStoreTest, FirstWriteCreatesTheFileInAnExistingFolder)
{
    EXPECT_EQ(m_store.readValue("srtDefault"), "");
    m_store.writeValue("srtDefault", "1");
    EXPECT_EQ(readBytes(settingsFile()), "[General]\nsrtDefault=1\n");
    EXPECT_EQ(m_store.readValue("srtDefault"), "1");
    // No lock file or temporary stays behind.
    EXPECT_EQ(folderEntries(m_folder.path()), std::vector<std::string> { "software.conf" });
}

TEST_F(IniSettingsStoreTest, OtherProgramsValuesSectionsAndCommentsStayByteForByte)
{
    ASSERT_TRUE(writeBytes(settingsFile(), kOtherPrograms));
    const std::vector<std::pair<std::string, std::string>> defaults = { { "srtFontColorD", "#FFFFFF" },
        { "srtFontNameD", "黑体" }, { "srtFontSizeD", "18" }, { "srtFontPosLD", "" }, { "srtFontPosUD", "" },
        { "srtDefault", "1" }, { "srtBord", "bord0" }, { "srtShad", "Shad3" } };
    for (const auto& [name, value] : defaults)
        m_store.writeValue(name, value);

    const std::string expected = "; written by hand\n"
                                 "[General]\n"
                                 "editorTheme=dark\n"
                                 "lastFolder=\"/home/u/My Videos\"\n"
                                 "srtFontColorD=#FFFFFF\n"
                                 "srtFontNameD=黑体\n"
                                 "srtFontSizeD=18\n"
                                 "srtFontPosLD=\n"
                                 "srtFontPosUD=\n"
                                 "srtDefault=1\n"
                                 "srtBord=bord0\n"
                                 "srtShad=Shad3\n"
                                 "\n"
                                 "[SomeTool]\n"
                                 "geometry=@ByteArray(\\x1\\xd9\\xd0\\xcb)\n"
                                 "srtFontColor=not ours\n";
    EXPECT_EQ(readBytes(settingsFile()), expected);

    m_store.writeValue("srtDefault", "0");
    std::string changed = expected;
    changed.replace(changed.find("srtDefault=1"), 12, "srtDefault=0");
    EXPECT_EQ(readBytes(settingsFile()), changed);
    // A value of the same name in another program's section is not ours.
    EXPECT_EQ(m_store.readValue("srtFontColor"), "");
}

TEST_F(IniSettingsStoreTest, NamesAreCaseSensitive)
{
    m_store.writeValue("srtFontColor", "#112233");
    m_store.writeValue("srtfontcolor", "#445566");
    EXPECT_EQ(m_store.readValue("srtFontColor"), "#112233");
    EXPECT_EQ(m_store.readValue("srtfontcolor"), "#445566");
    EXPECT_EQ(m_store.readValue("SRTFONTCOLOR"), "");
}

TEST_F(IniSettingsStoreTest, EveryReadSeesWhatAnotherProgramWroteMeanwhile)
{
    m_store.writeValue("srtFontName", "宋体");
    EXPECT_EQ(m_store.readValue("srtFontName"), "宋体");
    ASSERT_TRUE(writeBytes(settingsFile(), "[General]\nsrtFontName=楷体_GB2312\n"));
    EXPECT_EQ(m_store.readValue("srtFontName"), "楷体_GB2312");
    ::unlink(settingsFile().c_str());
    EXPECT_EQ(m_store.readValue("srtFontName"), "");
}

struct NonTextCase {
    const char* name;
    const char* line;
};

// Test names in ctest show the case, not its bytes.
void PrintTo(const NonTextCase& value, std::ostream* out)
{
    *out << value.name;
}

class IniSettingsStoreNonTextTest : public IniSettingsStoreTest,
                                    public ::testing::WithParamInterface<NonTextCase> { };

TEST_P(IniSettingsStoreNonTextTest, ValueOfAnotherTypeFailsToRead)
{
    ASSERT_TRUE(
        writeBytes(settingsFile(), std::string("[General]\n") + GetParam().line + "\nsrtDefault=1\n"));
    EXPECT_EQ(errorOf([&] { m_store.readValue("srtFontColor"); }), "Invalid data type for 'srtFontColor'");
    EXPECT_EQ(m_store.readValue("srtDefault"), "1");
    // Writing text over it is allowed, as a registry value changes its type when text is written to it.
    m_store.writeValue("srtFontColor", "#000000");
    EXPECT_EQ(m_store.readValue("srtFontColor"), "#000000");
}

INSTANTIATE_TEST_SUITE_P(Types, IniSettingsStoreNonTextTest,
    ::testing::Values(NonTextCase { "ByteArray", "srtFontColor=@ByteArray(#FFFFFF)" },
        NonTextCase { "Variant", "srtFontColor=@Variant(\\0\\0\\0\\x43\\x1\\xff\\xff)" },
        NonTextCase { "List", "srtFontColor=#FFFFFF, #000000" },
        NonTextCase { "Invalid", "srtFontColor=@Invalid()" },
        NonTextCase { "Size", "srtFontColor=@Size(1 2)" }),
    [](const auto& info) { return std::string(info.param.name); });

struct UnreadableCase {
    const char* name;
    // Puts something unreadable in the file's place; returns why the case cannot run, or "".
    std::string (*prepare)(const std::string& path);
};

// Test names in ctest show the case, not its bytes.
void PrintTo(const UnreadableCase& value, std::ostream* out)
{
    *out << value.name;
}

class IniSettingsStoreUnreadableTest : public IniSettingsStoreTest,
                                       public ::testing::WithParamInterface<UnreadableCase> { };

TEST_P(IniSettingsStoreUnreadableTest, ReadAndWriteFailWithTheValueName)
{
    const std::string skip = GetParam().prepare(settingsFile());
    if (!skip.empty())
        GTEST_SKIP() << skip;
    EXPECT_EQ(errorOf([&] { m_store.readValue("srtFontName"); }), "Failed to get data for 'srtFontName'");
    EXPECT_EQ(
        errorOf([&] { m_store.writeValue("srtFontName", "黑体"); }), "Failed to set data for 'srtFontName'");
    EXPECT_EQ(folderEntries(m_folder.path()), std::vector<std::string> { "software.conf" });
}

INSTANTIATE_TEST_SUITE_P(Places, IniSettingsStoreUnreadableTest,
    ::testing::Values(UnreadableCase { "Directory",
                          [](const std::string& path) {
                              ::mkdir(path.c_str(), 0755);
                              return std::string();
                          } },
        UnreadableCase { "Pipe",
            [](const std::string& path) {
                ::mkfifo(path.c_str(), 0644);
                return std::string();
            } },
        UnreadableCase { "NoReadPermission",
            [](const std::string& path) {
                writeBytes(path, "[General]\nsrtFontName=x\n");
                ::chmod(path.c_str(), 0200);
                return ::geteuid() == 0 ? std::string("root reads a file without read permission")
                                        : std::string();
            } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniSettingsStoreTest, ReadOnlyFileRefusesWritesAndStaysWhole)
{
    ASSERT_TRUE(writeBytes(settingsFile(), kOtherPrograms));
    ASSERT_EQ(::chmod(settingsFile().c_str(), 0444), 0);
    EXPECT_EQ(
        errorOf([&] { m_store.writeValue("srtFontName", "黑体"); }), "Failed to set data for 'srtFontName'");
    EXPECT_EQ(readBytes(settingsFile()), kOtherPrograms);
    EXPECT_EQ(m_store.readValue("editorTheme"), "dark");
    EXPECT_EQ(folderEntries(m_folder.path()), std::vector<std::string> { "software.conf" });
}

TEST_F(IniSettingsStoreTest, ReadOnlyFolderRefusesWritesAndTheFileStaysWhole)
{
    const std::string folder = m_folder.file("config");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ReadOnlyFolder readOnly(folder);
    if (!readOnly.skipReason().empty())
        GTEST_SKIP() << readOnly.skipReason();
    ASSERT_TRUE(writeBytes(folder + "/software.conf", kOtherPrograms));
    ASSERT_TRUE(readOnly.seal());

    IniSettingsStore store(folder);
    EXPECT_EQ(
        errorOf([&] { store.writeValue("srtFontSize", "18"); }), "Failed to set data for 'srtFontSize'");
    EXPECT_EQ(readBytes(folder + "/software.conf"), kOtherPrograms);
    EXPECT_EQ(store.readValue("editorTheme"), "dark");
}

TEST_F(IniSettingsStoreTest, FullDiskRefusesWritesAndTheFileStaysWhole)
{
    SmallDisk disk(m_folder.path(), "256k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason();
    ASSERT_TRUE(writeBytes(settingsFile(), kOtherPrograms));
    m_store.writeValue("srtDefault", "1");
    const std::string before = readBytes(settingsFile());

    // The new file would need more room than the disk has left beside the old one.
    EXPECT_EQ(errorOf([&] { m_store.writeValue("srtFontName", std::string(300 * 1024, 'x')); }),
        "Failed to set data for 'srtFontName'");
    EXPECT_EQ(readBytes(settingsFile()), before);
    EXPECT_EQ(folderEntries(m_folder.path()), std::vector<std::string> { "software.conf" });

    m_store.writeValue("srtFontName", "黑体");
    EXPECT_EQ(m_store.readValue("srtFontName"), "黑体");
    EXPECT_EQ(m_store.readValue("srtDefault"), "1");
}

struct LocationCase {
    const char* name;
    std::optional<std::string> configHome;
    std::string expected;
};

// Test names in ctest show the case, not its bytes.
void PrintTo(const LocationCase& value, std::ostream* out)
{
    *out << value.name;
}

class IniSettingsStoreLocationTest : public ::testing::TestWithParam<LocationCase> {
protected:
    void SetUp() override
    {
        saveVariable("XDG_CONFIG_HOME", m_savedConfigHome);
        saveVariable("HOME", m_savedHome);
    }
    void TearDown() override
    {
        restoreVariable("XDG_CONFIG_HOME", m_savedConfigHome);
        restoreVariable("HOME", m_savedHome);
    }

private:
    static void saveVariable(const char* name, std::optional<std::string>& saved)
    {
        if (const char* value = std::getenv(name))
            saved = value;
    }
    static void restoreVariable(const char* name, const std::optional<std::string>& saved)
    {
        if (saved)
            ::setenv(name, saved->c_str(), 1);
        else
            ::unsetenv(name);
    }
    std::optional<std::string> m_savedConfigHome;
    std::optional<std::string> m_savedHome;
};

TEST_P(IniSettingsStoreLocationTest, DefaultFolderFollowsTheXdgRules)
{
    ::setenv("HOME", "/home/u", 1);
    if (GetParam().configHome)
        ::setenv("XDG_CONFIG_HOME", GetParam().configHome->c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(IniSettingsStore::defaultFolder(), GetParam().expected);
    EXPECT_EQ(IniSettingsStore(GetParam().expected).filePath(), GetParam().expected + "/software.conf");
}

INSTANTIATE_TEST_SUITE_P(Environments, IniSettingsStoreLocationTest,
    ::testing::Values(LocationCase { "ConfigHomeSet", "/srv/conf", "/srv/conf" },
        LocationCase { "ConfigHomeUnset", std::nullopt, "/home/u/.config" },
        LocationCase { "ConfigHomeEmpty", "", "/home/u/.config" },
        // The XDG rules say a relative path is to be ignored.
        LocationCase { "ConfigHomeRelative", "conf", "/home/u/.config" }),
    [](const auto& info) { return std::string(info.param.name); });

// The file must stay what QSettings(IniFormat) reads and writes, since other programs share it.
class IniSettingsStoreQSettingsTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { ASSERT_TRUE(m_ours.isValid() && m_theirs.isValid()); }
    // Each test has files of its own: QSettings caches a file's content per path within a process.
    TemporaryFolder m_ours;
    TemporaryFolder m_theirs;
};

TEST_P(IniSettingsStoreQSettingsTest, WrittenFileIsWhatQSettingsWritesAndReads)
{
    const QString value = QString::fromStdString(GetParam());
    IniSettingsStore(m_ours.path()).writeValue("srtFontName", GetParam());
    {
        QSettings theirs(QString::fromStdString(m_theirs.file("software.conf")), QSettings::IniFormat);
        theirs.setValue("srtFontName", value);
        theirs.sync();
        ASSERT_EQ(theirs.status(), QSettings::NoError);
    }
    EXPECT_EQ(readBytes(m_ours.file("software.conf")), readBytes(m_theirs.file("software.conf")));

    QSettings reader(QString::fromStdString(m_ours.file("software.conf")), QSettings::IniFormat);
    EXPECT_EQ(reader.status(), QSettings::NoError);
    EXPECT_EQ(reader.value("srtFontName").userType(), QMetaType::QString);
    EXPECT_EQ(reader.value("srtFontName").toString(), value);
}

TEST_P(IniSettingsStoreQSettingsTest, ValueWrittenByQSettingsAmongOthersReadsBack)
{
    {
        QSettings theirs(QString::fromStdString(m_theirs.file("software.conf")), QSettings::IniFormat);
        theirs.setValue("Tool/option", "x");
        theirs.setValue("aaa", QStringList { "a", "b" });
        theirs.setValue("srtFontName", QString::fromStdString(GetParam()));
        theirs.setValue("zzz", QByteArray("bytes"));
        theirs.sync();
        ASSERT_EQ(theirs.status(), QSettings::NoError);
    }
    EXPECT_EQ(IniSettingsStore(m_theirs.path()).readValue("srtFontName"), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Values, IniSettingsStoreQSettingsTest,
    ::testing::Values("#FFFFFF", "黑体", "", "18", "a=b", "a;b", "a,b", "  both ends  ", "@x", "@@x",
        "@ByteArray(x)", "tab\there", "new\nline", "say \"hi\" \\ ok", std::string("\x01") + "f",
        std::string("nul") + '\0' + "9", "😀", "; not a comment", "del\x7f"));

} // namespace
} // namespace vantor::test
