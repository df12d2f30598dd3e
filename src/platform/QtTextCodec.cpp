#include "QtTextCodec.h"

#include "VantorError.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace vantor {

std::string QtTextCodec::encode(const std::string& utf8, CodePage codePage)
{
    if (codePage == CodePage::Utf8)
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

std::string QtTextCodec::decode(const std::string& bytes, CodePage codePage)
{
    const QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (codePage == CodePage::Utf8)
        return QString::fromUtf8(data).toStdString();
    QStringDecoder decoder("GBK");
    return QString(decoder.decode(data)).toStdString();
}

} // namespace vantor
