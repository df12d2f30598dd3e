#include "Fonts.h"

#include "style/FontSubstitutions.h"

namespace vantor {

namespace {
QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

void installFontSubstitutions()
{
    for (const FontSubstitution& entry : kFontSubstitutions) {
        QStringList families { fromView(entry.first) };
        if (!entry.second.empty())
            families << fromView(entry.second);
        QFont::insertSubstitutions(fromView(entry.family), families);
    }
}

QFont designFont(const QString& family, int pixels, bool bold, bool italic)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

} // namespace vantor
