#pragma once

#include <string>

namespace vantor {

// The text of an INI file shared with other programs, read as QSettings(IniFormat) reads it and changed one
// value at a time. Only top-level keys are handled: those of the [General] section(s) and of the lines
// before the first section, where QSettings keeps keys without a group. Keys are case-sensitive and
// values UTF-8, as QSettings has them on Linux.
//
// Writing keeps every other byte: other programs' keys, sections, comments, blank lines and line ends stay
// as they were; only the written value's text changes, or one line is added for a new key (with a
// [General] header at the end of the file when the file has no top-level part yet).
class IniFile {
public:
    // What a value's text stands for, following QSettings' own markers: "@ByteArray(...)",
    // "@Variant(...)", "@DateTime(...)", "@Rect/@Size/@Point(...)", "@Invalid()" and comma-separated lists
    // are data of other types (bytes, streamed variants, geometry, no value, a list), which a style value
    // never is: they are reported as NotText, and reading them as a style fails. "@String(...)" and
    // "@@..." are text.
    enum class ValueType { Absent, Text, NotText };
    struct Value {
        ValueType type = ValueType::Absent;
        std::string text; // UTF-8; set for Text only
    };

    explicit IniFile(std::string bytes);

    // The value QSettings would return for `name` (the last one when a key is repeated).
    Value value(const std::string& name) const;
    // The file's bytes with `name` set to the text `value`, escaped as QSettings escapes a QString.
    std::string withValue(const std::string& name, const std::string& value) const;

    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

} // namespace vantor
