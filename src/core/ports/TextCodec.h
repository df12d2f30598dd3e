#pragma once

#include "model/Text.h"

#include <string>

namespace vantor {

// Converts between the UTF-8 of the window and the bytes of a subtitle file's code page.
class TextCodec {
public:
    virtual ~TextCodec() = default;

    // Throws vantor::Error when `utf8` holds a character the code page cannot hold; never writes "?".
    virtual std::string encode(const std::string& utf8, CodePage codePage) = 0;
    // Bytes that are not valid in the code page decode to U+FFFD; decoding never fails.
    virtual std::string decode(const std::string& bytes, CodePage codePage) = 0;
};

} // namespace vantor
