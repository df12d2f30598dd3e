#pragma once

#include "ports/FileSystem.h"

namespace vantor {

// The subtitle file set's files on a POSIX file system. Every replacement is atomic (see PosixFileIo.h).
class PosixFileSystem : public FileSystem {
public:
    // True for anything at `path` that is not a folder, as a file test on the user's disk means it.
    bool fileExists(const std::string& path) override;
    std::string readFile(const std::string& path, std::size_t maxBytes) override;
    void writeFileAtomically(const std::string& path, const std::string& bytes) override;
    void checkWritable(const std::string& path) override;
    bool removeFile(const std::string& path) override;
    // Replaces an existing `to`, as POSIX rename does.
    bool renameFile(const std::string& from, const std::string& to) override;
};

} // namespace vantor
