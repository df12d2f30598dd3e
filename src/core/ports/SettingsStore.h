#pragma once

#include <string>

namespace vantor {

// The per-user store of named text values that plays the role of the current user's "\software\" key.
// Every call opens the location, reads or writes one value and closes it again. Texts are UTF-8.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The value's text; the empty text when it is absent, empty, or the location does not exist.
    // Throws vantor::Error "Invalid data type for '%s'" / "Failed to get data for '%s'".
    virtual std::string readValue(const std::string& name) = 0;
    // Writes one value atomically. Throws vantor::Error "Failed to set data for '%s'" when the location
    // does not exist or the write fails; the store then holds what it held before.
    virtual void writeValue(const std::string& name, const std::string& value) = 0;
};

} // namespace vantor
