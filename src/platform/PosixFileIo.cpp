#include "PosixFileIo.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor {

namespace {

// errno has no text for "this is a device or a pipe", which a file in a subtitle's place can be.
constexpr int kNotRegularFile = -1;

constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kRandomLength = 6;
constexpr std::string_view kRandomAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string reasonText(int code)
{
    if (code == kNotRegularFile)
        return "Not a regular file";
    return std::strerror(code);
}

[[noreturn]] void failReading(const std::string& path, int code)
{
    throw FileError("Could not read " + path + ": " + reasonText(code), code);
}

[[noreturn]] void failSaving(const std::string& path, int code)
{
    throw FileError("Could not save " + path + ": " + reasonText(code), code);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }

private:
    int m_fd;
};

struct PathParts {
    std::string folder;
    std::string name;
};

PathParts splitPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return { ".", path };
    return { slash == 0 ? std::string("/") : path.substr(0, slash), path.substr(slash + 1) };
}

// The file a symbolic link points to is the one replaced, so that the link stays a link.
std::string resolvedTarget(const std::string& path)
{
    struct stat status { };
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
        return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr)
        return path;
    std::string result(real);
    std::free(real);
    return result;
}

// ".NAME." with NAME shortened so that the whole temporary name stays within NAME_MAX.
std::string temporaryPrefix(const std::string& name)
{
    const std::size_t room = NAME_MAX - 2 - kRandomLength - kTemporarySuffix.size();
    return "." + name.substr(0, room) + ".";
}

std::string randomText()
{
    unsigned char bytes[kRandomLength];
    if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        // Early in boot the entropy pool may not be ready; the O_EXCL retry loop copes with collisions.
        auto seed = static_cast<unsigned long long>(
            std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid());
        for (unsigned char& byte : bytes) {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            byte = static_cast<unsigned char>(seed >> 56);
        }
    }
    std::string text;
    for (unsigned char byte : bytes)
        text += kRandomAlphabet[byte % kRandomAlphabet.size()];
    return text;
}

bool isTemporaryName(std::string_view entry, std::string_view prefix)
{
    if (entry.size() != prefix.size() + kRandomLength + kTemporarySuffix.size())
        return false;
    if (entry.substr(0, prefix.size()) != prefix
        || entry.substr(entry.size() - kTemporarySuffix.size()) != kTemporarySuffix)
        return false;
    for (char c : entry.substr(prefix.size(), kRandomLength)) {
        if (kRandomAlphabet.find(c) == std::string_view::npos)
            return false;
    }
    return true;
}

// A writer holds an exclusive flock on its temporary from creation to rename, and a killed writer's
// lock dies with it: a temporary that can be locked belongs to nobody and is removed.
void removeAbandonedTemporaries(const std::string& folder, const std::string& prefix)
{
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr)
        return;
    const int folderFd = ::dirfd(directory);
    while (const dirent* entry = ::readdir(directory)) {
        if (!isTemporaryName(entry->d_name, prefix))
            continue;
        FileDescriptor file(
            ::openat(folderFd, entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        struct stat status { };
        if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
            continue;
        if (::flock(file.get(), LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::closedir(directory);
}

// Creates and locks a new temporary; the returned name is guaranteed to still name the locked file
// (a cleaner may have removed it between creation and locking, then we start over).
int createTemporary(const std::string& folder, const std::string& prefix, std::string& temporaryPath)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = folder + "/" + prefix + randomText() + std::string(kTemporarySuffix);
        // 0666 before the umask, like any new file; an existing target's bits are copied later.
        const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST || errno == EINTR)
                continue;
            return -errno;
        }
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) { }
        struct stat opened { };
        struct stat named { };
        if (::fstat(fd, &opened) == 0 && ::stat(temporaryPath.c_str(), &named) == 0
            && opened.st_dev == named.st_dev && opened.st_ino == named.st_ino)
            return fd;
        ::close(fd);
    }
    return -EEXIST;
}

int writeAll(int fd, std::string_view bytes)
{
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        // Bounded chunks: Linux writes at most ~2 GiB per call anyway.
        const ssize_t written = ::write(fd, data, left < (1U << 30) ? left : (1U << 30));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

} // namespace

[[noreturn]] void failTooLarge(const std::string& path, std::uint64_t size)
{
    throw FileTooLarge(
        "Could not read " + path + ": File too large (" + std::to_string(size) + " bytes)", size);
}

std::string readWholeFile(const std::string& path, std::size_t maxBytes)
{
    // O_NONBLOCK: a pipe put in the file's place must not hang the user interface; fstat refuses it below.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        failReading(path, errno);
    struct stat status { };
    if (::fstat(file.get(), &status) != 0)
        failReading(path, errno);
    if (S_ISDIR(status.st_mode))
        failReading(path, EISDIR);
    if (!S_ISREG(status.st_mode))
        failReading(path, kNotRegularFile);

    if (static_cast<std::uint64_t>(status.st_size) > maxBytes)
        failTooLarge(path, static_cast<std::uint64_t>(status.st_size));

    std::string content;
    content.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            failReading(path, errno);
        }
        if (count == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(count));
        if (content.size() > maxBytes)
            failTooLarge(path, content.size());
    }
    return content;
}

namespace {

// The file replaceFileAtomically would replace for `path`, and its status when it exists; throws when it
// may not be replaced.
struct Target {
    std::string path;
    PathParts parts;
    bool exists = false;
    struct stat old { };
};

Target checkedTarget(const std::string& path)
{
    Target target;
    target.path = resolvedTarget(path);
    target.parts = splitPath(target.path);
    if (target.parts.name.empty() || target.parts.name == "." || target.parts.name == "..")
        failSaving(path, EISDIR);
    target.exists = ::stat(target.path.c_str(), &target.old) == 0;
    if (!target.exists && errno != ENOENT)
        failSaving(path, errno);
    if (target.exists) {
        if (S_ISDIR(target.old.st_mode))
            failSaving(path, EISDIR);
        if (!S_ISREG(target.old.st_mode))
            failSaving(path, kNotRegularFile);
        // A rename would replace a read-only file as long as the folder is writable, and root passes
        // every access check: a file that nobody may write is read-only here, as the user meant it.
        if ((target.old.st_mode & 0222) == 0)
            failSaving(path, EACCES);
        if (::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0)
            failSaving(path, errno);
    }
    return target;
}

} // namespace

void checkReplaceable(const std::string& path)
{
    const Target target = checkedTarget(path);
    std::string temporaryPath;
    const int created
        = createTemporary(target.parts.folder, temporaryPrefix(target.parts.name), temporaryPath);
    if (created < 0)
        failSaving(path, -created);
    ::close(created);
    ::unlink(temporaryPath.c_str());
}

void replaceFileAtomically(const std::string& path, std::string_view bytes)
{
    const Target checked = checkedTarget(path);
    const std::string& target = checked.path;
    const PathParts& parts = checked.parts;
    const bool exists = checked.exists;
    const struct stat& old = checked.old;

    const std::string prefix = temporaryPrefix(parts.name);
    std::string temporaryPath;
    const int created = createTemporary(parts.folder, prefix, temporaryPath);
    if (created < 0)
        failSaving(path, -created);
    // Stays open, and so locked against the cleaners of other writers, until after the rename. Closing
    // has nothing left to report once fsync has succeeded.
    FileDescriptor temporary(created);
    if (exists) {
        // Metadata a file system may not keep (vfat, some network shares): a failure here is no reason
        // to lose the user's text. The owner first: changing it clears set-user-ID and set-group-ID bits.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)::fchown(temporary.get(), old.st_uid, old.st_gid);
        (void)::fchmod(temporary.get(), old.st_mode & 07777);
    }
    int error = writeAll(temporary.get(), bytes);
    if (error == 0 && ::fsync(temporary.get()) != 0)
        error = errno;
    if (error == 0 && ::rename(temporaryPath.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporaryPath.c_str());
        failSaving(path, error);
    }

    // Makes the rename itself durable. The new content is already in place when this fails, so it is not
    // reported as a failed save: the old content is no longer there to keep.
    FileDescriptor folder(::open(parts.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        (void)::fsync(folder.get());

    removeAbandonedTemporaries(parts.folder, prefix);
}

} // namespace vantor
