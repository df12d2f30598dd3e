#pragma once

#include "ports/SettingsStore.h"

#include <string>

namespace vantor {

// The current user's shared settings file "software.conf" in a folder (normally $XDG_CONFIG_HOME), which
// plays the role of the per-user "\software\" key: other programs keep their own values in the same file,
// and those stay as they are. The INI text is the one QSettings(IniFormat) reads and writes (see
// IniFile.h), but the writing is our own: QSettings' writer was seen to report success on a nearly full
// disk while it left the file truncated.
//
// Every call reads the file anew and writes it back whole and atomically; nothing is cached between calls.
// The folder is never created: without it reads give the empty text and writes fail.
class IniSettingsStore : public SettingsStore {
public:
    explicit IniSettingsStore(std::string folder);

    // $XDG_CONFIG_HOME when it is an absolute path, otherwise ~/.config, as the XDG rules have it.
    static std::string defaultFolder();

    std::string filePath() const;

    // Throws "Failed to get data for 'NAME'" when the file is there but cannot be read, and
    // "Invalid data type for 'NAME'" when the value is not text (see IniFile::ValueType).
    std::string readValue(const std::string& name) override;
    // Throws "Failed to set data for 'NAME'" when the folder is missing, the file cannot be read (its other
    // values would be lost), the file is damaged so that the value would not read back, another writer holds
    // the file's lock for too long, or the write fails. The file is then left as it was.
    void writeValue(const std::string& name, const std::string& value) override;

private:
    std::string m_folder;
};

} // namespace vantor
