#pragma once

#include "model/VantorError.h"
#include "ports/TextCodec.h"

#include <cerrno>
#include <iconv.h>
#include <string>

namespace vantor::fuzz {

// The same conversions as tests/support/IconvCodec (GBK through glibc's iconv: strict encoding, lenient
// decoding with U+FFFD for each byte that does not convert), but each direction opens its iconv descriptor
// once: iconv_open per call dominated the fuzz targets' time.
class CachedIconvCodec : public TextCodec {
public:
    CachedIconvCodec() = default;
    CachedIconvCodec(const CachedIconvCodec&) = delete;
    CachedIconvCodec& operator=(const CachedIconvCodec&) = delete;
    ~CachedIconvCodec() override
    {
        if (m_toGbk != kClosed)
            iconv_close(m_toGbk);
        if (m_fromGbk != kClosed)
            iconv_close(m_fromGbk);
    }

    std::string encode(const std::string& utf8, CodePage codePage) override
    {
        if (codePage == CodePage::Utf8)
            return utf8;
        return convert(descriptor(m_toGbk, "GBK", "UTF-8"), utf8, true);
    }
    std::string decode(const std::string& bytes, CodePage codePage) override
    {
        if (codePage == CodePage::Utf8)
            return bytes;
        return convert(descriptor(m_fromGbk, "UTF-8", "GBK"), bytes, false);
    }

private:
    static inline const iconv_t kClosed = reinterpret_cast<iconv_t>(-1);

    static iconv_t descriptor(iconv_t& cd, const char* to, const char* from)
    {
        if (cd == kClosed)
            cd = iconv_open(to, from);
        return cd;
    }

    static std::string convert(iconv_t cd, const std::string& input, bool strict)
    {
        iconv(cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state
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
                if (strict)
                    throw Error("The text holds a character that cannot be stored in a GBK subtitle file.");
                out += "\xEF\xBF\xBD";
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                ++in;
                --inLeft;
            }
        }
        return out;
    }

    iconv_t m_toGbk = kClosed;
    iconv_t m_fromGbk = kClosed;
};

} // namespace vantor::fuzz
