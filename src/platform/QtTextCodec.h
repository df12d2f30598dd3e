#pragma once

#include "ports/TextCodec.h"

#include <memory>

class QStringDecoder;

namespace vantor {

// GBK and UTF-8 through Qt's converters (ICU on Debian provides GBK).
class QtTextCodec : public TextCodec {
public:
    std::string encode(const std::string& utf8, CodePage codePage) override;
    std::string decode(const std::string& bytes, CodePage codePage) override;
    QtTextCodec();
    ~QtTextCodec() override;

private:
    std::unique_ptr<QStringDecoder> m_decoder;
};

} // namespace vantor
