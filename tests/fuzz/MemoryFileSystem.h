#pragma once

#include "model/VantorError.h"
#include "ports/FileSystem.h"

#include <map>
#include <string>

namespace vantor::fuzz {

// Files as a map of path to bytes, like tests/support's FakeFileSystem but without its record of every
// write's bytes, which copied both documents' whole text twice more on each edit.
class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> files;
    // Successful writes so far, and the paths they went to.
    int writeCount = 0;
    std::map<std::string, int> writesTo;

    bool fileExists(const std::string& path) override { return files.contains(path); }
    std::string readFile(const std::string& path, std::size_t maxBytes) override
    {
        const auto file = files.find(path);
        if (file == files.end())
            throw Error("Could not read " + path + ": No such file or directory");
        if (file->second.size() > maxBytes)
            throw FileTooLarge("Could not read " + path + ": File too large", file->second.size());
        return file->second;
    }
    void checkWritable(const std::string&) override { }
    void writeFileAtomically(const std::string& path, const std::string& bytes) override
    {
        files[path] = bytes;
        ++writeCount;
        ++writesTo[path];
    }
    bool removeFile(const std::string& path) override { return files.erase(path) > 0; }
    bool renameFile(const std::string& from, const std::string& to) override
    {
        const auto file = files.find(from);
        if (file == files.end())
            return false;
        std::string bytes = std::move(file->second);
        files.erase(file);
        files[to] = std::move(bytes);
        return true;
    }
};

} // namespace vantor::fuzz
