#pragma once

#include <string>

namespace vantor {

// Files as the subtitle file set uses them. Paths are UTF-8; contents are raw bytes.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool fileExists(const std::string& path) = 0;
    // Throws vantor::Error naming the file and the reason.
    virtual std::string readFile(const std::string& path) = 0;
    // Replaces the whole file atomically: afterwards it holds either its old or its new content, never a
    // torn or empty one, also if the process dies at any instant. Throws vantor::Error naming the file
    // and the reason; the old content is then untouched.
    virtual void writeFileAtomically(const std::string& path, const std::string& bytes) = 0;
    // Results are not examined by the callers: false when it did not happen.
    virtual bool removeFile(const std::string& path) = 0;
    virtual bool renameFile(const std::string& from, const std::string& to) = 0;
};

} // namespace vantor
