#pragma once

#include "model/VantorError.h"

#include <cstdint>
#include <string>

namespace vantor {

// A file that readFile refused for its size before reading any of it.
class FileTooLarge : public Error {
public:
    FileTooLarge(const std::string& message, std::uint64_t size)
        : Error(message)
        , m_size(size)
    {
    }
    std::uint64_t size() const { return m_size; }

private:
    std::uint64_t m_size;
};

// Files as the subtitle file set uses them. Paths are UTF-8; contents are raw bytes.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool fileExists(const std::string& path) = 0;
    // The whole file. Throws FileTooLarge, having read nothing, when it holds more than `maxBytes`, and
    // vantor::Error naming the file and the reason when it cannot be read.
    virtual std::string readFile(const std::string& path, std::size_t maxBytes) = 0;
    // Replaces the whole file atomically: afterwards it holds either its old or its new content, never a
    // torn or empty one, also if the process dies at any instant. Throws vantor::Error naming the file
    // and the reason; the old content is then untouched.
    virtual void writeFileAtomically(const std::string& path, const std::string& bytes) = 0;
    // Throws vantor::Error, as writeFileAtomically would, when the file at `path` cannot be written now (a
    // folder or other non-file in its place, a read-only file, a folder that takes no new files). Leaves
    // nothing behind.
    virtual void checkWritable(const std::string& path) = 0;
    // Results are not examined by the callers: false when it did not happen.
    virtual bool removeFile(const std::string& path) = 0;
    virtual bool renameFile(const std::string& from, const std::string& to) = 0;
};

} // namespace vantor
