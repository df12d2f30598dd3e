#pragma once

#include "model/VantorError.h"
#include "ports/TextCodec.h"

#include <cerrno>
#include <iconv.h>
#include <string>

namespace vantor::test {

// GBK through glibc's iconv, so that core tests convert real Chinese text without Qt.
class IconvCodec : public TextCodec {
public:
    std::string encode(const std::string& utf8, CodePage codePage) override
    {
        if (codePage == CodePage::Utf8)
            return utf8;
        return convert(utf8, "GBK", "UTF-8", true);
    }
    std::string decode(const std::string& bytes, CodePage codePage) override
    {
        if (codePage == CodePage::Utf8)
            return bytes;
        return convert(bytes, "UTF-8", "GBK", false);
    }

private:
    static std::string convert(const std::string& input, const char* to, const char* from, bool strict)
    {
        iconv_t cd = iconv_open(to, from);
        std::string out;
        char buffer[256];
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (result == static_cast<size_t>(-1) && errno != E2BIG) {
                if (strict) {
                    iconv_close(cd);
                    throw Error("The text holds a character that cannot be stored in a GBK subtitle file.");
                }
                out += "\xEF\xBF\xBD";
                ++in;
                --inLeft;
            }
        }
        iconv_close(cd);
        return out;
    }
};

} // namespace vantor::test
