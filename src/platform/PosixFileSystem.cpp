#include "PosixFileSystem.h"

#include "PosixFileIo.h"

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

namespace vantor {

bool PosixFileSystem::fileExists(const std::string& path)
{
    struct stat status { };
    return ::stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

std::string PosixFileSystem::readFile(const std::string& path, std::size_t maxBytes)
{
    return readWholeFile(path, maxBytes);
}

void PosixFileSystem::checkWritable(const std::string& path)
{
    checkReplaceable(path);
}

void PosixFileSystem::writeFileAtomically(const std::string& path, const std::string& bytes)
{
    replaceFileAtomically(path, bytes);
}

bool PosixFileSystem::removeFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

bool PosixFileSystem::renameFile(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace vantor
