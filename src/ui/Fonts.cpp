#include "Fonts.h"

namespace vantor {

void installFontSubstitutions()
{
    QFont::insertSubstitutions(QStringLiteral("黑体"), QStringList { QStringLiteral("Noto Sans CJK SC") });
    QFont::insertSubstitutions(QStringLiteral("SimHei"), QStringList { QStringLiteral("Noto Sans CJK SC") });
    QFont::insertSubstitutions(QStringLiteral("宋体"), QStringList { QStringLiteral("Noto Serif CJK SC") });
    QFont::insertSubstitutions(QStringLiteral("SimSun"), QStringList { QStringLiteral("Noto Serif CJK SC") });
    QFont::insertSubstitutions(QStringLiteral("楷体_GB2312"),
        QStringList { QStringLiteral("AR PL UKai CN"), QStringLiteral("Noto Serif CJK SC") });
    QFont::insertSubstitutions(QStringLiteral("KaiTi"), QStringList { QStringLiteral("AR PL UKai CN") });
    QFont::insertSubstitutions(QStringLiteral("Monotype Corsiva"), QStringList { QStringLiteral("Z003") });
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"), QStringList { QStringLiteral("DejaVu Sans") });
    QFont::insertSubstitutions(QStringLiteral("MS Serif"), QStringList { QStringLiteral("DejaVu Serif") });
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
