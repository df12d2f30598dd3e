#include "QtTextCodec.h"

#include "model/VantorError.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace vantor {

namespace {

// ASCII is the same in GBK, UTF-8 and UTF-16: numbers and time lines, most of a subtitle file, need no
// converter at all.
bool isAscii(const std::string& text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

std::string QtTextCodec::encode(const std::string& utf8, CodePage codePage)
{
    if (codePage == CodePage::Utf8 || isAscii(utf8))
        return utf8;
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QStringEncoder encoder("GBK");
    if (!encoder.isValid())
        throw Error("The GBK code page is not available on this system.");
    // Qt writes "?" for a character GBK cannot hold and flags the error: find that character for the
    // message instead of letting a "?" into a file.
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError()) {
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            QStringEncoder probe("GBK");
            (void)QByteArray(probe.encode(text.mid(i, length)));
            if (probe.hasError())
                throw Error("The character \"" + text.mid(i, length).toStdString()
                    + "\" cannot be stored in a GBK subtitle file.");
            i += length;
        }
        throw Error("The text holds a character that cannot be stored in a GBK subtitle file.");
    }
    return bytes.toStdString();
}

QtTextCodec::QtTextCodec() = default;
QtTextCodec::~QtTextCodec() = default;

std::string QtTextCodec::decode(const std::string& bytes, CodePage codePage)
{
    if (isAscii(bytes))
        return bytes;
    if (codePage == CodePage::Utf8)
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdString();
    // Opening an ICU converter costs far more than converting a line: keep one and reset it per call.
    if (!m_decoder)
        m_decoder = std::make_unique<QStringDecoder>("GBK");
    QStringDecoder& decoder = *m_decoder;
    decoder.resetState();
    if (!decoder.isValid())
        throw Error("The GBK code page is not available on this system.");
    // A double-byte character cut off at the very end would vanish: the decoder keeps its lead byte as
    // pending state and a one-shot decode never flushes it. A line end after it is not a valid second byte,
    // so the lead byte becomes U+FFFD like any other broken character, and the line end is dropped again.
    QByteArray terminated(bytes.data(), static_cast<qsizetype>(bytes.size()));
    terminated.append('\n');
    QString text = decoder.decode(terminated);
    text.chop(1);
    return text.toStdString();
}

} // namespace vantor
