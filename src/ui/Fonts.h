#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace vantor {

// Maps the font names the windows are designed with to families Debian ships (Noto CJK, AR PL UKai,
// URW base35, DejaVu). Call once after the application object exists.
void installFontSubstitutions();

// A font of `family` whose characters are `pixels` high.
QFont designFont(const QString& family, int pixels, bool bold = false, bool italic = false);

} // namespace vantor
