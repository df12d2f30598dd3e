#pragma once

#include "ports/FileSystem.h"

#include <cstdint>

#include <string>
#include <string_view>

namespace vantor {

// A failed file operation. code() is the errno behind it, so that a caller can tell an absent file
// (ENOENT, ENOTDIR) from one that is there but cannot be used.
class FileError : public Error {
public:
    FileError(const std::string& message, int code)
        : Error(message)
        , m_code(code)
    {
    }
    int code() const { return m_code; }

private:
    int m_code;
};

// The whole content of the regular file at `path` (UTF-8). Throws FileError
// "Could not read PATH: REASON"; a directory or other non-regular file is refused, never waited on. A file
// of more than `maxBytes` throws FileTooLarge: its size is asked before anything is read, and a file that
// grows while it is read is refused once it passes the limit.
std::string readWholeFile(const std::string& path, std::size_t maxBytes = SIZE_MAX);

// Replaces the file at `path` by `bytes` so that at every instant it holds either its old or its new whole
// content, also when the process is killed or the disk fills up. The new content goes to a temporary
// ".NAME.XXXXXX.tmp" beside the target that is flushed to disk and renamed over it; the target's
// permission bits are kept. A target without any write permission bit is treated as read-only and refused.
// Throws FileError "Could not save PATH: REASON"; the old content is then untouched and the temporary file
// is gone. A successful write also removes temporaries that killed writers left for the same target.
void replaceFileAtomically(const std::string& path, std::string_view bytes);

// Throws the FileError that replaceFileAtomically would throw before writing any content: a target that is
// a folder, not a regular file, or read-only, or a folder where no temporary can be made. The probe's
// temporary is removed again.
void checkReplaceable(const std::string& path);

} // namespace vantor
