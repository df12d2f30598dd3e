#pragma once

#include "model/VantorError.h"
#include "ports/FileSystem.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantor::test {

// Files as an in-memory map of path to bytes. Records every operation in order, so that a test can check
// which files were written, removed and renamed, and in which order; a test can make reads and writes fail
// with the text it chooses. A failed write leaves the old content, as the real atomic writer does.
class FakeFileSystem : public FileSystem {
public:
    enum class Action { Read, Write, Remove, Rename };
    struct Operation {
        Action action;
        std::string path;
        std::string target; // Rename only
        bool succeeded = true;
        bool operator==(const Operation&) const = default;
    };
    struct Write {
        std::string path;
        std::string bytes;
        bool operator==(const Write&) const = default;
    };

    std::map<std::string, std::string> files;
    // Every call, refused ones included, in order.
    std::vector<Operation> operations;
    // The successful writes with their contents, in order.
    std::vector<Write> writes;

    // The next write (to any path) fails with `message`; later ones succeed again.
    void failNextWrite(std::string message) { m_nextWriteFailure = std::move(message); }
    // Every write to `path` fails with `message` until clearFailures().
    void failWritesTo(const std::string& path, std::string message)
    {
        m_writeFailures[path] = std::move(message);
    }
    // Every read of `path` fails with `message`, even when the file is there.
    void failReadsOf(const std::string& path, std::string message)
    {
        m_readFailures[path] = std::move(message);
    }
    // Removing or renaming `path` (as the source) returns false, as for a locked file.
    void lock(const std::string& path) { m_locked[path] = true; }
    void clearFailures()
    {
        m_nextWriteFailure.reset();
        m_writeFailures.clear();
        m_readFailures.clear();
        m_locked.clear();
    }

    bool fileExists(const std::string& path) override { return files.contains(path); }

    std::string readFile(const std::string& path, std::size_t maxBytes) override
    {
        const auto failure = m_readFailures.find(path);
        const auto file = files.find(path);
        const bool ok
            = failure == m_readFailures.end() && file != files.end() && file->second.size() <= maxBytes;
        operations.push_back({ Action::Read, path, {}, ok });
        if (failure != m_readFailures.end())
            throw Error(failure->second);
        if (file == files.end())
            throw Error("Could not read " + path + ": No such file or directory");
        if (file->second.size() > maxBytes)
            throw FileTooLarge("Could not read " + path + ": File too large", file->second.size());
        return file->second;
    }

    // Fails as every write to `path` does after failWritesTo; records nothing.
    void checkWritable(const std::string& path) override
    {
        if (const auto found = m_writeFailures.find(path); found != m_writeFailures.end())
            throw Error(found->second);
    }

    void writeFileAtomically(const std::string& path, const std::string& bytes) override
    {
        std::optional<std::string> failure;
        if (m_nextWriteFailure) {
            failure = std::move(m_nextWriteFailure);
            m_nextWriteFailure.reset();
        } else if (const auto found = m_writeFailures.find(path); found != m_writeFailures.end()) {
            failure = found->second;
        }
        operations.push_back({ Action::Write, path, {}, !failure });
        if (failure)
            throw Error(*failure);
        files[path] = bytes;
        writes.push_back({ path, bytes });
    }

    bool removeFile(const std::string& path) override
    {
        const bool ok = files.contains(path) && !m_locked.contains(path);
        operations.push_back({ Action::Remove, path, {}, ok });
        if (ok)
            files.erase(path);
        return ok;
    }

    // Replaces an existing `to`, like the POSIX adapter.
    bool renameFile(const std::string& from, const std::string& to) override
    {
        const bool ok = files.contains(from) && !m_locked.contains(from) && !m_locked.contains(to);
        operations.push_back({ Action::Rename, from, to, ok });
        if (ok) {
            std::string bytes = std::move(files[from]);
            files.erase(from);
            files[to] = std::move(bytes);
        }
        return ok;
    }

    // The paths of the successful writes, in order.
    std::vector<std::string> writtenPaths() const
    {
        std::vector<std::string> paths;
        for (const Write& write : writes)
            paths.push_back(write.path);
        return paths;
    }

private:
    std::optional<std::string> m_nextWriteFailure;
    std::map<std::string, std::string> m_writeFailures;
    std::map<std::string, std::string> m_readFailures;
    std::map<std::string, bool> m_locked;
};

} // namespace vantor::test
