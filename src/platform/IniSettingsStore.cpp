#include "IniSettingsStore.h"

#include "IniFile.h"
#include "PosixFileIo.h"

#include <QLockFile>
#include <QString>

#include <cerrno>
#include <cstdlib>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor {

namespace {

constexpr const char* kFileName = "software.conf";
// Long enough for another program's QSettings to finish a write, short enough not to freeze the dialog.
constexpr int kLockTimeoutMs = 5000;

// The store's three error texts: "Failed to set data for 'NAME'" and the like.
Error failure(const char* what, const std::string& name)
{
    return Error(std::string(what) + " '" + name + "'");
}

} // namespace

IniSettingsStore::IniSettingsStore(std::string folder)
    : m_folder(std::move(folder))
{
}

std::string IniSettingsStore::defaultFolder()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/')
        return configHome;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : "";
    }
    return std::string(home) + "/.config";
}

std::string IniSettingsStore::filePath() const
{
    return m_folder + "/" + kFileName;
}

std::string IniSettingsStore::readValue(const std::string& name)
{
    std::string bytes;
    try {
        bytes = readWholeFile(filePath());
    } catch (const FileError& error) {
        // No folder or no file: the location holds no values yet.
        if (error.code() == ENOENT || error.code() == ENOTDIR)
            return {};
        throw failure("Failed to get data for", name);
    }
    const IniFile::Value value = IniFile(std::move(bytes)).value(name);
    if (value.type == IniFile::ValueType::NotText)
        throw failure("Invalid data type for", name);
    return value.text;
}

void IniSettingsStore::writeValue(const std::string& name, const std::string& value)
{
    struct stat folder { };
    if (::stat(m_folder.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        throw failure("Failed to set data for", name);

    // The lock QSettings takes before it rewrites the same file, so that a write of ours and one of
    // another Qt program never overwrite each other's values. Readers need none: the file is replaced by
    // a rename, never rewritten in place.
    QLockFile lock(QString::fromStdString(filePath() + ".lock"));
    if (!lock.tryLock(kLockTimeoutMs))
        throw failure("Failed to set data for", name);

    std::string bytes;
    try {
        bytes = readWholeFile(filePath());
    } catch (const FileError& error) {
        if (error.code() != ENOENT)
            throw failure("Failed to set data for", name);
    }
    std::string written = IniFile(std::move(bytes)).withValue(name, value);
    // A file damaged by hand or by another program (an unclosed quote, a backslash at its end) can swallow
    // the line we add, which would then never read back: every start would append the defaults again and a
    // saved style would be lost. Such a file is refused and left as it is, for the user to repair.
    const IniFile::Value check = IniFile(written).value(name);
    if (check.type != IniFile::ValueType::Text || check.text != value)
        throw failure("Failed to set data for", name);
    try {
        replaceFileAtomically(filePath(), written);
    } catch (const FileError&) {
        throw failure("Failed to set data for", name);
    }
}

} // namespace vantor
