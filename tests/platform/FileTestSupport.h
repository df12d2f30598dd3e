#pragma once

// Folders and files for the file and settings adapter tests: temporary folders, small tmpfs mounts that fill
// up, read-only folders, and plain reads and writes that do not go through the code under test.

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor::test {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it at the end.
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern
            = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/vantor-test-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~TemporaryFolder()
    {
        if (m_path.empty())
            return;
        std::error_code ignored;
        // Read-only sub-folders left by a test must become writable again before they can be emptied.
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored) && !it->is_symlink(ignored))
                ::chmod(it->path().c_str(), 0700);
        }
        std::filesystem::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    bool isValid() const { return !m_path.empty(); }
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// A tmpfs of a given size mounted on a folder for the life of the object. Needs the right to mount (root
// in CI); skipReason() says why it could not be had.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, const std::string& size)
        : m_folder(folder)
    {
        const std::string options = "size=" + size + ",mode=0755";
        if (::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0)
            m_mounted = true;
        else
            m_skipReason = "cannot mount a tmpfs on " + folder + " (" + std::strerror(errno)
                + "): run as root with the right to mount to test a full or read-only disk";
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    const std::string& skipReason() const { return m_skipReason; }
    // Makes the whole file system read-only, as a write-protected stick or a read-only mount.
    bool makeReadOnly()
    {
        return ::mount(
                   nullptr, m_folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr)
            == 0;
    }

private:
    std::string m_folder;
    bool m_mounted = false;
    std::string m_skipReason;
};

// A folder the tests cannot write into. Root passes every permission check, so for root it is a read-only
// mount; for anybody else a folder without write permission. Files are put in before it turns read-only.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::string& folder)
        : m_folder(folder)
    {
        if (::geteuid() == 0)
            m_disk.emplace(folder, "1m");
    }
    // Empty when the folder is ready to receive files, otherwise why it cannot be made.
    std::string skipReason() const
    {
        return m_disk && !m_disk->mounted() ? m_disk->skipReason() : std::string();
    }
    // Turns the folder read-only; false when that failed.
    bool seal()
    {
        if (m_disk)
            return m_disk->makeReadOnly();
        m_sealed = ::chmod(m_folder.c_str(), 0555) == 0;
        return m_sealed;
    }
    ~ReadOnlyFolder()
    {
        if (m_sealed)
            ::chmod(m_folder.c_str(), 0755);
    }

private:
    std::string m_folder;
    std::optional<SmallDisk> m_disk;
    bool m_sealed = false;
};

inline std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    return bytes;
}

inline bool writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    return out.good();
}

// The names in a folder, sorted; hidden ones included.
inline std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Names that look like a temporary of the atomic writer: ".NAME.XXXXXX.tmp".
inline std::vector<std::string> temporariesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const std::string& name : folderEntries(folder)) {
        if (name.size() > 5 && name.front() == '.' && name.ends_with(".tmp"))
            names.push_back(name);
    }
    return names;
}

inline unsigned permissionBits(const std::string& path)
{
    struct stat status { };
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0xFFFFFFFF;
}

} // namespace vantor::test
